// A window's menu bar laid out as Windows lays it: items left to right, a new
// row where the next no longer fits, the right-justified items at the right
// end of their row. Its rows are taken from the client area. And the menus it
// pulls down: a check column, the labels, the key hints right-aligned.
#include "internal.h"

namespace {

const LONG kBarItemMargin = 7;     // either side of a top-level item's text
const LONG kPopupBorder = 3;       // a pulled-down menu's raised frame
const LONG kPopupItemHeight = 17;  // Windows' classic item for an 8-point font
const LONG kSeparatorHeight = 9;
const LONG kCheckColumn = 17;      // where check marks go, left of every label
const LONG kHintGap = 24;          // between the longest label and the hints
const LONG kRightMargin = 17;      // Windows keeps room for a submenu's arrow

LONG MenuTextWidth(const std::string& text) { return platformBackend.menuTextWidth(text); }

bool Contains(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

}  // namespace

std::vector<RECT> MenuBarItemRects(HWND window) {
    std::vector<RECT> rects;
    if (!window->menu || !IsTopLevel(window)) return rects;
    const RECT frame = FrameInsetsFor(window->style, false);
    const LONG barWidth = window->rect.right - window->rect.left - frame.left - frame.right;
    LONG x = 0, row = 0;
    for (const MenuItem& item : window->menu->items) {
        const LONG width = MenuTextWidth(item.text) + 2 * kBarItemMargin;
        // An item wider than the bar still gets a row of its own.
        if (x > 0 && x + width > barWidth) x = 0, row++;
        rects.push_back(RECT{x, row * kMenuBarHeight, x + width, (row + 1) * kMenuBarHeight});
        x += width;
    }
    // From the first right-justified item on, the items of the last row move
    // to its right end.
    const auto& items = window->menu->items;
    const auto justified = std::find_if(items.begin(), items.end(),
                                        [](const MenuItem& item) { return item.type & MFT_RIGHTJUSTIFY; });
    if (justified == items.end()) return rects;
    const LONG shift = barWidth - rects.back().right;
    if (shift <= 0) return rects;
    for (size_t i = size_t(justified - items.begin()); i < rects.size(); i++)
        if (rects[i].top == rects.back().top) rects[i].left += shift, rects[i].right += shift;
    return rects;
}

LONG MenuBarHeightOf(HWND window) {
    if (!window->menu || !IsTopLevel(window)) return 0;
    const std::vector<RECT> rects = MenuBarItemRects(window);
    return rects.empty() ? kMenuBarHeight : rects.back().bottom;
}

POINT MenuBarOrigin(HWND window) {
    const RECT frame = FrameInsetsFor(window->style, false);
    return POINT{window->rect.left + frame.left, window->rect.top + frame.top};
}

int MenuBarItemAt(HWND window, POINT screen) {
    const POINT origin = MenuBarOrigin(window);
    const std::vector<RECT> rects = MenuBarItemRects(window);
    for (size_t i = 0; i < rects.size(); i++)
        if (Contains(rects[i], POINT{screen.x - origin.x, screen.y - origin.y})) return int(i);
    return -1;
}

std::pair<std::string, std::string> MenuItemLabelAndHint(const MenuItem& item) {
    const size_t tab = item.text.find('\t');
    if (tab == std::string::npos) return {item.text, ""};
    return {item.text.substr(0, tab), item.text.substr(tab + 1)};
}

HMENU SystemMenuOf(HWND window) {
    if (!window->systemMenu) {
        window->systemMenu = std::make_unique<HMENU__>();
        const std::pair<const char*, UINT> items[] = {{"&Restore", SC_RESTORE},   {"&Move", SC_MOVE},
                                                      {"&Size", SC_SIZE},         {"Mi&nimize", SC_MINIMIZE},
                                                      {"Ma&ximize", SC_MAXIMIZE}, {"", 0},
                                                      {"&Close\tAlt+F4", SC_CLOSE}};
        for (const auto& [text, id] : items)
            window->systemMenu->items.push_back(MenuItem{text, id, UINT(id ? MF_STRING : MF_SEPARATOR), 0, nullptr});
    }
    const DWORD style = window->style;
    const bool zoomed = style & WS_MAXIMIZE, iconic = style & WS_MINIMIZE;
    for (MenuItem& item : window->systemMenu->items) {
        bool enabled = true;
        switch (item.id) {
        case SC_RESTORE: enabled = zoomed || iconic; break;
        case SC_MOVE: enabled = !zoomed; break;
        case SC_SIZE: enabled = !zoomed && !iconic && (style & WS_THICKFRAME); break;
        case SC_MINIMIZE: enabled = !iconic && (style & WS_MINIMIZEBOX); break;
        case SC_MAXIMIZE: enabled = !zoomed && (style & WS_MAXIMIZEBOX); break;
        }
        item.state = enabled ? 0 : MF_GRAYED;
    }
    return window->systemMenu.get();
}

HMENU PopupOf(HWND window, int barItem) {
    if (barItem == kSystemMenu) return SystemMenuOf(window);
    if (!window->menu || barItem < 0 || size_t(barItem) >= window->menu->items.size()) return nullptr;
    return window->menu->items[size_t(barItem)].popup;
}

MenuPopupLayout LayOutMenuPopup(HWND window, int barItem) {
    MenuPopupLayout layout;
    const std::vector<RECT> bar = MenuBarItemRects(window);
    HMENU popup = PopupOf(window, barItem);
    if (!popup || (barItem != kSystemMenu && size_t(barItem) >= bar.size())) return layout;
    LONG labels = 0, hints = 0, y = kPopupBorder;
    for (const MenuItem& item : popup->items) {
        const LONG height = (item.type & MF_SEPARATOR) ? kSeparatorHeight : kPopupItemHeight;
        layout.items.push_back(RECT{kPopupBorder, y, 0, y + height});
        y += height;
        if (item.type & MF_SEPARATOR) continue;
        const auto [label, hint] = MenuItemLabelAndHint(item);
        labels = std::max(labels, MenuTextWidth(label));
        hints = std::max(hints, MenuTextWidth(hint));
    }
    const LONG width = 2 * kPopupBorder + kCheckColumn + labels + (hints ? kHintGap + hints : 0) + kRightMargin;
    layout.labelLeft = kPopupBorder + kCheckColumn;
    layout.hintRight = width - kPopupBorder - kRightMargin;
    for (RECT& r : layout.items) r.right = width - kPopupBorder;
    // Under its bar item (the system menu under the caption, at the window's
    // left edge), moved left where the screen would cut it.
    const POINT origin = MenuBarOrigin(window);
    const RECT under = barItem == kSystemMenu ? RECT{} : bar[size_t(barItem)];
    int screenWidth = 0, screenHeight = 0;
    platformBackend.screenSize(&screenWidth, &screenHeight);
    LONG left = std::min(origin.x + under.left, LONG(screenWidth) - width);
    left = std::max(left, LONG(0));
    const LONG top = origin.y + under.bottom;
    layout.frame = RECT{left, top, left + width, top + y + kPopupBorder};
    return layout;
}

int MenuPopupItemAt(const MenuPopupLayout& layout, POINT screen) {
    const POINT inside = {screen.x - layout.frame.left, screen.y - layout.frame.top};
    for (size_t i = 0; i < layout.items.size(); i++)
        if (Contains(layout.items[i], inside)) return int(i);
    return -1;
}
