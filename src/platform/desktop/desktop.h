#pragma once

// The desktop backend on FLTK 1.3: each window of the core gets an FLTK
// window or widget that mirrors it; input goes back to the core as a user's.

#include <FL/Fl_Button.H>
#include <FL/Fl_Gl_Window.H>
#include <FL/Fl_Window.H>

#include <cstdio>
#include <string>
#include <vector>

#include "../core/internal.h"

// The one stand-in for Windows' MS Sans Serif 8 pt, in dialogs, message
// boxes and menus: Liberation Sans, with Arial's metrics. At 10 px it has MS
// Sans Serif's base units (6 x 13); at the nominal 11 px its letters, wider
// than the bitmap font's, overflow texts laid out for it.
const Fl_Font kDialogFont = FL_FREE_FONT;
const int kStandInSize = 10;
void UseStandInFont();  // registers it with FLTK; any number of times
const int kMenuTextSize = kStandInSize;

// A push button as Windows draws the default one: the caption centred, a
// dark frame round it, and Enter presses it (no return-arrow mark).
class DefaultButton : public Fl_Button {
public:
    DefaultButton(int x, int y, int w, int h, const char* label = nullptr) : Fl_Button(x, y, w, h, label) {}
    int handle(int event) override;
    void draw() override;
};

// The widgets of one core window (in its backendData).
struct DesktopWindow {
    Fl_Window* frame = nullptr;     // a top-level window's FLTK window: menu bar over the client area
    Fl_Gl_Window* surface = nullptr;  // its GL client area, once it has a pixel format
    Fl_Widget* menuBar = nullptr;   // a top-level window's menu bar, drawn from the core's layout
    Fl_Widget* widget = nullptr;    // a child window's widget (bar, dialog control)
    bool syncing = false;           // the core is changing the widget: do not echo it back
    bool stateWatched = false;      // a main window's _NET_WM_STATE is followed
};

DesktopWindow* DesktopOf(HWND window);  // made on first use
FILE* LayerLog();                       // where the layer notes what it shows, or null
void LogShown(const Modal& modal);      // for the window tests, when asked for
void LogMenu(const char* label);        // a menu pulled down by a menu key, likewise
void LogInput(const char* what);        // input taken and menu loops, for the tests' waits
void LogMenuBar(HWND window, const std::vector<RECT>& items);  // the bar's layout, when it changes

// frames.cpp: main windows, their menu, GL surface, toolbar and status bar.
void SyncTopLevel(HWND window);
void SyncBar(HWND window);
bool CreateGlSurface(HWND window);
// A pointer event at the core's screen coordinates; 0 if `event` is none.
int ReportPointer(int event, POINT screen);
void ReportKey(int event, int key);                      // FL_KEYBOARD or FL_KEYUP
bool KeyboardWasLast();  // the last press was a key's, not a button's
// The core's screen coordinates against the real root window's, through a
// top-level window that has its FLTK window.
POINT RootFromCore(HWND window, POINT screen);
POINT CoreFromRoot(HWND window, POINT root);
void WarpPointer(int screenX, int screenY);
void SetFramesActive(bool active);  // modal interactions disable the other windows, as Windows does
// A repeating FLTK timeout that dispatches the core's ready messages: while a
// chooser or a pulled-down menu blocks in FLTK's own loop, the program's
// timers and paints still go out, as under Windows' modal and menu loops.
void PumpCoreMessages(void*);
void DispatchCoreMessages();  // the core's messages that are due, now, in a nested loop

// dialogs.cpp: template dialogs, message boxes, choosers.
// Chooses the stand-in font for a dialog font and gives its base units.
void MeasureDialogFont(const std::string& face, int points, int* x, int* y);
void LogDialogFit(HWND dialog);  // for the window tests: each text against its room
// A shown dialog window is a fixed-size dialog of its owner to the window
// manager, and takes the keyboard.
void SetDialogHints(Fl_Window* frame, HWND owner);
void SyncDialog(HWND window);
void SyncDialogControl(HWND window);
void BeginDesktopModal(Modal* modal);
void EndDesktopModal(Modal* modal);

// menus.cpp: the menu bar and the menus the core's menu loop pulls down.
void SyncMenuBar(HWND window, DesktopWindow* desktop);
void ShowMenuLoop(const MenuLoop* loop);
int MenuTextWidth(const std::string& text);

// gtk_chooser.cpp: while it lives, GTK's chooser (when FLTK uses GTK's)
// lets the core's timers and paints through and starts with no file
// selected, or with `nameToKeep` in its location field, selected.
class GtkLoopWaker {
public:
    explicit GtkLoopWaker(const std::string& nameToKeep);
    ~GtkLoopWaker();
    GtkLoopWaker(const GtkLoopWaker&) = delete;
    GtkLoopWaker& operator=(const GtkLoopWaker&) = delete;

private:
    unsigned source_ = 0;
};

// window_manager.cpp: the system menu's commands, a main window's states
// followed, and the focus of the layer's windows.
void SystemCommand(HWND window, UINT command);
void WatchWindowState(Fl_Window* frame);  // once shown: maximised and minimised reported to the core
void TakeFocus(Fl_Window* window);        // a shown window takes the keyboard
bool TakeFocus(unsigned long xid);        // the same for another toolkit's X window, once it is viewable

// colour_chooser.cpp: ChooseColorA's chooser, full open with its custom colours.
void RunColourChooser(Modal* modal);
