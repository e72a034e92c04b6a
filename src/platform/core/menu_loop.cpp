// Windows' menu loop for a window's menu bar. Left and Right go round every
// item of the bar and the system menu after the last, Up and Down round the
// pulled-down menu; Escape first puts
// the menu away, leaving its bar item highlighted, then leaves the bar; a
// mnemonic letter opens its menu or picks its item; Alt or F10 leave. The
// mouse opens, switches and picks as on Windows, and a press anywhere else
// leaves. Meanwhile the window's other messages (timers, paints) go on.
#include "internal.h"

namespace {

MenuLoop* running = nullptr;

HMENU MenuOf(const MenuLoop& loop) { return PopupOf(loop.window, loop.barItem); }

// The stop `step` (1 or -1) from `barItem` round the bar's items and the
// system menu, which stands after the last item.
int NextStop(const MenuLoop& loop, int step) {
    const int stops = int(loop.window->menu->items.size()) + 1;
    const int at = loop.barItem == kSystemMenu ? stops - 1 : loop.barItem;
    const int next = ((at + step) % stops + stops) % stops;
    return next == stops - 1 ? kSystemMenu : next;
}

bool Selectable(const MenuItem& item) { return !(item.type & MF_SEPARATOR); }

// The next selectable item of the pulled-down menu from `from`, going
// `step` (1 or -1) and wrapping; -1 if none.
int NextItem(const MenuLoop& loop, int from, int step) {
    HMENU menu = MenuOf(loop);
    if (!menu) return -1;
    const int count = int(menu->items.size());
    for (int i = 1; i <= count; i++) {
        const int at = ((from + step * i) % count + count) % count;
        if (Selectable(menu->items[size_t(at)])) return at;
    }
    return -1;
}

// The letter "&" marks in `text`, upper case, or 0.
char Mnemonic(const std::string& text) {
    for (size_t amp = text.find('&'); amp != std::string::npos && amp + 1 < text.size();
         amp = text.find('&', amp + 2))
        if (text[amp + 1] != '&') return char(std::toupper(static_cast<unsigned char>(text[amp + 1])));
    return 0;
}

void PullDown(MenuLoop* loop, int barItem, bool selectFirstItem) {
    loop->barItem = barItem;
    loop->pulledDown = true;
    loop->selected = selectFirstItem ? NextItem(*loop, -1, 1) : -1;
}

// A grayed item is not chosen: the menu stays, as Windows' does.
void Choose(MenuLoop* loop, const MenuItem& item) {
    if (item.state & MF_GRAYED) return;
    if (!item.popup) loop->command = item.id;
    loop->done = true;
}

void Leave(MenuLoop* loop) { loop->done = true; }

void TakeLetter(MenuLoop* loop, char letter) {
    HMENU menu = loop->pulledDown ? MenuOf(*loop) : loop->window->menu;
    const int item = menu ? MenuItemWithMnemonic(menu, letter) : -1;
    if (item < 0) return;
    if (loop->pulledDown) loop->selected = item, Choose(loop, menu->items[size_t(item)]);
    else PullDown(loop, item, true);
}

void TakeKey(MenuLoop* loop, WPARAM key) {
    switch (key) {
    case VK_ESCAPE:
        if (loop->pulledDown) loop->pulledDown = false, loop->selected = -1;
        else Leave(loop);
        return;
    case VK_LEFT:
    case VK_RIGHT: {
        const int next = NextStop(*loop, key == VK_RIGHT ? 1 : -1);
        if (loop->pulledDown) PullDown(loop, next, true);
        else loop->barItem = next;
        return;
    }
    case VK_DOWN:
    case VK_UP:
        if (!loop->pulledDown) PullDown(loop, loop->barItem, true);
        else loop->selected = NextItem(*loop, loop->selected < 0 && key == VK_UP ? 0 : loop->selected,
                                        key == VK_DOWN ? 1 : -1);
        return;
    case VK_RETURN:
        if (!loop->pulledDown) {
            if (MenuOf(*loop)) PullDown(loop, loop->barItem, true);
            else Choose(loop, loop->window->menu->items[size_t(loop->barItem)]);
        } else if (loop->selected >= 0) {
            Choose(loop, MenuOf(*loop)->items[size_t(loop->selected)]);
        }
        return;
    case VK_F10:
        Leave(loop);
        return;
    default:
        if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) TakeLetter(loop, char(key));
    }
}

// The pointer moved to `screen`: over a bar item it switches to that item,
// over a pulled-down menu's item it selects it.
void TakePointer(MenuLoop* loop, POINT screen) {
    const int barItem = MenuBarItemAt(loop->window, screen);
    if (barItem >= 0 && barItem != loop->barItem) {
        loop->barItem = barItem;
        loop->selected = -1;
        return;
    }
    if (!loop->pulledDown) return;
    const int item = MenuPopupItemAt(LayOutMenuPopup(loop->window, loop->barItem), screen);
    if (item >= 0) loop->selected = Selectable(MenuOf(*loop)->items[size_t(item)]) ? item : -1;
}

