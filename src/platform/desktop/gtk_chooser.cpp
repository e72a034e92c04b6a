// What the layer does inside GTK's file chooser, through the GLib and GTK
// that FLTK loaded for it (FLTK opens them at run time; nothing links them).
//
// GTK's chooser runs FLTK 1.3's own loop, which waits on GTK and hands FLTK
// only the X events of its windows, never its timeouts. A GLib timeout, in
// that loop every 10 ms, repaints what FLTK was told is damaged and
// dispatches the core's due timers and paints, as Windows' file dialogs let
// them through. It also undoes GTK's habits of selecting a folder's first
// file when the folder is shown and of completing the name field inline
// (both fill the field: Windows' open dialog starts with it empty and
// nothing selected, and completes only in a list under the field). A name
// the open dialog is to keep (after its not-found message) goes into the
// location field, selected, as Windows keeps the typed name.
#include <FL/Fl.H>
#include <dlfcn.h>

#include <string>

#include "desktop.h"

namespace {

struct GList {  // GLib's lists, as far as they are walked here
    void* data;
    GList* next;
};

struct Gtk {
    void* glib = nullptr;
    void* gtk = nullptr;
    unsigned (*timeoutAdd)(unsigned interval, int (*function)(void*), void* data) = nullptr;
    int (*sourceRemove)(unsigned source) = nullptr;
    void (*free)(void* memory) = nullptr;
    void (*listFree)(GList* list) = nullptr;
    void (*slistFree)(GList* list) = nullptr;
    int (*isA)(void* instance, unsigned long type) = nullptr;
    GList* (*toplevels)() = nullptr;
    unsigned long (*chooserType)() = nullptr;
    int (*mapped)(void* widget) = nullptr;
    char* (*currentFolder)(void* chooser) = nullptr;
    GList* (*filenames)(void* chooser) = nullptr;  // a GSList: GList's first two fields
    void (*unselectAll)(void* chooser) = nullptr;
    unsigned long (*containerType)() = nullptr;
    GList* (*children)(void* container) = nullptr;
    unsigned long (*entryType)() = nullptr;
    void* (*completion)(void* entry) = nullptr;
    void (*setInlineCompletion)(void* completion, int inlineCompletion) = nullptr;
    unsigned (*signalLookup)(const char* name, unsigned long type) = nullptr;
    void (*emitByName)(void* instance, const char* signal, ...) = nullptr;
    const char* (*entryText)(void* entry) = nullptr;
    void (*selectRegion)(void* editable, int start, int end) = nullptr;
    void (*grabFocus)(void* widget) = nullptr;
    void* (*windowOf)(void* widget) = nullptr;
    unsigned long (*xidOf)(void* gdkWindow) = nullptr;
};

template <typename Function>
bool Find(void* library, const char* name, Function* function) {
    *function = library ? reinterpret_cast<Function>(dlsym(library, name)) : nullptr;
    return *function != nullptr;
}

Gtk gtk;
std::string folderShown;  // the folder whose first-file selection was undone
bool undoPending = false;
std::string keptName;     // for the open dialog's location field, or empty
int keptNameTicks = 0;    // ticks the chooser waited for its folder
bool keptNameShown = false;
void* presented = nullptr;  // the chooser given the keyboard

unsigned long TypeOf(void* instance) { return **static_cast<unsigned long**>(instance); }  // G_TYPE_FROM_INSTANCE

// The shown chooser dialog, or null.
void* ShownChooser() {
    GList* windows = gtk.toplevels();
    void* chooser = nullptr;
    for (GList* w = windows; w; w = w->next)
        if (gtk.isA(w->data, gtk.chooserType()) && gtk.mapped(w->data)) chooser = w->data;
    gtk.listFree(windows);
    return chooser;
}

// The name field (a GtkEntry with a completion, made when first shown):
// its completion offers names in its list only.
void CompleteInListOnly(void* widget) {
    if (gtk.isA(widget, gtk.entryType())) {
        if (void* completion = gtk.completion(widget)) gtk.setInlineCompletion(completion, 0);
        return;
    }
    if (!gtk.isA(widget, gtk.containerType())) return;
    GList* children = gtk.children(widget);
    for (GList* c = children; c; c = c->next) CompleteInListOnly(c->data);
    gtk.listFree(children);
}

// The first widget under `widget` (itself included) that `accept` takes.
template <typename Accept>
void* FindWidget(void* widget, const Accept& accept) {
    if (accept(widget)) return widget;
    if (!gtk.isA(widget, gtk.containerType())) return nullptr;
    GList* children = gtk.children(widget);
    void* found = nullptr;
    for (GList* c = children; c && !found; c = c->next) found = FindWidget(c->data, accept);
    gtk.listFree(children);
    return found;
}

// The kept name in the location field, selected and taking the keys: GTK's
// own Ctrl+L with the name (its "location-popup" signal).
void ShowKeptName(void* chooser) {
    void* impl = FindWidget(chooser, [](void* w) { return gtk.signalLookup("location-popup", TypeOf(w)) != 0; });
    if (!impl) return;
    gtk.emitByName(impl, "location-popup", keptName.c_str());
    void* entry = FindWidget(chooser, [](void* w) {
        return gtk.isA(w, gtk.entryType()) && gtk.mapped(w) && keptName == gtk.entryText(w);
    });
    if (!entry) return;
    gtk.grabFocus(entry);
    gtk.selectRegion(entry, 0, -1);
    keptNameShown = true;
    LogInput("chooser name kept");
}

// Undoes GTK's selection; whether there was one. (GTK counts a name typed in
// the location field as selected too: only asked before the kept name is in.)
bool UndoGtkSelection(void* chooser) {
    GList* selected = gtk.filenames(chooser);
    if (!selected) return false;
    for (GList* s = selected; s; s = s->next) gtk.free(s->data);
    gtk.slistFree(selected);
    gtk.unselectAll(chooser);
    return true;
}

// The kept name goes in once GTK has loaded the folder, which it shows by
// selecting the first row (that selection would fill the field over the
// name): at that selection, undone, or half a second on for a folder with
// nothing to select.
void KeepTypedName(void* chooser) {
    if (keptName.empty() || keptNameShown) return;
    if (UndoGtkSelection(chooser) || ++keptNameTicks > 50) ShowKeptName(chooser);
}

// Once per folder shown, the first selection that appears is GTK's own.
void KeepNameFieldEmpty() {
    void* chooser = ShownChooser();
    if (!chooser) return;
    CompleteInListOnly(chooser);
    // It takes the keyboard (a bare X server would not give it). Not GTK's
    // present(): it asks with the time of GTK's last event, older than the
    // layer's last focus change, and the server ignores it.
    if (chooser != presented && TakeFocus(gtk.xidOf(gtk.windowOf(chooser)))) presented = chooser;
    char* folder = gtk.currentFolder(chooser);
    const std::string current = folder ? folder : "";
    gtk.free(folder);
    if (current != folderShown) folderShown = current, undoPending = true;
    if (undoPending && keptName.empty() && UndoGtkSelection(chooser)) undoPending = false;
}

int KeepWaking(void*) {
    Fl::flush();
    DispatchCoreMessages();
    if (!gtk.unselectAll) return 1;
    if (void* chooser = ShownChooser()) KeepTypedName(chooser);
    KeepNameFieldEmpty();
    return 1;  // G_SOURCE_CONTINUE
}

}  // namespace

