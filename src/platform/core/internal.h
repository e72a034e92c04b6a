#pragma once

// The core's records. The handle types of windows.h point at these.

#include <commctrl.h>
#include <commdlg.h>
#include <windows.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "backend.h"
#include "resource_script.h"

struct MenuItem {
    std::string text;
    UINT id = 0;
    UINT type = 0;
    UINT state = 0;
    HMENU popup = nullptr;
};

struct HMENU__ {
    std::vector<MenuItem> items;
};

struct HACCEL__ {
    std::vector<ACCEL> entries;
};

struct HICON__ {
    int resourceId;  // 0 for the system's stock icon and cursor
    std::vector<unsigned char> file;
};

struct HINSTANCE__ {
    int unused;
};

struct HDC__ {
    HWND window;
    int pixelFormat;
};

struct HGLRC__ {
    void* context;
    HWND window;  // the window it was made current on last
};

struct StatusPart {
    int rightEdge;
    std::string text;
};

struct ToolbarState {
    size_t buttonStructSize = 0;
    int bitmapId = 0;
    int imageCount = 0;
    std::vector<TBBUTTON> buttons;
    int pressed = -1;
};

struct HWND__ {
    std::string className;
    WNDPROC proc = nullptr;
    DLGPROC dialogProc = nullptr;
    HWND parent = nullptr;
    std::vector<HWND> children;
    int id = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    std::string text;
    RECT rect = {};  // in the parent's client coordinates; top-level windows: the screen's
    HMENU menu = nullptr;
    bool visible = false;
    bool invalid = false;
    bool destroyed = false;
    HDC__ dc = {};
    std::vector<StatusPart> statusParts;
    ToolbarState toolbar;
    Modal* modal = nullptr;  // a template dialog's modal loop
    std::unique_ptr<HMENU__> systemMenu;  // made when first pulled down
    RECT restoredRect = {};               // a maximised window's rectangle before
    void* backendData = nullptr;
};

// The frame a top-level window's client area lies in, as Windows 10 draws it
// at 96 dpi: resize borders, caption and menu bar.
const int kFrameBorder = 8;
const int kCaptionHeight = 23;
const int kMenuBarHeight = 20;
const int kStatusBarHeight = 20;
const int kToolbarHeight = 26;
const int kToolbarButtonWidth = 23;
const int kToolbarButtonHeight = 22;

// Modifier keys of input events, for GetKeyState and the MK_* flags.
const unsigned kAltKey = 1, kShiftKey = 2, kControlKey = 4;

// Windows (window.cpp).
HWND LiveWindow(HWND window);    // null unless a window that exists
std::vector<HWND> AllWindows();  // in creation order
// Calls a window's procedure, counting how many are running.
LRESULT CallWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Frees the records of destroyed windows when no window procedure is running.
void FreeDestroyedWindows();
size_t WindowRecordCount();  // records held, destroyed ones not yet freed included
bool IsTopLevel(HWND window);
RECT FrameInsetsFor(DWORD style, bool hasMenu);  // a top-level window's frame around its client area, one menu row
RECT FrameInsetsOf(HWND window);                 // the same with the rows its menu bar takes at its width
RECT ClientRectOf(HWND window);                  // left = top = 0
POINT ClientToScreenPoint(HWND window, POINT point);
HWND WindowAtScreenPoint(POINT point);
bool PaintIsDue(HWND window);
void NotifyChanged(HWND window);
// The window manager maximised, minimised or restored a top-level window:
// `state` is WS_MAXIMIZE, WS_MINIMIZE, both (minimised from maximised) or 0.
void WindowStateChanged(HWND window, DWORD state);
// Maximises or restores a top-level window as Windows itself does, for a
// backend without a window manager to ask: the borders off the screen, and
// back to where it was.
void ZoomWindow(HWND window, bool zoomed);

