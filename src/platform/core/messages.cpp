// The message queue: posted messages, input, the quit flag, paint and timers,
// retrieved in Windows' order; and the cursor and key state input leaves.
#include <algorithm>

#include "internal.h"

namespace {

struct InputEvent {
    MSG message;
    unsigned modifiers;
};

struct Timer {
    HWND window;
    UINT_PTR id;
    UINT period;
    uint64_t due;
    TIMERPROC proc;
};

std::deque<MSG> posted;
std::deque<InputEvent> input;
bool quitPosted = false;
int quitCode = 0;
std::vector<Timer> timers;
POINT cursor = {0, 0};
POINT reportedCursor = {0, 0};
unsigned mouseButtons = 0;
unsigned keyModifiers = 0;
// Alt was pressed and no other key or button since: its release selects the
// menu bar. Kept as input arrives, as Windows' input system keeps it, so that
// a key an accelerator takes (Alt+O) counts too.
bool altAlone = false;

MSG Message(HWND window, UINT id, WPARAM wParam, LPARAM lParam) {
    MSG message = {window, id, wParam, lParam, DWORD(platformBackend.now()), cursor};
    return message;
}

unsigned ModifierFlags() {
    return (keyModifiers & kShiftKey ? MK_SHIFT : 0) | (keyModifiers & kControlKey ? MK_CONTROL : 0);
}

LPARAM ClientPoint(HWND window, POINT screen) {
    const POINT origin = ClientToScreenPoint(window, POINT{0, 0});
    return MAKELPARAM(screen.x - origin.x, screen.y - origin.y);
}

// Input goes to the window above all others: an open dialog, else the main window.
HWND KeyboardFocus() {
    HWND focus = nullptr;
    for (HWND w : AllWindows())
        if (IsTopLevel(w) && w->visible) focus = w;
    return focus;
}

bool TakeMouseMove(MSG* message) {
    if (cursor.x == reportedCursor.x && cursor.y == reportedCursor.y) return false;
    reportedCursor = cursor;
    HWND target = WindowAtScreenPoint(cursor);
    if (!target) return false;
    *message = Message(target, WM_MOUSEMOVE, mouseButtons | ModifierFlags(), ClientPoint(target, cursor));
    return true;
}

bool TakePaint(MSG* message) {
    for (HWND w : AllWindows())
        if (PaintIsDue(w)) {
            *message = Message(w, WM_PAINT, 0, 0);
            return true;
        }
    return false;
}

bool TakeTimer(MSG* message) {
    const uint64_t now = platformBackend.now();
    for (Timer& timer : timers)
        if (timer.due <= now) {
            timer.due = now + timer.period;  // ticks missed while busy are not made up
            *message = Message(timer.window, WM_TIMER, timer.id, LPARAM(timer.proc));
            return true;
        }
    return false;
}

}  // namespace

bool RetrieveMessage(MSG* message, bool wait) {
    for (;;) {
        if (!posted.empty()) {
            *message = posted.front();
            posted.pop_front();
            return true;
        }
        if (!input.empty()) {
            *message = input.front().message;
            keyModifiers = input.front().modifiers;
            input.pop_front();
            return true;
        }
        if (TakeMouseMove(message)) return true;
        if (quitPosted) {
            quitPosted = false;
            *message = Message(nullptr, WM_QUIT, WPARAM(quitCode), 0);
            return true;
        }
        if (TakePaint(message) || TakeTimer(message)) return true;
        if (!wait) return false;
        platformBackend.waitEvents(MillisecondsToNextTimer());
    }
}

int64_t MillisecondsToNextTimer() {
    if (timers.empty()) return -1;
    const uint64_t now = platformBackend.now();
    uint64_t next = UINT64_MAX;
    for (const Timer& timer : timers) next = std::min(next, timer.due);
    return next <= now ? 0 : int64_t(next - now);
}

void KillTimersOf(HWND window) {
    timers.erase(std::remove_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.window == window; }),
                 timers.end());
}

void ResetMessages() {
    posted.clear();
    input.clear();
    timers.clear();
    quitPosted = false;
    quitCode = 0;
    cursor = reportedCursor = POINT{0, 0};
    mouseButtons = keyModifiers = 0;
    altAlone = false;
}

bool TakeLoneAltRelease() {
    const bool alone = altAlone;
    altAlone = false;
    return alone;
}

void InputKey(int virtualKey, bool down, unsigned modifiers) {
    HWND focus = KeyboardFocus();
    if (!focus) return;
    // With Alt held, and Alt itself, Windows reports keys as system keys.
    const bool system = (modifiers & kAltKey) || virtualKey == VK_MENU;
    const UINT id = system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    if (down) altAlone = virtualKey == VK_MENU;
    input.push_back({Message(focus, id, WPARAM(virtualKey), down ? 1 : LPARAM(0xC0000001u)), modifiers});
}