void TakeButton(MenuLoop* loop, UINT message, POINT screen) {
    const bool down = message == WM_NCLBUTTONDOWN || message == WM_NCRBUTTONDOWN || message == WM_NCMBUTTONDOWN;
    const int barItem = MenuBarItemAt(loop->window, screen);
    const int item = loop->pulledDown ? MenuPopupItemAt(LayOutMenuPopup(loop->window, loop->barItem), screen) : -1;
    if (down) {
        if (barItem < 0 && item < 0) Leave(loop);  // a press elsewhere leaves, and is spent
        else if (barItem >= 0 && barItem == loop->barItem && loop->pulledDown) Leave(loop);  // the open menu's title
        else if (barItem >= 0) PullDown(loop, barItem, false);
        return;
    }
    // A release over an item picks it (the press may have been on the bar).
    if (message == WM_NCLBUTTONUP && item >= 0 && Selectable(MenuOf(*loop)->items[size_t(item)]))
        Choose(loop, MenuOf(*loop)->items[size_t(item)]);
}

bool IsKey(UINT message) { return message >= WM_KEYDOWN && message <= WM_SYSCHAR; }
bool IsMouse(UINT message) {
    return (message >= WM_MOUSEMOVE && message <= WM_MBUTTONUP) ||
           (message >= WM_NCLBUTTONDOWN && message <= WM_NCMBUTTONUP);
}

bool SameState(const MenuLoop& a, const MenuLoop& b) {
    return a.barItem == b.barItem && a.pulledDown == b.pulledDown && a.selected == b.selected && a.done == b.done;
}

}  // namespace

const MenuLoop* RunningMenuLoop() { return running; }

std::string MenuLoopText(const MenuLoop& loop) {
    std::string text = loop.barItem == kSystemMenu ? "System menu" : loop.window->menu->items[size_t(loop.barItem)].text;
    if (loop.pulledDown) text += " pulled down";
    if (loop.selected >= 0) text += ": " + MenuItemLabelAndHint(MenuOf(loop)->items[size_t(loop.selected)]).first;
    return text;
}

int MenuItemWithMnemonic(HMENU menu, char letter) {
    for (size_t i = 0; i < menu->items.size(); i++)
        if (Mnemonic(menu->items[i].text) == letter) return int(i);
    return -1;
}

void RunMenuLoop(HWND window, int barItem, bool pulledDown, bool selectFirstItem) {
    if (running || !window->menu || (barItem != kSystemMenu && (barItem < 0 || size_t(barItem) >= window->menu->items.size())))
        return;
    MenuLoop loop;
    loop.window = window;
    loop.barItem = barItem;
    if (pulledDown) PullDown(&loop, barItem, selectFirstItem);
    running = &loop;
    POINT pointer = {}, lastPointer = {};
    GetCursorPos(&lastPointer);
    bool altPressed = false;  // Alt leaves on its release, so that the release opens nothing
    platformBackend.showMenuLoop(&loop);
    while (!loop.done) {
        const MenuLoop before = loop;
        MSG message;
        if (!RetrieveMessage(&message, false)) {
            platformBackend.waitEvents(MillisecondsToNextTimer());
        } else if (message.message == WM_QUIT) {  // leave, and let the outer loop see it too
            PostQuitMessage(int(message.wParam));
            Leave(&loop);
        } else if (IsKey(message.message)) {
            const bool down = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
            if (down && message.wParam == VK_MENU) altPressed = true;
            else if (!down && message.wParam == VK_MENU && altPressed) Leave(&loop);
            else if (down) TakeKey(&loop, message.wParam);
        } else if (message.message >= WM_NCLBUTTONDOWN && message.message <= WM_NCMBUTTONUP) {
            TakeButton(&loop, message.message, POINT{short(LOWORD(message.lParam)), short(HIWORD(message.lParam))});
        } else if (!IsMouse(message.message)) {
            DispatchMessageA(&message);
        }
        if (!LiveWindow(window)) break;
        GetCursorPos(&pointer);
        if (pointer.x != lastPointer.x || pointer.y != lastPointer.y) TakePointer(&loop, pointer);
        lastPointer = pointer;
        if (!SameState(before, loop) && !loop.done) platformBackend.showMenuLoop(&loop);
    }
    loop.done = true;
    running = nullptr;
    TakeLoneAltRelease();
    platformBackend.showMenuLoop(&loop);
    if (loop.command && LiveWindow(window))
        PostMessageA(window, loop.barItem == kSystemMenu ? WM_SYSCOMMAND : WM_COMMAND, WPARAM(loop.command), 0);
}