GtkLoopWaker::GtkLoopWaker(const std::string& nameToKeep) {
    gtk = Gtk{};
    folderShown.clear();
    keptName = nameToKeep;
    keptNameTicks = 0;
    keptNameShown = false;
    presented = nullptr;
    gtk.glib = dlopen("libglib-2.0.so.0", RTLD_LAZY | RTLD_NOLOAD);
    if (!Find(gtk.glib, "g_timeout_add", &gtk.timeoutAdd) || !Find(gtk.glib, "g_source_remove", &gtk.sourceRemove))
        return;  // no GTK: FLTK's own chooser runs in FLTK's loop
    gtk.gtk = dlopen("libgtk-3.so.0", RTLD_LAZY | RTLD_NOLOAD);
    if (!gtk.gtk) gtk.gtk = dlopen("libgtk-x11-2.0.so.0", RTLD_LAZY | RTLD_NOLOAD);
    void* gobject = dlopen("libgobject-2.0.so.0", RTLD_LAZY | RTLD_NOLOAD);
    const bool all = Find(gtk.glib, "g_free", &gtk.free) && Find(gtk.glib, "g_list_free", &gtk.listFree) &&
                     Find(gtk.glib, "g_slist_free", &gtk.slistFree) &&
                     Find(gobject, "g_type_check_instance_is_a", &gtk.isA) &&
                     Find(gtk.gtk, "gtk_window_list_toplevels", &gtk.toplevels) &&
                     Find(gtk.gtk, "gtk_file_chooser_get_type", &gtk.chooserType) &&
                     Find(gtk.gtk, "gtk_widget_get_mapped", &gtk.mapped) &&
                     Find(gtk.gtk, "gtk_file_chooser_get_current_folder", &gtk.currentFolder) &&
                     Find(gtk.gtk, "gtk_file_chooser_get_filenames", &gtk.filenames) &&
                     Find(gtk.gtk, "gtk_container_get_type", &gtk.containerType) &&
                     Find(gtk.gtk, "gtk_container_get_children", &gtk.children) &&
                     Find(gtk.gtk, "gtk_entry_get_type", &gtk.entryType) &&
                     Find(gtk.gtk, "gtk_entry_get_completion", &gtk.completion) &&
                     Find(gtk.gtk, "gtk_entry_completion_set_inline_completion", &gtk.setInlineCompletion) &&
                     Find(gobject, "g_signal_lookup", &gtk.signalLookup) &&
                     Find(gobject, "g_signal_emit_by_name", &gtk.emitByName) &&
                     Find(gtk.gtk, "gtk_entry_get_text", &gtk.entryText) &&
                     Find(gtk.gtk, "gtk_editable_select_region", &gtk.selectRegion) &&
                     Find(gtk.gtk, "gtk_widget_grab_focus", &gtk.grabFocus) &&
                     Find(gtk.gtk, "gtk_widget_get_window", &gtk.windowOf) &&
                     (Find(gtk.gtk, "gdk_x11_drawable_get_xid", &gtk.xidOf) ||
                      Find(gtk.gtk, "gdk_x11_window_get_xid", &gtk.xidOf)) &&
                     Find(gtk.gtk, "gtk_file_chooser_unselect_all", &gtk.unselectAll);
    if (gobject) dlclose(gobject);
    if (!all) gtk.unselectAll = nullptr;
    source_ = gtk.timeoutAdd(10, KeepWaking, nullptr);
}

GtkLoopWaker::~GtkLoopWaker() {
    if (source_) gtk.sourceRemove(source_);
    if (gtk.gtk) dlclose(gtk.gtk);
    if (gtk.glib) dlclose(gtk.glib);
}
