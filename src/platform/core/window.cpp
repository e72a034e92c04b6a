// Window classes and windows: creation with its messages, geometry, text,
// visibility and destruction.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <unordered_set>

#include "internal.h"

namespace {

struct WindowClass {
    WNDPROC proc;
    int menuId;  // 0: none
};

std::map<std::string, WindowClass> classes;
// Every window in creation order. A destroyed one is freed once no window
// procedure is running (its own may still be on the stack); a stale handle is
// only ever compared with the live ones, never followed.
std::vector<std::unique_ptr<HWND__>> windows;
std::unordered_set<HWND> live;
int procedureDepth = 0;  // window procedures running, nested

const std::map<std::string, WNDPROC> kBuiltinClasses = {
    {STATUSCLASSNAMEA, StatusBarProc}, {TOOLBARCLASSNAMEA, ToolbarProc},
    {"#32770", DialogFrameProc},      {"Button", ButtonProc},
    {"Edit", DefWindowProcA},          {"Static", DefWindowProcA},
};

bool IsShown(HWND window) {
    for (HWND w = window; w; w = w->parent)
        if (!w->visible) return false;
    return true;
}

void DestroyTree(HWND window) {
    SendMessageA(window, WM_DESTROY, 0, 0);
    for (HWND child : std::vector<HWND>(window->children))
        if (!child->destroyed) DestroyTree(child);
    window->destroyed = true;
    live.erase(window);
    window->visible = false;
    KillTimersOf(window);
    platformBackend.windowDestroyed(window);
}

// Keys that reach DefWindowProc, having passed the program's accelerators:
// Alt+letter pulls down the menu with that mnemonic, Alt+Space the system
// menu; F10 and a lone Alt highlight the bar's first item.
void MenuLoopForKey(HWND window, UINT message, WPARAM key) {
    const bool loneAlt = message == WM_SYSKEYUP && key == VK_MENU && TakeLoneAltRelease();
    if (!window->menu || !IsTopLevel(window) || window->menu->items.empty()) return;
    if ((key == VK_F10 && message != WM_SYSKEYUP) || loneAlt) RunMenuLoop(window, 0, false, false);
    else if (message == WM_SYSKEYDOWN && key == VK_SPACE) RunMenuLoop(window, kSystemMenu, true, true);
    else if (message == WM_SYSKEYDOWN && key >= 'A' && key <= 'Z')
        RunMenuLoop(window, MenuItemWithMnemonic(window->menu, char(key)), true, true);
}

}  // namespace

HWND LiveWindow(HWND window) { return window && live.count(window) ? window : nullptr; }

LRESULT CallWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    procedureDepth++;
    const LRESULT result = window->proc(window, message, wParam, lParam);
    procedureDepth--;
    return result;
}

void FreeDestroyedWindows() {
    if (procedureDepth > 0) return;
    windows.erase(std::remove_if(windows.begin(), windows.end(), [](const auto& w) { return w->destroyed; }),
                  windows.end());
}

size_t WindowRecordCount() { return windows.size(); }

std::vector<HWND> AllWindows() {
    std::vector<HWND> inOrder;
    for (const auto& w : windows)
        if (!w->destroyed) inOrder.push_back(w.get());
    return inOrder;
}

bool IsTopLevel(HWND window) { return !(window->style & WS_CHILD); }

RECT FrameInsetsFor(DWORD style, bool hasMenu) {
    if ((style & WS_CHILD) || (style & WS_CAPTION) != WS_CAPTION) return RECT{0, 0, 0, 0};
    const LONG border = (style & WS_THICKFRAME) ? kFrameBorder : 3;
    return RECT{border, border + kCaptionHeight + (hasMenu ? kMenuBarHeight : 0), border, border};
}

RECT FrameInsetsOf(HWND window) {
    RECT insets = FrameInsetsFor(window->style, false);
    if (insets.top > 0) insets.top += MenuBarHeightOf(window);
    return insets;
}

RECT ClientRectOf(HWND window) {
    const RECT insets = FrameInsetsOf(window);
    const LONG width = window->rect.right - window->rect.left - insets.left - insets.right;
    const LONG height = window->rect.bottom - window->rect.top - insets.top - insets.bottom;
    return RECT{0, 0, width > 0 ? width : 0, height > 0 ? height : 0};
}

POINT ClientToScreenPoint(HWND window, POINT point) {
    for (HWND w = window; w; w = w->parent) {
        const RECT insets = FrameInsetsOf(w);
        point.x += w->rect.left + insets.left;
        point.y += w->rect.top + insets.top;
    }
    return point;
}

