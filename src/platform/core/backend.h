#pragma once

// The interface between the layer's core and a backend, in the manner of
// GLFW's: the core holds every Windows semantic (windows, queue, timers,
// paint, menus, accelerators, controls, dialogs); a backend only puts them on
// a screen, or doesn't. Each backend defines `platformBackend`; which one an
// executable gets is chosen when it is linked.

#include <windows.h>
#include <commdlg.h>

#include <cstdint>
#include <string>

enum class ModalKind { MessageBox, OpenFile, SaveFile, Color, Dialog };

// A modal interaction in progress. The core shows it through the backend and
// runs a nested message loop until the backend (or EndDialog) marks it done.
struct Modal {
    ModalKind kind = ModalKind::MessageBox;
    HWND owner = nullptr;
    // What is asked.
    std::string text, caption;  // message box
    UINT type = 0;
    OPENFILENAMEA* file = nullptr;
    CHOOSECOLORA* color = nullptr;
    HWND dialog = nullptr;
    int templateId = 0;
    // The answer.
    bool done = false;
    bool accepted = false;
    int result = 0;
    std::string path;
    DWORD filterIndex = 1;
    COLORREF chosenColor = 0;
};

struct PlatformBackend {
    const char* name;
    // Milliseconds of the clock that timers follow.
    uint64_t (*now)();
    void (*screenSize)(int* width, int* height);
    // Called when nothing is ready to be retrieved: wait for input, for at most
    // `timeoutMs` (-1: no timer pending), or let a scripted step happen.
    void (*waitEvents)(int64_t timeoutMs);

    // A window was created, moved or resized, shown, renamed or destroyed.
    void (*windowChanged)(HWND window);
    void (*windowDestroyed)(HWND window);
    void (*warpCursor)(int x, int y);

    // GL on a window's client area.
    bool (*createSurface)(HWND window);
    void* (*createContext)(HWND window);
    bool (*makeCurrent)(HWND window, void* context);  // null window: release
    void (*deleteContext)(void* context);
    void (*swapBuffers)(HWND window);

    void (*beginModal)(Modal* modal);
    void (*endModal)(Modal* modal);
};

extern const PlatformBackend platformBackend;
