// The colour chooser as Windows' full-open one: Windows' 48 basic colours
// and the request's 16 custom colours at the left, FLTK's hue and value
// picker at the right with Red, Green and Blue boxes that take digits only
// and hold 0-255, and "Add to Custom Colors". Runs in FLTK's loop, the
// core's messages pumped meanwhile.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Color_Chooser.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Value_Input.H>
#include <FL/Fl_Window.H>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "desktop.h"

namespace {

const int kSwatchWidth = 22, kSwatchHeight = 18, kSwatchGap = 4;
const int kBasicColours = 48, kCustomColours = 16;

// Windows' basic colours, row by row, as Wine's colour dialog lists them.
const COLORREF kBasic[kBasicColours] = {
    0x8080FF, 0x80FFFF, 0x80FF80, 0x80FF00, 0xFFFF80, 0xFF8000, 0xC080FF, 0xFF80FF,
    0x0000FF, 0x00FFFF, 0x00FF80, 0x40FF00, 0xFFFF00, 0xC08000, 0xC08080, 0xFF00FF,
    0x404080, 0x4080FF, 0x00FF00, 0x808000, 0x804000, 0xFF8080, 0x400080, 0x8000FF,
    0x000080, 0x0080FF, 0x008000, 0x408000, 0xFF0000, 0xA00000, 0x800080, 0xFF0080,
    0x000040, 0x004080, 0x004000, 0x404000, 0x800000, 0x400000, 0x400040, 0x800040,
    0x000000, 0x008080, 0x408080, 0x808080, 0x808040, 0xC0C0C0, 0x400040, 0xFFFFFF,
};

// A colour box as Windows' are: digits only, and a number above 255 held at 255.
class ByteBox : public Fl_Input {
public:
    ByteBox(int x, int y, int w, int h, const char* label) : Fl_Input(x, y, w, h, label) {
        when(FL_WHEN_CHANGED);
    }
    int handle(int event) override {
        // Typed or pasted text that is not digits is dropped (no sign, letter
        // or point); keys that type nothing, and Alt or Ctrl shortcuts, pass.
        const bool typing = event == FL_PASTE || (event == FL_KEYBOARD && !(Fl::event_state() & (FL_ALT | FL_CTRL | FL_META)));
        const auto printable = [](char c) { return static_cast<unsigned char>(c) >= 0x20 && c != 0x7F; };
        const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
        const char* text = Fl::event_text();
        if (typing && Fl::event_length() > 0 && std::all_of(text, text + Fl::event_length(), printable) &&
            !std::all_of(text, text + Fl::event_length(), digit))
            return 1;
        const int handled = Fl_Input::handle(event);
        if (size() > 0 && std::atoi(value()) > 255) value("255");
        return handled;
    }
    int byte() const { return std::min(255, std::atoi(value())); }
    void show(int v) {
        char text[4];
        std::snprintf(text, sizeof text, "%d", v);
        value(text);
    }
};

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
    Fl_Input* red = nullptr;
};

struct ColourChooser {
    Modal* modal = nullptr;
    ChooserWindow* window = nullptr;
    Fl_Color_Chooser* picker = nullptr;
    ByteBox* boxes[3] = {};  // red, green, blue
    Fl_Button* basic[kBasicColours] = {};
    Fl_Button* swatches[kCustomColours] = {};
    DefaultButton* ok = nullptr;
    bool accepted = false;
};

uchar Byte(double fraction) { return uchar(fraction * 255 + 0.5); }

// The boxes hold the colour; the picker follows them, and they it.
COLORREF PickedColour(const ColourChooser& chooser) {
    return RGB(chooser.boxes[0]->byte(), chooser.boxes[1]->byte(), chooser.boxes[2]->byte());
}

void ShowColour(ColourChooser* chooser, COLORREF colour) {
    chooser->picker->rgb(GetRValue(colour) / 255.0, GetGValue(colour) / 255.0, GetBValue(colour) / 255.0);
    chooser->boxes[0]->show(GetRValue(colour));
    chooser->boxes[1]->show(GetGValue(colour));
    chooser->boxes[2]->show(GetBValue(colour));
}

void BoxChanged(Fl_Widget*, void* data) {
    auto* chooser = static_cast<ColourChooser*>(data);
    const COLORREF colour = PickedColour(*chooser);
    chooser->picker->rgb(GetRValue(colour) / 255.0, GetGValue(colour) / 255.0, GetBValue(colour) / 255.0);
}

void PickerChanged(Fl_Widget*, void* data) {
    auto* chooser = static_cast<ColourChooser*>(data);
    const uchar picked[3] = {Byte(chooser->picker->r()), Byte(chooser->picker->g()), Byte(chooser->picker->b())};
    for (int c = 0; c < 3; c++) chooser->boxes[c]->show(picked[c]);
}

