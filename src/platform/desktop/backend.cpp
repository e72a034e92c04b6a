// The desktop backend's table: a real clock, FLTK's event loop, and the
// mapping of each core window to its widgets.
#include <FL/Fl.H>
#include <FL/x.H>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "desktop.h"

namespace {

uint64_t Now() {
    using namespace std::chrono;
    return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void OpenDisplay() {
    static bool opened = false;
    if (opened) return;
    if (!fl_display) {
        Display* display = XOpenDisplay(nullptr);
        if (!display) {
            std::fprintf(stderr, "Velmorin needs a display, and none could be opened (DISPLAY=%s).\n",
                         std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "");
            std::exit(1);
        }
        fl_open_display(display);
    }
    opened = true;
}

void ScreenSize(int* width, int* height) {
    OpenDisplay();
    *width = Fl::w();
    *height = Fl::h();
}

void WaitEvents(int64_t timeoutMs) {
    OpenDisplay();
    Fl::wait(timeoutMs < 0 ? 1e6 : double(timeoutMs) / 1000.0);
}

void LogStatusTexts(HWND window) {
    static std::map<HWND, std::string> last;
    if (!LayerLog() || window->className != STATUSCLASSNAMEA || window->statusParts.empty()) return;
    const std::string& text = window->statusParts[0].text;
    if (last[window] == text) return;
    last[window] = text;
    std::fprintf(LayerLog(), "status %s\n", text.c_str());
    std::fflush(LayerLog());
}

void WindowChanged(HWND window) {
    OpenDisplay();
    LogStatusTexts(window);
    if (window->className == "#32770") SyncDialog(window);
    else if (IsTopLevel(window)) SyncTopLevel(window);
    else if (window->parent && window->parent->className == "#32770") SyncDialogControl(window);
    else SyncBar(window);
}

void WindowDestroyed(HWND window) {
    DesktopWindow* desktop = static_cast<DesktopWindow*>(window->backendData);
    if (!desktop) return;
    if (desktop->frame) {
        desktop->frame->hide();
        Fl::delete_widget(desktop->frame);  // its menu, surface and bars go with it
    } else if (desktop->widget && desktop->widget->parent()) {
        desktop->widget->hide();
    }
    delete desktop;
    window->backendData = nullptr;
}

void* CreateContext(HWND window) {
    DesktopWindow* desktop = DesktopOf(window);
    if (!desktop->surface) return nullptr;
    desktop->frame->show();  // GLX needs the window on the screen before a context exists
    Fl::flush();
    return desktop->surface;
}

bool MakeCurrent(HWND window, void* context) {
    if (!window || !context) return true;
    static_cast<Fl_Gl_Window*>(context)->make_current();
    return true;
}

void DeleteContext(void*) {}  // FLTK keeps the context with its window

void SwapWindowBuffers(HWND window) {
    DesktopWindow* desktop = DesktopOf(window);
    if (desktop->surface && desktop->surface->shown()) desktop->surface->swap_buffers();
}

void DialogBaseUnits(const std::string& face, int points, int* x, int* y) {
    OpenDisplay();
    MeasureDialogFont(face, points, x, y);
}

int MeasureMenuText(const std::string& text) {
    OpenDisplay();
    return MenuTextWidth(text);
}

}  // namespace

// With VELMORIN_LAYER_LOG naming a file, the layer notes there what it shows
// (status texts, dialogs) for the window tests; the program itself reads no
// environment.
FILE* LayerLog() {
    static FILE* log = std::getenv("VELMORIN_LAYER_LOG") ? std::fopen(std::getenv("VELMORIN_LAYER_LOG"), "a") : nullptr;
    return log;
}

void LogMenu(const char* label) {
    if (!LayerLog()) return;
    std::fprintf(LayerLog(), "menu %s\n", label);
    std::fflush(LayerLog());
}

void LogInput(const char* what) {
    if (!LayerLog()) return;
    std::fprintf(LayerLog(), "input %s\n", what);
    std::fflush(LayerLog());
}

void LogMenuBar(HWND window, const std::vector<RECT>& items) {
    static std::map<HWND, std::string> last;
    if (!LayerLog()) return;
    std::string line = "menubar";
    for (size_t i = 0; i < items.size(); i++) {
        const RECT& r = items[i];
        line += " " + window->menu->items[i].text + " " + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                std::to_string(r.right) + "," + std::to_string(r.bottom);
    }
    if (last[window] == line) return;
    last[window] = line;
    std::fprintf(LayerLog(), "%s\n", line.c_str());
    std::fflush(LayerLog());
}

void LogShown(const Modal& modal) {
    if (!LayerLog()) return;
    const char* kinds[] = {"message", "open", "save", "colour", "dialog"};
    std::string title = modal.caption;
    if (modal.file && modal.file->lpstrTitle) title = modal.file->lpstrTitle;
    if (modal.dialog) title = modal.dialog->text;
    std::fprintf(LayerLog(), "shown %s \"%s\" \"%s\"", kinds[int(modal.kind)], title.c_str(),
                 modal.file ? modal.file->lpstrFile : modal.text.c_str());
    char folder[4096];
    if (modal.file && getcwd(folder, sizeof folder)) std::fprintf(LayerLog(), " in \"%s\"", folder);
    if (modal.color && modal.color->lpCustColors) {  // the custom colours offered, as r,g,b
        std::fprintf(LayerLog(), " custom");
        for (int i = 0; i < 16; i++) {
            const COLORREF c = modal.color->lpCustColors[i];
            std::fprintf(LayerLog(), " %d,%d,%d", GetRValue(c), GetGValue(c), GetBValue(c));
        }
    }
    std::fprintf(LayerLog(), "\n");
    std::fflush(LayerLog());
}

DesktopWindow* DesktopOf(HWND window) {
    if (!window->backendData) window->backendData = new DesktopWindow;
    return static_cast<DesktopWindow*>(window->backendData);
}

namespace {

PlatformBackend MakeBackend() {
    PlatformBackend backend = {};
    backend.now = Now;
    backend.screenSize = ScreenSize;
    backend.waitEvents = WaitEvents;
    backend.windowChanged = WindowChanged;
    backend.windowDestroyed = WindowDestroyed;
    backend.warpCursor = WarpPointer;
    backend.createSurface = CreateGlSurface;
    backend.createContext = CreateContext;
    backend.makeCurrent = MakeCurrent;
    backend.deleteContext = DeleteContext;
    backend.swapBuffers = SwapWindowBuffers;
    backend.beginModal = BeginDesktopModal;
    backend.endModal = EndDesktopModal;
    backend.showMenuLoop = ShowMenuLoop;
    backend.dialogBaseUnits = DialogBaseUnits;
    backend.menuTextWidth = MeasureMenuText;
    backend.systemCommand = SystemCommand;
    return backend;
}

}  // namespace

extern const PlatformBackend platformBackend = MakeBackend();
