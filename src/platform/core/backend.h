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
    int customColorsAdded = 0;  // by this chooser, for AddCustomColor
};

// The colour chooser's "Add to Custom Colors": the colour goes straight into
// the request's 16 custom colours, as Windows' chooser writes it (kept even
// if the chooser is then cancelled), filling its two rows of eight column by
// column from the first.
void AddCustomColor(Modal* modal, COLORREF colour);

struct MenuLoop;  // internal.h

// Each backend fills every slot by name (see MakeBackend in its backend.cpp).
struct PlatformBackend {
    // Milliseconds of the clock that timers follow; never goes back.
    uint64_t (*now)();
    // The screen's size in pixels, for GetSystemMetrics.
    void (*screenSize)(int* width, int* height);
    // Called when nothing is ready to be retrieved: wait for input, for at
    // most `timeoutMs` (-1: no timer pending), or let a scripted step happen.
    void (*waitEvents)(int64_t timeoutMs);
    // A window was created, moved or resized, shown or renamed: show it so.
    void (*windowChanged)(HWND window);
    // A window is being destroyed: release whatever the backend holds for it.
    void (*windowDestroyed)(HWND window);
    // SetCursorPos: move the pointer to screen coordinates.
    void (*warpCursor)(int x, int y);
    // A GL surface on the window's client area; false if none can be made.
    bool (*createSurface)(HWND window);
    // A GL context for the window's surface, or null.
    void* (*createContext)(HWND window);
    // Makes the context current on the window; a null window releases it.
    bool (*makeCurrent)(HWND window, void* context);
    void (*deleteContext)(void* context);
    // Shows the back buffer of the window's surface.
    void (*swapBuffers)(HWND window);
    // Shows a modal interaction; the core's nested loop runs until the
    // backend (or EndDialog) marks it done.
    void (*beginModal)(Modal* modal);
    // The modal is done: take it off the screen.
    void (*endModal)(Modal* modal);
    // The menu loop's state changed: show its highlighted bar item and
    // pulled-down menu with the selected item; `loop->done`: it ended.
    void (*showMenuLoop)(const MenuLoop* loop);
    // The dialog base units of a template's font (face, points), as
    // GetDialogBaseUnits gives them for it: the average width of the letters
    // A-Z a-z and the font's height, in pixels. Dialog units follow them.
    void (*dialogBaseUnits)(const std::string& face, int points, int* x, int* y);
    // The width in pixels of a menu text, its "&" marks not counted.
    int (*menuTextWidth)(const std::string& text);
    // A system command that the window manager carries out (SC_MAXIMIZE,
    // SC_MINIMIZE, SC_RESTORE, SC_MOVE, SC_SIZE); the outcome comes back
    // through WindowStateChanged and MoveWindow.
    void (*systemCommand)(HWND window, UINT command);
};

extern const PlatformBackend platformBackend;