// A top-level window whose menu bar has an item at `screen`, or null.
HWND MenuBarAt(POINT screen) {
    HWND found = nullptr;
    for (HWND w : AllWindows())
        if (IsTopLevel(w) && w->visible && w->menu && MenuBarItemAt(w, screen) >= 0) found = w;
    return found;
}

void InputMouseButton(unsigned button, bool down) {
    HWND target = WindowAtScreenPoint(cursor);
    if (down) mouseButtons |= button, altAlone = false;
    else mouseButtons &= ~button;
    const UINT id = button == MK_LBUTTON   ? (down ? WM_LBUTTONDOWN : WM_LBUTTONUP)
                    : button == MK_RBUTTON ? (down ? WM_RBUTTONDOWN : WM_RBUTTONUP)
                                           : (down ? WM_MBUTTONDOWN : WM_MBUTTONUP);
    // Presses on a menu bar, and any while a menu loop runs, are the
    // non-client area's (Windows numbers each 0x160 below its client twin),
    // at screen coordinates: the menu loop takes them.
    HWND menuWindow = RunningMenuLoop() ? RunningMenuLoop()->window : down ? MenuBarAt(cursor) : nullptr;
    if (menuWindow) {
        const UINT nonClient = id - (WM_LBUTTONDOWN - WM_NCLBUTTONDOWN);
        input.push_back({Message(menuWindow, nonClient, HTMENU, MAKELPARAM(cursor.x, cursor.y)), keyModifiers});
        return;
    }
    if (!target) return;
    input.push_back({Message(target, id, mouseButtons | ModifierFlags(), ClientPoint(target, cursor)), keyModifiers});
}

void InputCursorMoved(POINT screen) { cursor = screen; }

BOOL WINAPI GetMessageA(LPMSG message, HWND, UINT, UINT) {
    FreeDestroyedWindows();
    RetrieveMessage(message, true);
    return message->message != WM_QUIT;
}

LRESULT WINAPI DispatchMessageA(const MSG* message) {
    if (!message) return 0;
    if (message->message == WM_TIMER && message->lParam) {
        reinterpret_cast<TIMERPROC>(message->lParam)(message->hwnd, WM_TIMER, message->wParam, message->time);
        return 0;
    }
    HWND window = LiveWindow(message->hwnd);
    return window ? CallWindowProcedure(window, message->message, message->wParam, message->lParam) : 0;
}

BOOL WINAPI PostMessageA(HWND window, UINT id, WPARAM wParam, LPARAM lParam) {
    if (window && !LiveWindow(window)) {
        SetLastError(1400);  // ERROR_INVALID_WINDOW_HANDLE
        return FALSE;
    }
    posted.push_back(Message(window, id, wParam, lParam));
    return TRUE;
}

LRESULT WINAPI SendMessageA(HWND window, UINT id, WPARAM wParam, LPARAM lParam) {
    if (!LiveWindow(window)) return 0;
    return CallWindowProcedure(window, id, wParam, lParam);
}

void WINAPI PostQuitMessage(int exitCode) {
    quitPosted = true;
    quitCode = exitCode;
}

UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    if (!LiveWindow(window)) return 0;
    const UINT period = std::max(elapse, 10u);  // USER_TIMER_MINIMUM
    const uint64_t due = platformBackend.now() + period;
    for (Timer& timer : timers)
        if (timer.window == window && timer.id == id) {
            timer = Timer{window, id, period, due, proc};  // setting it again restarts it
            return id;
        }
    timers.push_back(Timer{window, id, period, due, proc});
    return id;
}

BOOL WINAPI KillTimer(HWND window, UINT_PTR id) {
    const size_t before = timers.size();
    timers.erase(std::remove_if(timers.begin(), timers.end(),
                                [&](const Timer& t) { return t.window == window && t.id == id; }),
                 timers.end());
    return timers.size() != before;
}

HDC WINAPI BeginPaint(HWND window, LPPAINTSTRUCT paint) {
    if (!LiveWindow(window) || !paint) return nullptr;
    *paint = PAINTSTRUCT{};
    paint->hdc = GetDC(window);
    paint->rcPaint = ClientRectOf(window);
    window->invalid = false;
    return paint->hdc;
}

BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT*) { return TRUE; }

BOOL WINAPI GetCursorPos(LPPOINT point) {
    if (!point) return FALSE;
    *point = cursor;
    return TRUE;
}

BOOL WINAPI SetCursorPos(int x, int y) {
    cursor = POINT{x, y};
    platformBackend.warpCursor(x, y);
    return TRUE;
}

SHORT WINAPI GetKeyState(int key) {
    const unsigned flag = key == VK_MENU ? kAltKey : key == VK_SHIFT ? kShiftKey : key == VK_CONTROL ? kControlKey : 0;
    return (keyModifiers & flag) ? SHORT(0x8000) : 0;
}
