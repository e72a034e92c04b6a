// Main windows: an FLTK window holding the menu bar, a GL surface over the
// whole client area, and the toolbar and status bar as subwindows lying over
// the surface, as child windows do on Windows.
#include <FL/Fl.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <cstring>
#include <map>
#include <memory>

#include "desktop.h"
#include "images.h"
#include "keys.h"

namespace {

// The core counts a top-level window's frame; FLTK's window is the menu bar
// and client area, the window manager adds the rest.
RECT FltkBoxOf(HWND window) {
    const RECT frame = FrameInsetsFor(window->style, false);
    const RECT client = ClientRectOf(window);
    return RECT{window->rect.left + frame.left, window->rect.top + frame.top, client.right,
                client.bottom + MenuBarHeightOf(window)};
}

const int kSmallestFrame = 100;  // a top-level window's least width and height

unsigned ButtonOf(int fltkButton) {
    return fltkButton == FL_RIGHT_MOUSE ? MK_RBUTTON : fltkButton == FL_MIDDLE_MOUSE ? MK_MBUTTON : MK_LBUTTON;
}

// Mouse events of a widget that stands for `window`, in its client coordinates.
int HandleMouse(HWND window, int event, int x, int y) {
    return ReportPointer(event, ClientToScreenPoint(window, POINT{x, y}));
}

class MainFrame : public Fl_Window {
public:
    MainFrame(HWND window, int x, int y, int w, int h) : Fl_Window(x, y, w, h), window_(window) {}
    void resize(int x, int y, int w, int h) override {
        Fl_Window::resize(x, y, w, h);
        // FLTK fixes a window without a resizable() widget at the size the
        // program gives it (the size grip's, SetWindowPos's), which takes
        // resizing and maximising from the window manager: the frame keeps
        // the range it was made with instead.
        size_range(kSmallestFrame, kSmallestFrame);
        DesktopWindow* desktop = DesktopOf(window_);
        if (desktop->syncing || !LiveWindow(window_)) return;
        // The user resized or moved the window: the core learns it as Windows
        // would tell it (the menu bar's rows then follow the new width).
        const RECT frame = FrameInsetsFor(window_->style, false);
        MoveWindow(window_, x - frame.left, y - frame.top, w + frame.left + frame.right, h + frame.top + frame.bottom,
                   TRUE);
    }
    int handle(int event) override {
        // With nothing focused (a closed dialog took the focus with it) a
        // key comes as a shortcut: it is the window's all the same, as on
        // Windows, and the GL surface takes the focus back.
        if (event == FL_SHORTCUT || event == FL_KEYBOARD || event == FL_KEYUP) {
            if (event == FL_SHORTCUT && DesktopOf(window_)->surface) Fl::focus(DesktopOf(window_)->surface);
            ReportKey(event == FL_KEYUP ? FL_KEYUP : FL_KEYBOARD, Fl::event_key());
            return 1;
        }
        return Fl_Window::handle(event);
    }

private:
    HWND window_;
};

class GlSurface : public Fl_Gl_Window {
public:
    GlSurface(HWND window, int x, int y, int w, int h) : Fl_Gl_Window(x, y, w, h), window_(window) {
        mode(FL_RGB8 | FL_DOUBLE | FL_DEPTH);
    }
    // FLTK wants a picture: the program draws it when its paint message comes.
    void draw() override {}
    void flush() override {
        if (LiveWindow(window_)) InvalidateRect(window_, nullptr, FALSE);
    }
    int handle(int event) override {
        if (event == FL_FOCUS || event == FL_UNFOCUS) return 1;
        if (event == FL_PUSH) Fl::focus(this);
        if (event == FL_KEYBOARD || event == FL_KEYUP) {
            ReportKey(event, Fl::event_key());
            return 1;
        }
        return HandleMouse(window_, event, Fl::event_x(), Fl::event_y()) || Fl_Gl_Window::handle(event);
    }

private:
    HWND window_;
};

// The toolbar's images, cut from its bitmap; silver is the button face.
std::map<int, std::vector<std::unique_ptr<Fl_RGB_Image>>> toolbarImages;
std::vector<std::vector<unsigned char>> imagePixels;

const std::vector<std::unique_ptr<Fl_RGB_Image>>& ImagesOf(int bitmapId) {
    auto& images = toolbarImages[bitmapId];
    if (!images.empty()) return images;
    auto found = Resources().bitmaps.find(bitmapId);
    if (found == Resources().bitmaps.end()) return images;
    const RgbaPicture strip = DecodeBmpFile(found->second);
    for (int i = 0; i * 16 + 16 <= strip.width; i++) {
        RgbaPicture tile = Tile(strip, i, 16);
        for (size_t p = 0; p < tile.rgba.size(); p += 4)
            if (tile.rgba[p] == 192 && tile.rgba[p + 1] == 192 && tile.rgba[p + 2] == 192) tile.rgba[p + 3] = 0;
        imagePixels.push_back(tile.rgba);
        images.push_back(std::make_unique<Fl_RGB_Image>(imagePixels.back().data(), tile.width, tile.height, 4));
    }
    return images;
}

class BarView : public Fl_Window {
public:
    BarView(HWND window, int x, int y, int w, int h) : Fl_Window(x, y, w, h), window_(window) { end(); }
    void draw() override {
        if (!LiveWindow(window_)) return;
        fl_color(FL_BACKGROUND_COLOR);
        fl_rectf(0, 0, w(), h());
        if (window_->className == TOOLBARCLASSNAMEA) DrawToolbar();
        else DrawStatusBar();
    }
    int handle(int event) override {
        if (Grip(event)) return 1;
        if (event == FL_PUSH) pressed_ = true;
        if (event == FL_RELEASE) pressed_ = false;
        if (event == FL_PUSH || event == FL_RELEASE) redraw();
        return HandleMouse(window_, event, Fl::event_x(), Fl::event_y()) || Fl_Window::handle(event);
    }

private:
    void DrawToolbar() {
        const ToolbarState& toolbar = window_->toolbar;
        const auto& images = ImagesOf(toolbar.bitmapId);
        for (size_t i = 0; i < toolbar.buttons.size(); i++) {
            const RECT r = ToolbarButtonRect(window_, int(i));
            const bool down = pressed_ && toolbar.pressed == int(i);
            fl_draw_box(down ? FL_DOWN_BOX : FL_UP_BOX, r.left, r.top, r.right - r.left, r.bottom - r.top,
                        FL_BACKGROUND_COLOR);
            const int image = toolbar.buttons[i].iBitmap;
            if (image >= 0 && size_t(image) < images.size())
                images[image]->draw(r.left + 4 + down, r.top + 4 + down);
        }
    }
    void DrawStatusBar() {
        int left = 0;
        UseStandInFont();
        fl_font(kDialogFont, kStandInSize + 1);  // Windows draws the status bar in its 9-point message font
        for (const StatusPart& part : window_->statusParts) {
            const int right = part.rightEdge < 0 ? w() - 14 : part.rightEdge;
            fl_draw_box(FL_THIN_DOWN_BOX, left, 2, right - left, h() - 2, FL_BACKGROUND_COLOR);
            fl_color(FL_FOREGROUND_COLOR);
            fl_push_clip(left + 3, 2, right - left - 6, h() - 2);
            fl_draw(part.text.c_str(), left + 4, 2, right - left - 8, h() - 2, FL_ALIGN_LEFT);
            fl_pop_clip();
            left = right + 2;
        }
        if (HasGrip()) {
            fl_color(FL_DARK3);
            for (int i = 3; i <= 12; i += 4) fl_line(w() - i, h() - 1, w() - 1, h() - i);
        }
    }
    // The status bar's size grip resizes the top-level window as its
    // bottom-right corner would (Windows' HTBOTTOMRIGHT): a press on the grip,
    // then drags until the release.
    bool Grip(int event) {
        if (event == FL_PUSH) {
            gripping_ = HasGrip() && Fl::event_x() >= w() - kGripSize &&
                        Fl::event_y() >= h() - kGripSize && top_window();
            if (!gripping_) return false;
            pressX_ = Fl::event_x_root(), pressY_ = Fl::event_y_root();
            startW_ = top_window()->w(), startH_ = top_window()->h();
            return true;
        }
        if (!gripping_ || (event != FL_DRAG && event != FL_RELEASE)) return false;
        top_window()->size(std::max(kSmallestFrame, startW_ + Fl::event_x_root() - pressX_),
                           std::max(kSmallestFrame, startH_ + Fl::event_y_root() - pressY_));
        if (event == FL_RELEASE) gripping_ = false;
        return true;
    }
    // As on Windows, a maximised window's status bar has no grip.
    bool HasGrip() const {
        return (window_->style & SBARS_SIZEGRIP) && !(window_->parent && (window_->parent->style & WS_MAXIMIZE));
    }
    static const int kGripSize = 14;
    HWND window_;
    bool pressed_ = false;
    bool gripping_ = false;
    int pressX_ = 0, pressY_ = 0, startW_ = 0, startH_ = 0;
};

void CloseCallback(Fl_Widget*, void* data) {
    HWND window = static_cast<HWND>(data);
    if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;  // Escape is the program's key
    if (LiveWindow(window)) PostMessageA(window, WM_CLOSE, 0, 0);
}

std::unique_ptr<Fl_RGB_Image> windowIcon;
std::vector<unsigned char> windowIconPixels;

void SetIcon(Fl_Window* frame) {
    if (!windowIcon) {
        const auto& icons = Resources().icons;
        if (icons.empty()) return;
        const RgbaPicture picture = DecodeIcoFile(icons.begin()->second);
        if (!picture.width) return;
        windowIconPixels = picture.rgba;
        windowIcon = std::make_unique<Fl_RGB_Image>(windowIconPixels.data(), picture.width, picture.height, 4);
    }
    frame->icon(windowIcon.get());
}

void CreateFrame(HWND window, DesktopWindow* desktop) {
    const RECT box = FltkBoxOf(window);
    auto* frame = new MainFrame(window, box.left, box.top, box.right, box.bottom);
    frame->callback(CloseCallback, window);
    desktop->frame = frame;
    frame->end();
    frame->resizable(nullptr);
    frame->size_range(kSmallestFrame, kSmallestFrame);
    // The X11 class is the registered window class, so that docks tie the
    // window to its desktop entry (StartupWMClass).
    frame->xclass(window->className.c_str());
    SetIcon(frame);
}

}  // namespace

