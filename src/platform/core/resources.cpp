// Resources by number: menus, accelerator tables, icons and the script they
// come from.
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "internal.h"

namespace {

const ResourceBundle* override = nullptr;
std::optional<ResourceTable> table;
std::vector<std::unique_ptr<HMENU__>> menus;
std::vector<std::unique_ptr<HACCEL__>> accelerators;
std::vector<std::unique_ptr<HICON__>> icons;
HICON__ stockIcon = {0, {}};
HINSTANCE__ moduleInstance = {0};

HMENU BuildMenu(const std::vector<MenuTemplateItem>& items) {
    menus.push_back(std::make_unique<HMENU__>());
    HMENU menu = menus.back().get();
    for (const MenuTemplateItem& item : items) {
        MenuItem built;
        built.text = item.text;
        built.id = item.id;
        built.type = item.type;
        built.state = item.state;
        if (item.isPopup) built.popup = BuildMenu(item.popup);
        menu->items.push_back(built);
    }
    return menu;
}

MenuItem* FindItem(HMENU menu, UINT id, UINT flags) {
    if (!menu) return nullptr;
    if (flags & MF_BYPOSITION) return id < menu->items.size() ? &menu->items[id] : nullptr;
    for (MenuItem& item : menu->items) {
        if (!item.popup && item.id == id) return &item;
        if (MenuItem* found = FindItem(item.popup, id, flags)) return found;
    }
    return nullptr;
}

}  // namespace

HINSTANCE ModuleInstance() { return &moduleInstance; }

const ResourceTable& Resources() {
    if (!table) {
        table = ParseResourceScript(override ? *override : EmbeddedResources());
        // A script that does not parse would give a program without its menu,
        // keys or dialogs and no word of why: it stops at start-up instead.
        if (!table->error.empty()) {
            std::fprintf(stderr, "The program's resource script cannot be read: %s\n", table->error.c_str());
            std::exit(1);
        }
    }
    return *table;
}

void UseResources(const ResourceBundle* bundle) {
    override = bundle;
    table.reset();
}

void ResetResources() {
    menus.clear();
    accelerators.clear();
    icons.clear();
}

HMENU LoadMenuResource(int id) {
    auto found = Resources().menus.find(id);
    return found == Resources().menus.end() ? nullptr : BuildMenu(found->second);
}

const MenuItem* MenuItemById(HMENU menu, UINT id) { return FindItem(menu, id, MF_BYCOMMAND); }

DWORD WINAPI CheckMenuItem(HMENU menu, UINT id, UINT flags) {
    MenuItem* item = FindItem(menu, id, flags);
    if (!item) return DWORD(-1);
    const DWORD previous = item->state & MF_CHECKED;
    item->state = (item->state & ~UINT(MF_CHECKED)) | (flags & MF_CHECKED);
    for (HWND w : AllWindows())
        if (w->menu == menu) NotifyChanged(w);
    return previous;
}

UINT WINAPI GetMenuState(HMENU menu, UINT id, UINT flags) {
    const MenuItem* item = FindItem(menu, id, flags);
    return item ? item->state | item->type : UINT(-1);
}

HACCEL WINAPI LoadAcceleratorsA(HINSTANCE, LPCSTR name) {
    if (!IS_INTRESOURCE(name)) return nullptr;
    auto found = Resources().accelerators.find(LOWORD(name));
    if (found == Resources().accelerators.end()) return nullptr;
    accelerators.push_back(std::make_unique<HACCEL__>(HACCEL__{found->second}));
    return accelerators.back().get();
}

int WINAPI TranslateAcceleratorA(HWND window, HACCEL table, LPMSG message) {
    if (!table || !message || !LiveWindow(window)) return 0;
    const bool key = message->message == WM_KEYDOWN || message->message == WM_SYSKEYDOWN;
    const bool character = message->message == WM_CHAR || message->message == WM_SYSCHAR;
    if (!key && !character) return 0;
    const BYTE held = (GetKeyState(VK_MENU) < 0 ? FALT : 0) | (GetKeyState(VK_SHIFT) < 0 ? FSHIFT : 0) |
                      (GetKeyState(VK_CONTROL) < 0 ? FCONTROL : 0);
    for (const ACCEL& entry : table->entries) {
        const bool virtualKey = entry.fVirt & FVIRTKEY;
        // Key presses match virtual-key entries; only character messages match
        // character entries, and this layer makes none.
        if (virtualKey != key || entry.key != message->wParam) continue;
        if (virtualKey && (entry.fVirt & (FALT | FSHIFT | FCONTROL)) != held) continue;
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(entry.cmd, 1), 0);
        return 1;
    }
    return 0;
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) {
    if (!instance) return &stockIcon;
    if (!IS_INTRESOURCE(name)) return nullptr;
    auto found = Resources().icons.find(LOWORD(name));
    if (found == Resources().icons.end()) return nullptr;
    icons.push_back(std::make_unique<HICON__>(HICON__{LOWORD(name), found->second}));
    return icons.back().get();
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR) { return instance ? nullptr : &stockIcon; }