bool PaintIsDue(HWND window) { return window->invalid && IsShown(window); }

HWND WindowAtScreenPoint(POINT point) {
    HWND found = nullptr;
    // Later windows lie above earlier ones; children above their parents.
    for (HWND w : AllWindows()) {
        if (!IsShown(w)) continue;
        const POINT origin = ClientToScreenPoint(w, POINT{0, 0});
        const RECT client = ClientRectOf(w);
        if (point.x >= origin.x && point.x < origin.x + client.right && point.y >= origin.y &&
            point.y < origin.y + client.bottom)
            found = w;
    }
    return found;
}

void NotifyChanged(HWND window) { platformBackend.windowChanged(window); }

void ResetWindows() {
    for (const auto& w : windows)
        if (!w->destroyed) platformBackend.windowDestroyed(w.get());
    windows.clear();
    live.clear();
    procedureDepth = 0;
    classes.clear();
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* wc) {
    if (!wc || !wc->lpszClassName || !wc->lpfnWndProc) return 0;
    if (classes.count(wc->lpszClassName) || kBuiltinClasses.count(wc->lpszClassName)) {
        SetLastError(1410);  // ERROR_CLASS_ALREADY_EXISTS
        return 0;
    }
    const int menuId = wc->lpszMenuName && IS_INTRESOURCE(wc->lpszMenuName) ? LOWORD(wc->lpszMenuName) : 0;
    classes[wc->lpszClassName] = WindowClass{wc->lpfnWndProc, menuId};
    return ATOM(0xC000 + classes.size());
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                            int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    WNDPROC proc = nullptr;
    int classMenu = 0;
    if (className && classes.count(className)) {
        proc = classes[className].proc;
        classMenu = classes[className].menuId;
    } else if (className && kBuiltinClasses.count(className)) {
        proc = kBuiltinClasses.at(className);
    } else {
        SetLastError(1407);  // ERROR_CANNOT_FIND_WND_CLASS
        return nullptr;
    }
    if ((style & WS_CHILD) && !LiveWindow(parent)) {
        SetLastError(1406);  // ERROR_TLW_WITH_WSCHILD
        return nullptr;
    }

    windows.push_back(std::make_unique<HWND__>());
    HWND window = windows.back().get();
    live.insert(window);
    window->className = className;
    window->proc = proc;
    window->parent = LiveWindow(parent);
    window->style = style;
    window->exStyle = exStyle;
    window->text = windowName ? windowName : "";
    if (style & WS_CHILD) window->id = int(intptr_t(menu));
    else window->menu = menu ? menu : (classMenu ? LoadMenuResource(classMenu) : nullptr);
    if (x == CW_USEDEFAULT) x = y = 0;
    if (width == CW_USEDEFAULT) width = 640, height = 480;
    window->rect = RECT{x, y, x + width, y + height};
    if (window->parent) window->parent->children.push_back(window);
    NotifyChanged(window);

    CREATESTRUCTA create = {param, instance, menu, parent, height, width, y, x, LONG(style), windowName,
                            className, exStyle};
    if (SendMessageA(window, WM_CREATE, 0, LPARAM(&create)) == -1) {
        DestroyWindow(window);
        return nullptr;
    }
    if (!LiveWindow(window)) return nullptr;
    const RECT client = ClientRectOf(window);
    SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    if ((style & WS_VISIBLE) && LiveWindow(window)) {
        window->visible = true;
        window->invalid = true;
        NotifyChanged(window);
    }
    return LiveWindow(window);
}

BOOL WINAPI DestroyWindow(HWND window) {
    if (!LiveWindow(window)) return FALSE;
    DestroyTree(window);
    if (window->parent) {
        auto& siblings = window->parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), window), siblings.end());
    }
    return TRUE;
}

BOOL WINAPI MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
    if (!LiveWindow(window)) return FALSE;
    window->rect = RECT{x, y, x + width, y + height};
    NotifyChanged(window);
    const RECT client = ClientRectOf(window);
    SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    if (repaint && LiveWindow(window)) window->invalid = true;
    return TRUE;
}

BOOL WINAPI ShowWindow(HWND window, int command) {
    if (!LiveWindow(window)) return FALSE;
    const BOOL wasVisible = window->visible;
    window->visible = command != SW_HIDE;
    if (window->visible) window->invalid = true;
    NotifyChanged(window);
    return wasVisible;
}