void SyncTopLevel(HWND window) {
    DesktopWindow* desktop = DesktopOf(window);
    if (!desktop->frame) CreateFrame(window, desktop);
    desktop->syncing = true;
    Fl_Window* frame = desktop->frame;
    if (frame->label() == nullptr || window->text != frame->label()) frame->copy_label(window->text.c_str());
    const RECT box = FltkBoxOf(window);
    if (frame->x() != box.left || frame->y() != box.top || frame->w() != box.right || frame->h() != box.bottom)
        frame->resize(box.left, box.top, box.right, box.bottom);
    if (window->menu) SyncMenuBar(window, desktop);
    if (desktop->surface) {
        const RECT client = ClientRectOf(window);
        desktop->surface->resize(0, MenuBarHeightOf(window), client.right, client.bottom);
    }
    if (window->visible && !frame->shown()) frame->show();
    if (frame->shown() && !desktop->stateWatched) WatchWindowState(frame), desktop->stateWatched = true;
    if (!window->visible && frame->shown() && !desktop->surface) frame->hide();
    desktop->syncing = false;
}

bool CreateGlSurface(HWND window) {
    DesktopWindow* desktop = DesktopOf(window);
    if (!desktop->frame) SyncTopLevel(window);
    if (!desktop->frame) return false;
    const RECT client = ClientRectOf(window);
    desktop->surface = new GlSurface(window, 0, MenuBarHeightOf(window), client.right, client.bottom);
    desktop->surface->end();
    desktop->frame->insert(*desktop->surface, 0);  // below the bars that come later
    if (!desktop->surface->can_do()) return false;
    return true;
}