void ShowCustomColours(ColourChooser* chooser) {
    const COLORREF* custom = chooser->modal->color->lpCustColors;
    for (int i = 0; i < kCustomColours; i++) {
        chooser->swatches[i]->color(fl_rgb_color(GetRValue(custom[i]), GetGValue(custom[i]), GetBValue(custom[i])));
        chooser->swatches[i]->redraw();
    }
}

void SwatchPicked(Fl_Widget* swatch, void* data) {
    auto* chooser = static_cast<ColourChooser*>(data);
    for (int i = 0; i < kCustomColours; i++)
        if (chooser->swatches[i] == swatch) ShowColour(chooser, chooser->modal->color->lpCustColors[i]);
    for (int i = 0; i < kBasicColours; i++)
        if (chooser->basic[i] == swatch) ShowColour(chooser, kBasic[i]);
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

// Rows of eight swatches under a label, each taking its colour when clicked.
int AddSwatches(ColourChooser* chooser, Fl_Button** swatches, int count, int top, const char* label) {
    auto* box = new Fl_Box(10, top, 8 * (kSwatchWidth + kSwatchGap), 16, label);
    box->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    for (int i = 0; i < count; i++) {
        const int row = i / 8, column = i % 8;
        swatches[i] = new Fl_Button(10 + column * (kSwatchWidth + kSwatchGap),
                                    top + 20 + row * (kSwatchHeight + kSwatchGap), kSwatchWidth, kSwatchHeight);
        swatches[i]->box(FL_DOWN_BOX);
        swatches[i]->callback(SwatchPicked, chooser);
    }
    return top + 20 + (count / 8) * (kSwatchHeight + kSwatchGap) + 6;
}

// Every label and box in the dialogs' stand-in font, as Windows' chooser is.
void UseDialogFont(Fl_Group* group) {
    for (int i = 0; i < group->children(); i++) {
        Fl_Widget* widget = group->child(i);
        widget->labelfont(kDialogFont);
        widget->labelsize(kStandInSize);
        if (auto* input = dynamic_cast<Fl_Input_*>(widget)) {
            input->textfont(kDialogFont);
            input->textsize(kStandInSize);
        }
        if (widget->as_group()) UseDialogFont(widget->as_group());
    }
}

void BuildWindow(ColourChooser* chooser, COLORREF start) {
    const int rowsWidth = 8 * (kSwatchWidth + kSwatchGap);
    chooser->window = new ChooserWindow(rowsWidth + 240, 300);
    int top = AddSwatches(chooser, chooser->basic, kBasicColours, 8, "Basic colors:");
    for (int i = 0; i < kBasicColours; i++)
        chooser->basic[i]->color(fl_rgb_color(GetRValue(kBasic[i]), GetGValue(kBasic[i]), GetBValue(kBasic[i])));
    top = AddSwatches(chooser, chooser->swatches, kCustomColours, top, "Custom colors:");
    // FLTK's hue box and value slider; its own boxes and mode list give way to Windows' boxes.
    chooser->picker = new Fl_Color_Chooser(rowsWidth + 20, 8, 210, 180);
    for (int i = 0; i < chooser->picker->children(); i++)
        if (dynamic_cast<Fl_Value_Input*>(chooser->picker->child(i)) || dynamic_cast<Fl_Choice*>(chooser->picker->child(i)))
            chooser->picker->child(i)->hide();
    chooser->picker->callback(PickerChanged, chooser);
    const char* labels[3] = {"&Red:", "&Green:", "Bl&ue:"};
    for (int c = 0; c < 3; c++) {
        chooser->boxes[c] = new ByteBox(rowsWidth + 190, 196 + 26 * c, 40, 22, labels[c]);
        chooser->boxes[c]->callback(BoxChanged, chooser);
    }
    chooser->window->red = chooser->boxes[0];
    ShowColour(chooser, start);
    auto* add = new Fl_Button(rowsWidth + 20, 272, 210, 24, "&Add to Custom Colors");
    add->callback(AddPicked, chooser);
    chooser->ok = new DefaultButton(10, 272, 80, 24, "OK");
    auto* cancel = new Fl_Button(100, 272, 80, 24, "Cancel");
    chooser->ok->callback(Close, chooser);
    cancel->callback(Close, chooser);
    chooser->window->callback(Close, chooser);  // the close box and Escape cancel
    chooser->window->end();
    UseStandInFont();
    UseDialogFont(chooser->window);
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
    TakeFocus(chooser.window);
    chooser.window->take_focus();
    LogShown(*modal);
    Fl::add_timeout(0.01, PumpCoreMessages);
    while (chooser.window->shown()) Fl::wait();
    Fl::remove_timeout(PumpCoreMessages);
    modal->accepted = chooser.accepted;
    modal->chosenColor = PickedColour(chooser);
    delete chooser.window;
}
