// The common controls the program uses, status bar and toolbar, and the push
// button of dialogs. Each re-fits itself to its parent on WM_SIZE, whatever
// size it was given, as the Windows controls do.
#include <cstring>

#include "internal.h"

namespace {

RECT ParentClient(HWND window) { return window->parent ? ClientRectOf(window->parent) : RECT{0, 0, 0, 0}; }

void Refit(HWND window, RECT rect) {
    window->rect = rect;
    NotifyChanged(window);
}

int ToolbarButtonAt(HWND toolbar, LPARAM point) {
    const LONG x = SHORT(LOWORD(point)), y = SHORT(HIWORD(point));
    for (size_t i = 0; i < toolbar->toolbar.buttons.size(); i++) {
        const RECT r = ToolbarButtonRect(toolbar, int(i));
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return int(i);
    }
    return -1;
}

const BYTE kSeparatorStyle = 0x01;  // TBSTYLE_SEP
const int kSeparatorWidth = 8;

}  // namespace

RECT ToolbarButtonRect(HWND toolbar, int index) {
    LONG left = 0;
    for (int i = 0; i < index; i++)
        left += toolbar->toolbar.buttons[i].fsStyle & kSeparatorStyle ? kSeparatorWidth : kToolbarButtonWidth;
    const bool separator = toolbar->toolbar.buttons[index].fsStyle & kSeparatorStyle;
    return RECT{left, 2, left + (separator ? kSeparatorWidth : kToolbarButtonWidth), 2 + kToolbarButtonHeight};
}

LRESULT CALLBACK StatusBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    std::vector<StatusPart>& parts = window->statusParts;
    switch (message) {
    case WM_CREATE:
        parts.assign(1, StatusPart{-1, ""});
        return 0;
    case WM_SIZE: {
        const RECT parent = ParentClient(window);
        Refit(window, RECT{0, parent.bottom - kStatusBarHeight, parent.right, parent.bottom});
        return 0;
    }
    case SB_SETPARTS: {
        const int* edges = reinterpret_cast<const int*>(lParam);
        if (!edges || wParam == 0 || wParam > 256) return FALSE;
        parts.resize(wParam);
        for (size_t i = 0; i < wParam; i++) parts[i].rightEdge = edges[i];
        NotifyChanged(window);
        return TRUE;
    }
    case SB_SETTEXTA: {
        // The text is read now, when the message is delivered, not when it was posted.
        const size_t part = wParam & 0xFF;
        if (part >= parts.size()) return FALSE;
        parts[part].text = lParam ? reinterpret_cast<const char*>(lParam) : "";
        NotifyChanged(window);
        return TRUE;
    }
    case SB_GETTEXTLENGTHA:
        return (wParam & 0xFF) < parts.size() ? LRESULT(parts[wParam & 0xFF].text.size()) : 0;
    case SB_GETTEXTA: {
        if ((wParam & 0xFF) >= parts.size()) return 0;
        const std::string& text = parts[wParam & 0xFF].text;
        if (lParam) std::memcpy(reinterpret_cast<char*>(lParam), text.c_str(), text.size() + 1);
        return LRESULT(text.size());
    }
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK ToolbarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ToolbarState& toolbar = window->toolbar;
    switch (message) {
    case WM_SIZE: {
        const RECT parent = ParentClient(window);
        Refit(window, RECT{0, 0, parent.right, kToolbarHeight});
        return 0;
    }
    case TB_BUTTONSTRUCTSIZE:
        toolbar.buttonStructSize = wParam;
        return 0;
    case TB_ADDBITMAP: {
        const TBADDBITMAP* added = reinterpret_cast<const TBADDBITMAP*>(lParam);
        if (!added) return -1;
        const int first = toolbar.imageCount;
        toolbar.bitmapId = int(added->nID);
        toolbar.imageCount += int(wParam);
        NotifyChanged(window);
        return first;
    }
    case TB_ADDBUTTONSA: {
        // Windows reads the records with the size it was told; a size other
        // than this build's TBBUTTON would read them wrongly, so none is added.
        const TBBUTTON* buttons = reinterpret_cast<const TBBUTTON*>(lParam);
        if (!buttons || toolbar.buttonStructSize != sizeof(TBBUTTON)) return FALSE;
        toolbar.buttons.insert(toolbar.buttons.end(), buttons, buttons + wParam);
        window->invalid = true;
        NotifyChanged(window);
        return TRUE;
    }
    case TB_BUTTONCOUNT:
        return LRESULT(toolbar.buttons.size());
    case WM_LBUTTONDOWN:
        toolbar.pressed = ToolbarButtonAt(window, lParam);
        return 0;
    case WM_LBUTTONUP: {
        const int index = ToolbarButtonAt(window, lParam);
        const bool click = index >= 0 && index == toolbar.pressed;
        toolbar.pressed = -1;
        if (click && (toolbar.buttons[index].fsState & TBSTATE_ENABLED) &&
            !(toolbar.buttons[index].fsStyle & kSeparatorStyle))
            SendMessageA(window->parent, WM_COMMAND, MAKEWPARAM(toolbar.buttons[index].idCommand, BN_CLICKED),
                         LPARAM(window));
        return 0;
    }
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONUP && window->parent)
        SendMessageA(window->parent, WM_COMMAND, MAKEWPARAM(window->id, BN_CLICKED), LPARAM(window));
    return DefWindowProcA(window, message, wParam, lParam);
}