void SyncBar(HWND window) {
    HWND parent = window->parent;
    if (!parent || !parent->backendData) return;
    DesktopWindow* host = DesktopOf(parent);
    DesktopWindow* desktop = DesktopOf(window);
    const LONG top = window->rect.top + MenuBarHeightOf(parent);
    const int w = window->rect.right - window->rect.left, h = window->rect.bottom - window->rect.top;
    if (!desktop->widget) {
        host->frame->begin();
        desktop->widget = new BarView(window, window->rect.left, top, w > 0 ? w : 1, h > 0 ? h : 1);
        host->frame->end();
        if (host->frame->shown()) desktop->widget->show();
    }
    if (w > 0 && h > 0) desktop->widget->resize(window->rect.left, top, w, h);
    if (window->visible) desktop->widget->show();
    else desktop->widget->hide();
    desktop->widget->redraw();
}

namespace {
bool keyboardLast = false;
}  // namespace

bool KeyboardWasLast() { return keyboardLast; }

int ReportPointer(int event, POINT screen) {
    if (event == FL_PUSH) keyboardLast = false;
    switch (event) {
    case FL_ENTER:
    case FL_MOVE:
    case FL_DRAG:
        InputCursorMoved(screen);
        return 1;
    case FL_PUSH:
    case FL_RELEASE:
        InputCursorMoved(screen);
        InputMouseButton(ButtonOf(Fl::event_button()), event == FL_PUSH);
        LogInput(event == FL_PUSH ? "button down" : "button up");
        return 1;
    default:
        return 0;
    }
}

