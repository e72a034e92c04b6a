// Template dialogs and message boxes as FLTK windows run by the core's own
// modal loop; the open, save and colour choosers are FLTK's (GTK's file
// chooser where GTK is present), during which a timeout keeps the core's
// paint and timer messages flowing.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Native_File_Chooser.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <unistd.h>

#include <cstring>
#include <memory>

#include "desktop.h"
#include "images.h"

namespace {

// Windows' focus cues: a dialog opened from the keyboard shows which button
// has the focus at once, one opened with the mouse only after a key.
bool focusCues = true;

// The stand-in at a template's size ("Gamma Level" needs 68 of its 66 pixels
// at 11 px for 8 points, hence 10).
int dialogFontSize = kStandInSize;

void Wake() { PostMessageA(nullptr, WM_NULL, 0, 0); }

void PostCommand(HWND dialog, int id, HWND control) {
    if (LiveWindow(dialog)) PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(control));
}

void ButtonCallback(Fl_Widget*, void* data) {
    HWND control = static_cast<HWND>(data);
    if (LiveWindow(control)) PostCommand(control->parent, control->id, control);
}

void EditCallback(Fl_Widget* widget, void* data) {
    HWND control = static_cast<HWND>(data);
    if (!LiveWindow(control)) return;
    DesktopWindow* desktop = DesktopOf(control);
    desktop->syncing = true;
    SetWindowTextA(control, static_cast<Fl_Input*>(widget)->value());
    desktop->syncing = false;
}

// The close box and Escape cancel, as in a Windows dialog.
void DialogCloseCallback(Fl_Widget*, void* data) { PostCommand(static_cast<HWND>(data), IDCANCEL, nullptr); }

// A static text as Windows draws one: from its rectangle's corner (FLTK
// would inset it 3 pixels), wrapped at word breaks, clipped to the rectangle.
const Fl_Align kStaticTextAlign = FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE | FL_ALIGN_WRAP;

class StaticText : public Fl_Widget {
public:
    StaticText(int x, int y, int w, int h) : Fl_Widget(x, y, w, h) { box(FL_FLAT_BOX); }
    void draw() override {
        draw_box();  // a changed text leaves nothing of the old one
        fl_push_clip(x(), y(), w(), h());
        fl_font(labelfont(), labelsize());
        fl_color(active_r() ? labelcolor() : fl_inactive(labelcolor()));
        if (label()) fl_draw(label(), x(), y(), w(), h(), kStaticTextAlign, nullptr, 0);
        fl_pop_clip();
    }
};

std::unique_ptr<Fl_RGB_Image> dialogIcon;
std::vector<unsigned char> dialogIconPixels;

