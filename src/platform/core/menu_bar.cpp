// A window's menu bar laid out as Windows lays it: items left to right, a new
// row where the next no longer fits, the right-justified items at the right
// end of their row. Its rows are taken from the client area.
#include "internal.h"

std::vector<RECT> MenuBarItemRects(HWND window) {
    std::vector<RECT> rects;
    if (!window->menu || !IsTopLevel(window)) return rects;
    const RECT frame = FrameInsetsFor(window->style, false);
    const LONG barWidth = window->rect.right - window->rect.left - frame.left - frame.right;
    LONG x = 0, row = 0;
    for (const MenuItem& item : window->menu->items) {
        const LONG width = platformBackend.menuItemWidth(item.text);
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