// The queue, timers and input (messages.cpp). Backends report input with
// the Input* functions.
bool RetrieveMessage(MSG* message, bool wait);  // false when nothing is ready and !wait
int64_t MillisecondsToNextTimer();              // -1 when no timer is set
void KillTimersOf(HWND window);
void InputKey(int virtualKey, bool down, unsigned modifiers);
void InputMouseButton(unsigned button, bool down);  // MK_LBUTTON, MK_RBUTTON or MK_MBUTTON
void InputCursorMoved(POINT screen);
bool TakeLoneAltRelease();  // whether Alt was pressed and released with nothing between; forgets it

// The menu bar (menu_bar.cpp): its items' rectangles, from the bar's top
// left corner, and its height; both follow the window's width.
std::vector<RECT> MenuBarItemRects(HWND window);
LONG MenuBarHeightOf(HWND window);
POINT MenuBarOrigin(HWND window);               // the bar's top left corner on the screen
int MenuBarItemAt(HWND window, POINT screen);  // the top-level item there, or -1
// A pulled-down menu: its frame on the screen; its items' rectangles inside
// the frame (separators too); where labels start and hints end.
struct MenuPopupLayout {
    RECT frame = {};
    std::vector<RECT> items;
    LONG labelLeft = 0, hintRight = 0;
};
MenuPopupLayout LayOutMenuPopup(HWND window, int barItem);  // empty for an item without a menu
int MenuPopupItemAt(const MenuPopupLayout& layout, POINT screen);
// "Open Model\tAlt-O": the label and the key hint after the tab.
std::pair<std::string, std::string> MenuItemLabelAndHint(const MenuItem& item);
// The window's system menu: Restore, Move, Size, Minimize, Maximize and
// Close, each enabled as the window's style and state allow.
HMENU SystemMenuOf(HWND window);
// The menu a menu-loop stop pulls down: a bar item's, or the system menu's
// (kSystemMenu, apart from -1, which is no item); null for a bar item without one.
const int kSystemMenu = -2;
HMENU PopupOf(HWND window, int barItem);

// Windows' menu loop (menu_loop.cpp): the bar highlighted, a menu pulled
// down, keys and clicks taken by the menu until it is left or an item is
// chosen; other messages go on being dispatched meanwhile.
struct MenuLoop {
    HWND window = nullptr;
    int barItem = 0;          // the highlighted top-level item, or kSystemMenu
    bool pulledDown = false;  // its menu is shown
    int selected = -1;        // the selected item of that menu, or -1
    bool done = false;
    UINT command = 0;  // the item chosen; 0 for none
};
// Runs it from `barItem`: pulled down or only highlighted; a menu pulled
// down by a key starts with its first item selected, one by a click with none.
void RunMenuLoop(HWND window, int barItem, bool pulledDown, bool selectFirstItem);
const MenuLoop* RunningMenuLoop();  // null when none runs
// The state shown, as backends name it: "&File" for the bar item highlighted,
// "&File pulled down", "&File pulled down: Quit" with an item selected;
// "System menu" for the system menu's stop.
std::string MenuLoopText(const MenuLoop& loop);
int MenuItemWithMnemonic(HMENU menu, char letter);  // the item whose "&" marks `letter` (upper case), or -1

// Modal loops (modal.cpp).
void RunModal(Modal* modal);
Modal* CurrentModal();
std::vector<std::pair<std::string, std::string>> FilterPairs(LPCSTR filter);  // description, pattern

// Resources, menus and accelerators (resources.cpp).
HINSTANCE ModuleInstance();
const ResourceTable& Resources();
void UseResources(const ResourceBundle* bundle);  // null: the embedded bundle
HMENU LoadMenuResource(int id);
const MenuItem* MenuItemById(HMENU menu, UINT id);

// Built-in window classes (controls.cpp, modal.cpp).
LRESULT CALLBACK StatusBarProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ToolbarProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK DialogFrameProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ButtonProc(HWND, UINT, WPARAM, LPARAM);
RECT ToolbarButtonRect(HWND toolbar, int index);  // in the toolbar's client area

// Forgets every window, class, message, timer, context and loaded resource,
// as if the process had just started (tests run many programs in one process).
void ResetPlatformCore();
void ResetWindows();
void ResetMessages();
void ResetModals();
void ResetResources();
void ResetContexts();