Fl_Widget* MakeControl(HWND control) {
    const int x = control->rect.left, y = control->rect.top;
    const int w = control->rect.right - x, h = control->rect.bottom - y;
    Fl_Widget* widget = nullptr;
    if (control->className == "Button") {
        const bool isDefault = (control->style & 0x0F) == BS_DEFPUSHBUTTON;
        widget = isDefault ? new DefaultButton(x, y, w, h) : new Fl_Button(x, y, w, h);
        widget->callback(ButtonCallback, control);
    } else if (control->className == "Edit") {
        auto* input = new Fl_Input(x, y, w, h);
        input->textfont(kDialogFont);
        input->textsize(dialogFontSize);
        input->when(FL_WHEN_CHANGED);
        input->callback(EditCallback, control);
        widget = input;
    } else if ((control->style & 0x0F) == SS_ICON) {
        auto* box = new Fl_Box(x, y, 32, 32);
        const auto& icons = Resources().icons;
        auto found = icons.find(std::atoi(control->text.c_str() + (control->text[0] == '#' ? 1 : 0)));
        if (found != icons.end() && !dialogIcon) {
            const RgbaPicture picture = DecodeIcoFile(found->second);
            dialogIconPixels = picture.rgba;
            if (picture.width)
                dialogIcon = std::make_unique<Fl_RGB_Image>(dialogIconPixels.data(), picture.width, picture.height, 4);
        }
        if (dialogIcon) box->image(dialogIcon.get());
        return box;
    } else {
        widget = new StaticText(x, y, w, h);
    }
    if (control->className == "Button") widget->align(FL_ALIGN_CENTER | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
    widget->labelfont(kDialogFont);
    widget->labelsize(dialogFontSize);
    return widget;
}

// Windows' message-box icons, as its classic ones look: a yellow triangle
// with "!", a red disc with a white cross, a blue disc with "i" or "?".
class MessageIcon : public Fl_Widget {
public:
    MessageIcon(int x, int y, UINT icon) : Fl_Widget(x, y, 32, 32), icon_(icon) {}
    void draw() override {
        const int cx = x() + 16, cy = y() + 16;
        const char* mark = icon_ == MB_ICONWARNING ? "!" : icon_ == MB_ICONERROR ? "x" : icon_ == MB_ICONQUESTION ? "?" : "i";
        if (icon_ == MB_ICONWARNING) {
            fl_color(fl_rgb_color(255, 255, 0));
            fl_polygon(cx, y() + 1, x() + 31, y() + 30, x() + 1, y() + 30);
            fl_color(FL_BLACK);
            fl_loop(cx, y() + 1, x() + 31, y() + 30, x() + 1, y() + 30);
        } else {
            fl_color(icon_ == MB_ICONERROR ? fl_rgb_color(255, 0, 0) : fl_rgb_color(0, 0, 255));
            fl_pie(x() + 1, y() + 1, 30, 30, 0, 360);
            fl_color(FL_WHITE);
        }
        fl_font(FL_HELVETICA_BOLD, 20);
        fl_draw(mark, x(), icon_ == MB_ICONWARNING ? cy - 7 : cy - 14, 32, 28, FL_ALIGN_CENTER);
    }

private:
    UINT icon_;
};

// A message box's button was pressed: its answer is the message box's.
void MessageButton(Fl_Widget* button, void* answer) {
    Modal* modal = static_cast<Modal*>(button->window()->user_data());
    modal->result = int(reinterpret_cast<intptr_t>(answer));
    modal->done = true;
    Wake();
}

// Its close box and Escape: Cancel where there is one, OK for OK alone; a
// Yes/No question has to be answered.
void MessageClosed(Fl_Widget*, void* data) {
    Modal* modal = static_cast<Modal*>(data);
    if ((modal->type & 0xF) == MB_YESNO) return;
    modal->result = (modal->type & 0xF) == MB_OKCANCEL ? IDCANCEL : IDOK;
    modal->done = true;
    Wake();
}

// A message box, shown as a dialog of its owner: the icon the type names at
// the left, the text, the buttons centred under them, the first the default.
Fl_Window* ShowMessageWindow(Modal* modal) {
    UseStandInFont();
    fl_font(kDialogFont, kStandInSize);
    int textWidth = 0, textHeight = 0;
    fl_measure(modal->text.c_str(), textWidth, textHeight);
    const UINT icon = modal->type & 0xF0;
    const int textLeft = icon ? 62 : 20;
    textHeight = std::max(textHeight, icon ? 32 : 0);
    struct Choice { const char* label; int answer; };
    std::vector<Choice> choices = {{"OK", IDOK}};
    if ((modal->type & 0xF) == MB_OKCANCEL) choices.push_back({"Cancel", IDCANCEL});
    if ((modal->type & 0xF) == MB_YESNO) choices = {{"&Yes", IDYES}, {"&No", IDNO}};
    const int buttons = int(choices.size()) * 88 - 8;
    const int w = std::max({textLeft + textWidth + 20, buttons + 40, 200}), h = textHeight + 70;
    auto* window = new Fl_Window(w, h);
    window->copy_label(modal->caption.c_str());
    if (icon) new MessageIcon(20, 15, icon);
    auto* text = new Fl_Box(textLeft, 15, w - textLeft - 20, textHeight);
    text->copy_label(modal->text.c_str());
    text->labelfont(kDialogFont);
    text->labelsize(kStandInSize);
    text->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    for (size_t i = 0; i < choices.size(); i++) {
        const int left = (w - buttons) / 2 + int(i) * 88;
        Fl_Button* button = i == 0 ? new DefaultButton(left, h - 40, 80, 25) : new Fl_Button(left, h - 40, 80, 25);
        button->label(choices[i].label);
        button->labelfont(kDialogFont);
        button->labelsize(kStandInSize);
        button->callback(MessageButton, reinterpret_cast<void*>(intptr_t(choices[i].answer)));
    }
    window->callback(MessageClosed, modal);
    window->end();
    window->position((Fl::w() - w) / 2, (Fl::h() - h) / 2);
    window->set_modal();
    focusCues = KeyboardWasLast();
    window->show();
    SetDialogHints(window, modal->owner);
    return window;
}

// "Text (*.txt)\0*.txt\0..." as FLTK's "Text\t*.txt\n...": FLTK adds the
// pattern to the name it shows, so a pattern already in the name goes.
// FLTK's GTK chooser shows each filter as its name with "(PATTERN)" put
// right after it: a name that already ends so gives that up, keeping the
// space before it, so that the chooser reads exactly as the request does.
std::string FltkFilter(LPCSTR filter) {
    std::string out;
    for (auto [description, pattern] : FilterPairs(filter)) {
        const std::string shown = "(" + pattern + ")";
        if (description.size() > shown.size() &&
            description.compare(description.size() - shown.size(), shown.size(), shown) == 0)
            description.erase(description.size() - shown.size());
        out += description + "\t" + pattern + "\n";
    }
    return out;
}

// One showing of FLTK's native chooser for the request, starting in `folder`
// with `name` in its name field; returns FLTK's answer (0: a file chosen).
// Windows' overwrite question is asked by the caller, after the chooser.
int ShowChooser(Modal* modal, Fl_Native_File_Chooser& chooser, const std::string& folder, const std::string& name) {
    OPENFILENAMEA* request = modal->file;
    chooser.type(modal->kind == ModalKind::SaveFile ? Fl_Native_File_Chooser::BROWSE_SAVE_FILE
                                                    : Fl_Native_File_Chooser::BROWSE_FILE);
    chooser.title(request->lpstrTitle ? request->lpstrTitle : (modal->kind == ModalKind::SaveFile ? "Save As" : "Open"));
    const std::string filter = FltkFilter(request->lpstrFilter);
    if (!filter.empty()) chooser.filter(filter.c_str());
    if (request->nFilterIndex > 0) chooser.filter_value(int(request->nFilterIndex) - 1);
    chooser.directory(folder.c_str());
    const bool saving = modal->kind == ModalKind::SaveFile;
    if (saving && !name.empty()) chooser.preset_file(name.c_str());
    Fl::add_timeout(0.01, PumpCoreMessages);
    int shown = -1;
    {
        const GtkLoopWaker waker(saving ? "" : name);
        shown = chooser.show();
    }
    Fl::remove_timeout(PumpCoreMessages);
    return shown;
}

// Windows' open dialogs check a name before they close: a file that must
// exist and does not gets Windows' message (in Wine's wording), captioned
// with the dialog's title, and the dialog stays.
bool MustExistButDoesNot(const Modal& modal, const std::string& path) {
    return modal.kind == ModalKind::OpenFile && (modal.file->Flags & (OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST)) &&
           access(path.c_str(), F_OK) != 0;
}

// A message of the chooser's, captioned with its title; the answer.
int AskOverChooser(const Modal& chooser, const std::string& text, UINT type) {
    Modal message;
    message.owner = chooser.owner;
    message.caption = chooser.file->lpstrTitle ? chooser.file->lpstrTitle
                                               : chooser.kind == ModalKind::SaveFile ? "Save As" : "Open";
    message.text = text;
    message.type = type;
    Fl_Window* window = ShowMessageWindow(&message);
    LogShown(message);
    Fl::add_timeout(0.01, PumpCoreMessages);
    while (!message.done && window->shown()) Fl::wait();
    Fl::remove_timeout(PumpCoreMessages);
    delete window;
    return message.result;
}

// Windows' save dialog asks before a file is replaced; No goes back to it.
bool ReplaceRefused(const Modal& modal, const std::string& path) {
    if (modal.kind != ModalKind::SaveFile || !(modal.file->Flags & OFN_OVERWRITEPROMPT) || access(path.c_str(), F_OK) != 0)
        return false;
    const std::string name = path.substr(path.rfind('/') + 1);
    return AskOverChooser(modal, name + " already exists.\nDo you want to replace it?", MB_YESNO | MB_ICONWARNING) != IDYES;
}

void RunFileChooser(Modal* modal) {
    OPENFILENAMEA* request = modal->file;
    // With no folder given, Windows starts in the current one; GTK would start in its recent files.
    char current[4096];
    std::string folder = request->lpstrInitialDir ? request->lpstrInitialDir : getcwd(current, sizeof current) ? current : "";
    std::string name = request->lpstrFile ? request->lpstrFile : "";
    for (;;) {
        Fl_Native_File_Chooser chooser;  // loads GTK, if it is to be used
        const int shown = ShowChooser(modal, chooser, folder, name);
        modal->accepted = shown == 0 && chooser.filename() && chooser.filename()[0];
        if (!modal->accepted) return;
        const std::string path = chooser.filename();
        const bool missing = MustExistButDoesNot(*modal, path);
        if (!missing && !ReplaceRefused(*modal, path)) {
            modal->path = path;
            modal->filterIndex = DWORD(chooser.filter_value() + 1);
            return;
        }
        if (missing) AskOverChooser(*modal, path + "\nFile not found\nPlease verify that the correct file name was given",
                                    MB_OK | MB_ICONWARNING);
        // The chooser again, in the folder typed if there is one, the name kept.
        const std::string typedFolder = path.substr(0, path.rfind('/') + 1);
        if (!typedFolder.empty() && access(typedFolder.c_str(), F_OK) == 0) folder = typedFolder;
        name = path.substr(path.rfind('/') + 1);
        LogShown(*modal);
    }
}

Fl_Window* openMessage = nullptr;

// What Windows' title bar of a fixed dialog holds beside its caption: the
// system-menu icon and the close box.
const int kCaptionButtons = 2 * kCaptionHeight;

}  // namespace

