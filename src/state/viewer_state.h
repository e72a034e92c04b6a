#pragma once

#include <windows.h>

#include <cstdint>

#include "../formats/md2.h"
#include "vec3.h"

// All of the viewer's state: one record, one instance, living for the whole
// run. WinMain gives the start values; every other field starts at zero.
struct ViewerState {
    HINSTANCE hInstance;
    HWND hWnd;
    HDC hDC;        // the main window's device context, from creation to close
    HGLRC hGLRC;
    HWND hStatus;
    HWND hToolbar;
    HMENU hMenu;
    POINT pressPoint;  // screen position of the last button press in the client area
    int32_t playing;   // 1 while the user has asked for playback
    Md2Model model;
    int32_t currentFrame;
    // Name of the frame last drawn, copied out of the model and terminated, so
    // that neither the status bar nor the screenshot's default file name ever
    // reads a released model or past the 16-byte field.
    char currentFrameName[17];
    Vec3 eye;
    Vec3 center;
    float aspect;  // drawing area width / height
    float gamma;   // skins are brightened by 1 / gamma
    int32_t timerId;
    int32_t mipmapsOff;
    COLORREF customColors[16];
};

extern ViewerState viewer;

// Posts the status bar's set-text message; the bar reads `text` when the
// message is delivered, so it must outlive the message.
void SetStatusText(const char* text, int part);
