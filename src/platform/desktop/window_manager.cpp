// What the window manager is asked for and what it tells: the system menu's
// commands (EWMH requests), a main window's maximised and minimised states
// (its _NET_WM_STATE), and the keyboard focus of the layer's new windows.
// With no window manager running the layer does what Windows itself would.
#include <FL/Fl.H>
#include <FL/x.H>

#include "desktop.h"

namespace {

struct Atoms {
    Atom state, maximisedVert, maximisedHorz, hidden, moveResize, wmCheck;
};

const Atoms& AtomsOf() {
    static const Atoms atoms = {XInternAtom(fl_display, "_NET_WM_STATE", False),
                                XInternAtom(fl_display, "_NET_WM_STATE_MAXIMIZED_VERT", False),
                                XInternAtom(fl_display, "_NET_WM_STATE_MAXIMIZED_HORZ", False),
                                XInternAtom(fl_display, "_NET_WM_STATE_HIDDEN", False),
                                XInternAtom(fl_display, "_NET_WM_MOVERESIZE", False),
                                XInternAtom(fl_display, "_NET_SUPPORTING_WM_CHECK", False)};
    return atoms;
}

Window Root() { return RootWindow(fl_display, fl_screen); }

// The 32-bit values (atoms, windows) of a window's property of `type`, or none.
std::vector<unsigned long> PropertyValues(Window window, Atom property, Atom type) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> values;
    if (XGetWindowProperty(fl_display, window, property, 0, 64, False, type, &actualType, &format, &count, &after,
                           &data) == Success && data && format == 32)
        values.assign(reinterpret_cast<unsigned long*>(data), reinterpret_cast<unsigned long*>(data) + count);
    if (data) XFree(data);
    return values;
}

// EWMH: the root names the manager's own window.
bool WindowManagerRunning() { return PropertyValues(Root(), AtomsOf().wmCheck, XA_WINDOW).size() == 1; }

// An EWMH request about `frame`, sent to the root window as the standard says.
void AskWindowManager(Fl_Window* frame, Atom message, long a, long b, long c, long d, long e) {
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = fl_xid(frame);
    event.xclient.message_type = message;
    event.xclient.format = 32;
    const long data[5] = {a, b, c, d, e};
    for (int i = 0; i < 5; i++) event.xclient.data.l[i] = data[i];
    XSendEvent(fl_display, Root(), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(fl_display);
}

void AskMaximised(Fl_Window* frame, bool maximised) {
    const Atoms& atoms = AtomsOf();
    AskWindowManager(frame, atoms.state, maximised ? 1 : 0, long(atoms.maximisedVert), long(atoms.maximisedHorz), 1, 0);
}

DWORD StateOf(Window window) {
    const Atoms& atoms = AtomsOf();
    const std::vector<unsigned long> state = PropertyValues(window, atoms.state, XA_ATOM);
    const auto has = [&](Atom atom) { return std::find(state.begin(), state.end(), atom) != state.end(); };
    return (has(atoms.maximisedVert) && has(atoms.maximisedHorz) ? WS_MAXIMIZE : 0) | (has(atoms.hidden) ? WS_MINIMIZE : 0);
}

// A main window's _NET_WM_STATE changed: the core learns its state.
int WatchState(void* event, void*) {
    const XEvent* x = static_cast<const XEvent*>(event);
    if (x->type != PropertyNotify || x->xproperty.atom != AtomsOf().state) return 0;
    for (HWND window : AllWindows()) {
        Fl_Window* frame = IsTopLevel(window) && window->backendData ? DesktopOf(window)->frame : nullptr;
        if (frame && frame->shown() && fl_xid(frame) == x->xproperty.window)
            WindowStateChanged(window, StateOf(x->xproperty.window));
    }
    return 0;
}

}  // namespace

void WatchWindowState(Fl_Window* frame) {
    static bool watching = false;
    if (!watching) Fl::add_system_handler(WatchState, nullptr);
    watching = true;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(fl_display, fl_xid(frame), &attributes)) return;
    XSelectInput(fl_display, fl_xid(frame), attributes.your_event_mask | PropertyChangeMask);
}

void SystemCommand(HWND window, UINT command) {
    Fl_Window* frame = window->backendData ? DesktopOf(window)->frame : nullptr;
    if (!frame || !frame->shown()) return;
    const bool managed = WindowManagerRunning();
    const bool iconic = window->style & WS_MINIMIZE;
    switch (command) {
    case SC_MAXIMIZE:
    case SC_RESTORE:
        if (iconic) frame->show();  // deiconified, as it was before
        else if (managed) AskMaximised(frame, command == SC_MAXIMIZE);
        else ZoomWindow(window, command == SC_MAXIMIZE);
        break;
    case SC_MINIMIZE:
        if (managed) frame->iconize();  // with nothing to bring it back, it stays
        break;
    case SC_MOVE:
    case SC_SIZE:  // the window manager's own keyboard move and size
        if (managed)
            AskWindowManager(frame, AtomsOf().moveResize, Fl::event_x_root(), Fl::event_y_root(),
                             command == SC_MOVE ? 10 : 9, 0, 1);
        break;
    }
}

// A shown window takes the keyboard, as a new window does on Windows; a
// window manager would give it, a bare X server does not.
namespace {
int IgnoreXError(Display*, XErrorEvent*) { return 0; }
}  // namespace

bool TakeFocus(unsigned long xid) {
    if (!xid) return false;
    // Another toolkit's window may not exist on the server yet, or no longer:
    // the errors of these requests are ours to ignore (GTK's handler, which
    // Xlib shares with every connection, would end the program).
    XSync(fl_display, False);  // mapped first, where no window manager holds the mapping back
    XErrorHandler previous = XSetErrorHandler(IgnoreXError);
    XWindowAttributes attributes;
    const bool viewable = XGetWindowAttributes(fl_display, xid, &attributes) && attributes.map_state == IsViewable;
    if (viewable) XSetInputFocus(fl_display, xid, RevertToParent, CurrentTime);
    XSync(fl_display, False);
    XSetErrorHandler(previous);
    return viewable;
}

void TakeFocus(Fl_Window* window) {
    if (window && window->shown()) TakeFocus(fl_xid(window));
}