// Tells the window manager what Windows' DS_MODALFRAME says: a dialog of its
// owner, moved and closed but not resized, minimised or maximised; mapped
// again, it takes the keyboard, as a new dialog does on Windows.
void SetDialogHints(Fl_Window* frame, HWND owner) {
    Window xid = fl_xid(frame);
    if (!xid) return;
    if (owner && owner->backendData && DesktopOf(owner)->frame && DesktopOf(owner)->frame->shown())
        XSetTransientForHint(fl_display, xid, fl_xid(DesktopOf(owner)->frame));
    const Atom type = XInternAtom(fl_display, "_NET_WM_WINDOW_TYPE", False);
    const Atom dialog = XInternAtom(fl_display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
    XChangeProperty(fl_display, xid, type, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&dialog), 1);
    // Motif hints: functions move and close; decorations border, title and menu.
    const long motifHints[5] = {1 | 2, 4 | 32, 2 | 8 | 16, 0, 0};
    const Atom motif = XInternAtom(fl_display, "_MOTIF_WM_HINTS", False);
    XChangeProperty(fl_display, xid, motif, motif, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(motifHints), 5);
    // FLTK maps a window as it makes it; a window manager reads these hints
    // when a window is mapped, so it is mapped again.
    XWithdrawWindow(fl_display, xid, fl_screen);
    XMapWindow(fl_display, xid);
    XFlush(fl_display);
    TakeFocus(frame);
}

