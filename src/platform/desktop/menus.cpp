// The menu bar and its pulled-down menus, drawn as Windows draws them from
// the core's layout and menu loop: the highlighted bar item raised, the open
// one sunken; in a menu a check column, the labels, the resource's own key
// hints right-aligned. Input goes to the core's menu loop as a user's.
#include <FL/Fl.H>
#include <FL/Fl_Menu_Window.H>
#include <FL/fl_draw.H>

#include <memory>

#include "desktop.h"

namespace {

void UseMenuFont() {
    UseStandInFont();
    fl_font(kDialogFont, kMenuTextSize);
}

// Text with its "&" marks, the next letter underlined as Windows does.
void DrawMenuText(const std::string& text, int x, int y, int w, int h, Fl_Align align) {
    fl_draw_shortcut = 1;
    fl_draw(text.c_str(), x, y, w, h, align, nullptr, 0);
    fl_draw_shortcut = 0;
}

// A pointer event over the bar or a menu, where the core has no client area.
int ReportRootPointer(HWND window, int event) {
    return ReportPointer(event, CoreFromRoot(window, POINT{Fl::event_x_root(), Fl::event_y_root()}));
}

// Windows' check mark: a tick three pixels thick.
void DrawCheck(int x, int y) {
    for (int i = 0; i < 3; i++) {
        fl_line(x, y + 2 + i, x + 2, y + 4 + i);
        fl_line(x + 2, y + 4 + i, x + 6, y + i);
    }
}

class MenuBarView : public Fl_Widget {
public:
    MenuBarView(HWND window, int w, int h) : Fl_Widget(0, 0, w, h), window_(window) {}
    void draw() override {
        fl_rectf(x(), y(), w(), h(), FL_BACKGROUND_COLOR);
        if (!LiveWindow(window_) || !window_->menu) return;
        const MenuLoop* loop = RunningMenuLoop();
        const std::vector<RECT> rects = MenuBarItemRects(window_);
        UseMenuFont();
        for (size_t i = 0; i < rects.size(); i++) {
            const RECT& r = rects[i];
            if (loop && loop->window == window_ && loop->barItem == int(i))
                fl_draw_box(loop->pulledDown ? FL_THIN_DOWN_BOX : FL_THIN_UP_BOX, r.left, r.top, r.right - r.left,
                            r.bottom - r.top, FL_BACKGROUND_COLOR);
            fl_color(FL_FOREGROUND_COLOR);
            DrawMenuText(window_->menu->items[i].text, r.left, r.top, r.right - r.left, r.bottom - r.top,
                         FL_ALIGN_CENTER);
        }
    }
    int handle(int event) override {
        return (LiveWindow(window_) && ReportRootPointer(window_, event)) || Fl_Widget::handle(event);
    }

private:
    HWND window_;
};

// The pulled-down menu: a frame of its own above everything, holding the
// pointer and keyboard while it is shown, as Windows' menus do.
class MenuPopup : public Fl_Menu_Window {
public:
    MenuPopup() : Fl_Menu_Window(0, 0, 1, 1) {
        end();
        set_menu_window();
        set_override();  // the window manager neither frames nor places it
    }
    void Show(const MenuLoop& loop) {
        window_ = loop.window;
        barItem_ = loop.barItem;
        selected_ = loop.selected;
        layout_ = LayOutMenuPopup(window_, barItem_);
        const POINT root = RootFromCore(window_, POINT{layout_.frame.left, layout_.frame.top});
        resize(root.x, root.y, layout_.frame.right - layout_.frame.left, layout_.frame.bottom - layout_.frame.top);
        if (!shown()) show();
        redraw();
        Fl::grab(this);
    }
    void Hide() {
        if (Fl::grab() == this) Fl::grab(nullptr);
        hide();
    }
    void draw() override {
        fl_draw_box(FL_UP_BOX, 0, 0, w(), h(), FL_BACKGROUND_COLOR);
        if (!LiveWindow(window_)) return;
        const std::vector<MenuItem>& items = PopupOf(window_, barItem_)->items;
        UseMenuFont();
        for (size_t i = 0; i < items.size() && i < layout_.items.size(); i++)
            DrawItem(items[i], layout_.items[i], int(i));
    }
    int handle(int event) override {
        if (!LiveWindow(window_)) return Fl_Menu_Window::handle(event);
        if (ReportRootPointer(window_, event)) return 1;
        if (event == FL_KEYBOARD || event == FL_KEYUP || event == FL_SHORTCUT) {
            ReportKey(event == FL_KEYUP ? FL_KEYUP : FL_KEYBOARD, Fl::event_key());
            return 1;
        }
        return Fl_Menu_Window::handle(event);
    }

private:
    void DrawItem(const MenuItem& item, const RECT& r, int index) {
        const int width = r.right - r.left, height = r.bottom - r.top;
        if (item.type & MF_SEPARATOR) {  // an etched line
            const int middle = r.top + height / 2;
            fl_color(FL_DARK3);
            fl_line(r.left + 1, middle - 1, r.right - 2, middle - 1);
            fl_color(FL_LIGHT3);
            fl_line(r.left + 1, middle, r.right - 2, middle);
            return;
        }
        const bool selected = index == selected_;
        if (selected) fl_rectf(r.left, r.top, width, height, FL_SELECTION_COLOR);
        const Fl_Color text = selected ? fl_contrast(FL_FOREGROUND_COLOR, FL_SELECTION_COLOR) : FL_FOREGROUND_COLOR;
        fl_color(item.state & MF_GRAYED ? fl_inactive(text) : text);
        if (item.state & MF_CHECKED) DrawCheck(r.left + 5, r.top + height / 2 - 4);
        const auto [label, hint] = MenuItemLabelAndHint(item);
        DrawMenuText(label, layout_.labelLeft, r.top, width, height, FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
        if (!hint.empty())
            DrawMenuText(hint, r.left, r.top, layout_.hintRight - r.left, height, FL_ALIGN_RIGHT | FL_ALIGN_INSIDE);
    }
    HWND window_ = nullptr;
    int barItem_ = 0, selected_ = -1;
    MenuPopupLayout layout_;
};

std::unique_ptr<MenuPopup> popup;

void LogMenuLoop(const MenuLoop& loop, bool started) {
    if (started) LogInput("menu open");
    if (loop.done) {
        LogInput("menu closed");
        return;
    }
    LogMenu(MenuLoopText(loop).c_str());
}

}  // namespace

void SyncMenuBar(HWND window, DesktopWindow* desktop) {
    const int height = int(MenuBarHeightOf(window));
    if (!desktop->menuBar) {
        desktop->frame->begin();
        desktop->menuBar = new MenuBarView(window, desktop->frame->w(), height);
        desktop->frame->end();
    }
    desktop->menuBar->resize(0, 0, desktop->frame->w(), height);
    desktop->menuBar->redraw();
    LogMenuBar(window, MenuBarItemRects(window));
}

void ShowMenuLoop(const MenuLoop* loop) {
    static bool running = false;
    const bool started = !running;
    running = !loop->done;
    if (!popup) popup = std::make_unique<MenuPopup>();
    const bool live = LiveWindow(loop->window) && DesktopOf(loop->window)->frame;
    if (live) LogMenuLoop(*loop, started);
    if (!live || loop->done || !loop->pulledDown || !PopupOf(loop->window, loop->barItem))
        popup->Hide();
    else
        popup->Show(*loop);
    if (live && DesktopOf(loop->window)->menuBar) DesktopOf(loop->window)->menuBar->redraw();
}

int MenuTextWidth(const std::string& text) {
    std::string shown;  // "&&" is a shown "&", a lone one marks the next letter
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '&' && !(i + 1 < text.size() && text[i + 1] == '&')) continue;
        shown += text[i];
        if (text[i] == '&') i++;
    }
    UseMenuFont();
    return int(fl_width(shown.c_str()) + 0.5);
}