void ReportKey(int event, int key) {
    if (event == FL_KEYBOARD) LogInput("key down"), keyboardLast = true;
    const int virtualKey = VirtualKeyOf(key);
    if (!virtualKey) return;
    const int state = Fl::event_state();
    const unsigned modifiers = (state & FL_ALT ? kAltKey : 0) | (state & FL_SHIFT ? kShiftKey : 0) |
                               (state & FL_CTRL ? kControlKey : 0);
    InputKey(virtualKey, event == FL_KEYBOARD, modifiers);
}

// A top-level window's FLTK window starts where its menu bar does.
POINT RootFromCore(HWND window, POINT screen) {
    const POINT origin = MenuBarOrigin(window);
    const Fl_Window* frame = DesktopOf(window)->frame;
    return POINT{frame->x_root() + screen.x - origin.x, frame->y_root() + screen.y - origin.y};
}

POINT CoreFromRoot(HWND window, POINT root) {
    const POINT origin = MenuBarOrigin(window);
    const Fl_Window* frame = DesktopOf(window)->frame;
    return POINT{origin.x + root.x - frame->x_root(), origin.y + root.y - frame->y_root()};
}

// Core screen coordinates to the real root window's, through the window under them.
void WarpPointer(int screenX, int screenY) {
    HWND window = WindowAtScreenPoint(POINT{screenX, screenY});
    while (window && !IsTopLevel(window)) window = window->parent;
    if (!window || !window->backendData || !DesktopOf(window)->frame) return;
    if (!DesktopOf(window)->frame->shown()) return;
    const POINT root = RootFromCore(window, POINT{screenX, screenY});
    XWarpPointer(fl_display, None, RootWindow(fl_display, fl_screen), 0, 0, 0, 0, root.x, root.y);
    XFlush(fl_display);
    LogInput("cursor placed");
}

void SetFramesActive(bool active) {
    for (HWND window : AllWindows())
        if (IsTopLevel(window) && window->className != "#32770" && window->backendData) {
            Fl_Window* frame = DesktopOf(window)->frame;
            if (!frame) continue;
            if (active) frame->activate();
            else frame->deactivate();
        }
}
