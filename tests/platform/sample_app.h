#pragma once

// A small program written only against windows.h, commctrl.h and commdlg.h,
// run by the layer's tests through its WinMain.

#include <windows.h>

#include <string>
#include <vector>

struct SampleApp {
    HWND window;
    HWND statusBar;
    HWND toolbar;
    HMENU menu;
    HGLRC context;
    COLORREF clearColor;
    std::vector<std::string> events;  // what the window procedure saw, in order
    int ticks;
    std::string level;  // the Level dialog's text when OK was pressed
    bool windowKnownDuringCreate;
};

extern SampleApp sample;