namespace {

// For the window tests: each text of a dialog, measured as it is drawn, and
// the room it has ("fit "TEXT" WxH in WxH at X,Y").
void LogFit(const std::string& text, bool wrap, const RECT& room) {
    const int roomWidth = room.right - room.left, roomHeight = room.bottom - room.top;
    int w = wrap ? roomWidth : 0, h = 0;
    fl_measure(text.c_str(), w, h, 0);
    std::fprintf(LayerLog(), "fit \"%s\" %dx%d in %dx%d at %ld,%ld\n", text.c_str(), w, h, roomWidth, roomHeight,
                 long(room.left), long(room.top));
}

}  // namespace

void UseStandInFont() { Fl::set_font(kDialogFont, " Liberation Sans"); }

int DefaultButton::handle(int event) {
    if (event == FL_KEYBOARD && !focusCues) focusCues = true, redraw();
    if (event == FL_SHORTCUT && (Fl::event_key() == FL_Enter || Fl::event_key() == FL_KP_Enter)) {
        simulate_key_action();
        do_callback();
        return 1;
    }
    return Fl_Button::handle(event);
}

void DefaultButton::draw() {
    const int cues = Fl::visible_focus();
    Fl::visible_focus(focusCues);
    Fl_Button::draw();
    Fl::visible_focus(cues);
    fl_color(FL_BLACK);
    fl_rect(x(), y(), w(), h());
}