void WindowStateChanged(HWND window, DWORD state) {
    if (!LiveWindow(window) || (window->style & (WS_MAXIMIZE | WS_MINIMIZE)) == state) return;
    window->style = (window->style & ~DWORD(WS_MAXIMIZE | WS_MINIMIZE)) | state;
    NotifyChanged(window);
    for (HWND child : window->children) NotifyChanged(child);  // a status bar's grip comes and goes
}

void ZoomWindow(HWND window, bool zoomed) {
    if (!LiveWindow(window) || bool(window->style & WS_MAXIMIZE) == zoomed) return;
    if (zoomed) {
        int width = 0, height = 0;
        platformBackend.screenSize(&width, &height);
        window->restoredRect = window->rect;
        MoveWindow(window, -kFrameBorder, -kFrameBorder, width + 2 * kFrameBorder, height + 2 * kFrameBorder, TRUE);
    } else {
        const RECT& r = window->restoredRect;
        MoveWindow(window, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    }
    WindowStateChanged(window, zoomed ? WS_MAXIMIZE : 0);
}

BOOL WINAPI IsZoomed(HWND window) { return LiveWindow(window) && (window->style & WS_MAXIMIZE); }

BOOL WINAPI UpdateWindow(HWND window) {
    if (!LiveWindow(window)) return FALSE;
    if (PaintIsDue(window)) SendMessageA(window, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL WINAPI InvalidateRect(HWND window, const RECT*, BOOL) {
    if (!window) {
        for (HWND w : AllWindows()) w->invalid = true;
        return TRUE;
    }
    if (!LiveWindow(window)) return FALSE;
    window->invalid = true;
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
    if (!LiveWindow(window) || !rect) return FALSE;
    *rect = ClientRectOf(window);
    return TRUE;
}

BOOL WINAPI GetWindowRect(HWND window, LPRECT rect) {
    if (!LiveWindow(window) || !rect) return FALSE;
    const POINT origin = window->parent ? ClientToScreenPoint(window->parent, POINT{0, 0}) : POINT{0, 0};
    *rect = RECT{window->rect.left + origin.x, window->rect.top + origin.y, window->rect.right + origin.x,
                 window->rect.bottom + origin.y};
    return TRUE;
}

BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text) {
    if (!LiveWindow(window)) return FALSE;
    SendMessageA(window, WM_SETTEXT, 0, LPARAM(text));
    return TRUE;
}

int WINAPI GetWindowTextA(HWND window, LPSTR buffer, int size) {
    if (!LiveWindow(window) || !buffer || size <= 0) return 0;
    return int(SendMessageA(window, WM_GETTEXT, WPARAM(size), LPARAM(buffer)));
}

HWND WINAPI GetDlgItem(HWND dialog, int id) {
    if (!LiveWindow(dialog)) return nullptr;
    for (HWND child : dialog->children)
        if (child->id == id && !child->destroyed) return child;
    return nullptr;
}

HWND WINAPI GetParent(HWND window) { return LiveWindow(window) ? window->parent : nullptr; }

HMENU WINAPI GetMenu(HWND window) { return LiveWindow(window) ? window->menu : nullptr; }

int WINAPI GetSystemMetrics(int index) {
    int width = 0, height = 0;
    platformBackend.screenSize(&width, &height);
    return index == SM_CXSCREEN ? width : index == SM_CYSCREEN ? height : 0;
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETTEXT:
        window->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
        NotifyChanged(window);
        return TRUE;
    case WM_GETTEXT: {
        char* buffer = reinterpret_cast<char*>(lParam);
        if (!buffer || wParam == 0) return 0;
        const size_t count = std::min(window->text.size(), size_t(wParam) - 1);
        std::memcpy(buffer, window->text.data(), count);
        buffer[count] = '\0';
        return LRESULT(count);
    }
    case WM_GETTEXTLENGTH:
        return LRESULT(window->text.size());
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        MenuLoopForKey(window, message, wParam);
        return 0;
    case WM_SYSCOMMAND:  // the system menu's choice
        if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageA(window, WM_CLOSE, 0, 0);
        else if (IsTopLevel(window)) platformBackend.systemCommand(window, UINT(wParam & 0xFFF0));
        return 0;
    case WM_NCLBUTTONDOWN:  // a press on the menu bar
        if (wParam == HTMENU && IsTopLevel(window))
            RunMenuLoop(window, MenuBarItemAt(window, POINT{short(LOWORD(lParam)), short(HIWORD(lParam))}), true,
                        false);
        return 0;
    default:
        return 0;
    }
}
