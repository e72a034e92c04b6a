// The colour chooser as Windows' full-open one: FLTK's colour picker with its
// boxes in 0-255, and the request's 16 custom colours in two rows of eight
// with "Add to Custom Colors". Runs in FLTK's loop, the core's messages
// pumped meanwhile.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Color_Chooser.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Value_Input.H>
#include <FL/Fl_Window.H>

#include "desktop.h"

namespace {

const int kSwatchWidth = 22, kSwatchHeight = 18, kSwatchGap = 4;
const int kByteMode = 1;  // boxes take 0-255, as Windows' do (FLTK's 0-1 default would wrap a typed 40)

// Whenever the chooser gets the keyboard, typing goes to the red box with its
// text selected, as in Windows' chooser opened full (FLTK would give it to
// the first child that takes it, a swatch).
class ChooserWindow : public Fl_Window {
public:
    ChooserWindow(int w, int h) : Fl_Window(w, h, "Color") {}
    int handle(int event) override {
        if (event == FL_FOCUS && red && red->take_focus()) {
            red->position(0, red->size());
            return 1;
        }
        return Fl_Window::handle(event);
    }
    Fl_Input* red = nullptr;  // the picker's red box
};

struct ColourChooser {
    Modal* modal = nullptr;
    ChooserWindow* window = nullptr;
    Fl_Color_Chooser* picker = nullptr;
    Fl_Button* swatches[16] = {};
    Fl_Button* ok = nullptr;
    bool accepted = false;
};

uchar Byte(double fraction) { return uchar(fraction * 255 + 0.5); }

void ShowInPicker(Fl_Color_Chooser* picker, COLORREF colour) {
    picker->rgb(GetRValue(colour) / 255.0, GetGValue(colour) / 255.0, GetBValue(colour) / 255.0);
}

COLORREF PickedColour(const ColourChooser& chooser) {
    return RGB(Byte(chooser.picker->r()), Byte(chooser.picker->g()), Byte(chooser.picker->b()));
}

void ShowCustomColours(ColourChooser* chooser) {
    const COLORREF* custom = chooser->modal->color->lpCustColors;
    for (int i = 0; i < 16; i++) {
        chooser->swatches[i]->color(fl_rgb_color(GetRValue(custom[i]), GetGValue(custom[i]), GetBValue(custom[i])));
        chooser->swatches[i]->redraw();
    }
}

void SwatchPicked(Fl_Widget* swatch, void* data) {
    auto* chooser = static_cast<ColourChooser*>(data);
    for (int i = 0; i < 16; i++)
        if (chooser->swatches[i] == swatch) ShowInPicker(chooser->picker, chooser->modal->color->lpCustColors[i]);
}

void AddPicked(Fl_Widget*, void* data) {
    auto* chooser = static_cast<ColourChooser*>(data);
    AddCustomColor(chooser->modal, PickedColour(*chooser));
    ShowCustomColours(chooser);
}

void Close(Fl_Widget* button, void* data) {
    auto* chooser = static_cast<ColourChooser*>(data);
    chooser->accepted = button == chooser->ok;
    chooser->window->hide();
}

Fl_Input* RedBox(Fl_Color_Chooser* picker) {
    for (int i = 0; i < picker->children(); i++)
        if (auto* red = dynamic_cast<Fl_Value_Input*>(picker->child(i))) return &red->input;
    return nullptr;
}

void BuildWindow(ColourChooser* chooser, COLORREF start) {
    const int rowsWidth = 8 * (kSwatchWidth + kSwatchGap);
    chooser->window = new ChooserWindow(rowsWidth + 240, 170);
    auto* label = new Fl_Box(10, 8, rowsWidth, 16, "Custom colors:");
    label->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    for (int i = 0; i < 16; i++) {
        const int row = i / 8, column = i % 8;
        chooser->swatches[i] = new Fl_Button(10 + column * (kSwatchWidth + kSwatchGap),
                                             28 + row * (kSwatchHeight + kSwatchGap), kSwatchWidth, kSwatchHeight);
        chooser->swatches[i]->box(FL_DOWN_BOX);
        chooser->swatches[i]->callback(SwatchPicked, chooser);
    }
    chooser->picker = new Fl_Color_Chooser(rowsWidth + 20, 8, 210, 110);
    chooser->picker->mode(kByteMode);
    chooser->window->red = RedBox(chooser->picker);
    ShowInPicker(chooser->picker, start);
    auto* add = new Fl_Button(rowsWidth + 20, 124, 210, 24, "&Add to Custom Colors");
    add->callback(AddPicked, chooser);
    chooser->ok = new Fl_Return_Button(10, 124, 80, 24, "OK");
    auto* cancel = new Fl_Button(100, 124, 80, 24, "Cancel");
    chooser->ok->callback(Close, chooser);
    cancel->callback(Close, chooser);
    chooser->window->callback(Close, chooser);  // the close box and Escape cancel
    chooser->window->end();
    chooser->window->set_modal();
    chooser->window->size_range(chooser->window->w(), chooser->window->h(), chooser->window->w(),
                                chooser->window->h());
    ShowCustomColours(chooser);
}

}  // namespace

void RunColourChooser(Modal* modal) {
    // Windows starts at black unless the request gives a colour to start at.
    const COLORREF start = (modal->color->Flags & CC_RGBINIT) ? modal->color->rgbResult : 0;
    ColourChooser chooser;
    chooser.modal = modal;
    BuildWindow(&chooser, start);
    chooser.window->position((Fl::w() - chooser.window->w()) / 2, (Fl::h() - chooser.window->h()) / 2);
    chooser.window->show();
    SetDialogHints(chooser.window, modal->owner);
    Fl::check();  // mapped first: a window takes the focus only once shown
    chooser.window->take_focus();
    LogShown(*modal);
    Fl::add_timeout(0.01, PumpCoreMessages);
    while (chooser.window->shown()) Fl::wait();
    Fl::remove_timeout(PumpCoreMessages);
    modal->accepted = chooser.accepted;
    modal->chosenColor = PickedColour(chooser);
    delete chooser.window;
}