// Every dialog face gets the one stand-in; other sizes in proportion.
void MeasureDialogFont(const std::string&, int points, int* x, int* y) {
    UseStandInFont();
    dialogFontSize = ((points > 0 ? points : 8) * 10 + 4) / 8;
    fl_font(kDialogFont, dialogFontSize);
    // Windows' own rounding of the 52 letters' average (GdiGetCharDimensions).
    const int letters = int(fl_width("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    *x = (letters / 26 + 1) / 2;
    *y = fl_height();
}

void LogDialogFit(HWND dialog) {
    if (!LayerLog() || !dialog->backendData) return;
    fl_font(kDialogFont, dialogFontSize);
    const RECT client = ClientRectOf(dialog);
    LogFit(dialog->text, false, RECT{0, -kCaptionHeight, client.right - kCaptionButtons, 0});
    for (HWND control : dialog->children) {
        Fl_Widget* widget = control->backendData ? DesktopOf(control)->widget : nullptr;
        if (!widget || control->className == "Edit" || (control->style & 0x0F) == SS_ICON) continue;
        const Fl_Boxtype box = widget->box();
        const int left = widget->x() + Fl::box_dx(box), top = widget->y() + Fl::box_dy(box);
        LogFit(control->text, control->className == "Static",
               RECT{left, top, left + widget->w() - Fl::box_dw(box), top + widget->h() - Fl::box_dh(box)});
    }
    std::fflush(LayerLog());
}

void DispatchCoreMessages() {
    MSG message;
    for (int i = 0; i < 100 && RetrieveMessage(&message, false); i++) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(int(message.wParam));
            break;
        }
        DispatchMessageA(&message);
    }
}

void PumpCoreMessages(void*) {
    DispatchCoreMessages();
    Fl::repeat_timeout(0.01, PumpCoreMessages);
}

void SyncDialog(HWND window) {
    DesktopWindow* desktop = DesktopOf(window);
    const RECT frame = FrameInsetsFor(window->style, false);
    const RECT client = ClientRectOf(window);
    if (!desktop->frame) {
        desktop->frame = new Fl_Window(window->rect.left + frame.left, window->rect.top + frame.top,
                                       client.right > 0 ? client.right : 1, client.bottom > 0 ? client.bottom : 1);
        desktop->frame->end();
        desktop->frame->callback(DialogCloseCallback, window);
        desktop->frame->set_modal();
    }
    if (window->text != (desktop->frame->label() ? desktop->frame->label() : ""))
        desktop->frame->copy_label(window->text.c_str());
    if (client.right > 0 && client.bottom > 0) {
        desktop->frame->size(client.right, client.bottom);
        desktop->frame->size_range(client.right, client.bottom, client.right, client.bottom);
    }
    if (window->visible && !desktop->frame->shown()) {
        focusCues = KeyboardWasLast();
        desktop->frame->show();
        SetDialogHints(desktop->frame, window->modal ? window->modal->owner : nullptr);
    }
}

void SyncDialogControl(HWND window) {
    DesktopWindow* desktop = DesktopOf(window);
    DesktopWindow* host = DesktopOf(window->parent);
    if (!host->frame) return;
    if (!desktop->widget) {
        host->frame->begin();
        desktop->widget = MakeControl(window);
        host->frame->end();
    }
    if (desktop->syncing) return;
    if (window->className == "Edit") {
        auto* input = static_cast<Fl_Input*>(desktop->widget);
        // Selected whole but shown from its start, as a Windows dialog shows an edit's text.
        if (window->text != input->value()) input->value(window->text.c_str()), input->position(0, input->size());
    } else if ((window->style & 0x0F) != SS_ICON) {
        desktop->widget->copy_label(window->text.c_str());
    }
}

void BeginDesktopModal(Modal* modal) {
    // The colour chooser notes itself once it is ready for typing.
    if (modal->kind != ModalKind::Color) LogShown(*modal);
    // A menu that has just closed leaves its expose events queued: taken now,
    // what it covered is repainted under the modal interaction instead of
    // staying on the screen until the interaction ends.
    XSync(fl_display, False);
    Fl::check();
    SetFramesActive(false);
    switch (modal->kind) {
    case ModalKind::MessageBox:
        openMessage = ShowMessageWindow(modal);
        break;
    case ModalKind::OpenFile:
    case ModalKind::SaveFile:
        RunFileChooser(modal);
        modal->done = true;
        break;
    case ModalKind::Color:
        RunColourChooser(modal);
        modal->done = true;
        break;
    case ModalKind::Dialog:
        LogDialogFit(modal->dialog);
        break;  // its window is shown with the core's ShowWindow; EndDialog ends it
    }
}

void EndDesktopModal(Modal* modal) {
    if (modal->kind == ModalKind::MessageBox && openMessage) {
        openMessage->hide();
        Fl::delete_widget(openMessage);
        openMessage = nullptr;
    }
    SetFramesActive(true);
    // The keyboard goes back to the owner (a bare X server would leave it on the root).
    HWND owner = modal->owner && IsTopLevel(modal->owner) ? modal->owner : nullptr;
    for (HWND window : AllWindows())
        if (!owner && IsTopLevel(window) && window->className != "#32770" && window->visible) owner = window;
    if (owner && owner->backendData) TakeFocus(DesktopOf(owner)->frame);
}
