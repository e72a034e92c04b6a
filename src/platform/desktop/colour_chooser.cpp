// The colour chooser as Windows' full-open one: Windows' 48 basic colours
// and the request's 16 custom colours at the left, the disabled "Define
// Custom Colors >>" under them; at the right the hue and saturation spectrum
// (drawn at middle luminosity, whatever the colour), the luminosity bar, the
// "Color|Solid" preview, the Hue, Sat, Lum, Red, Green and Blue boxes, which
// take digits only and hold Windows' ranges, and "Add to Custom Colors".
// Runs in FLTK's loop, the core's messages pumped meanwhile.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

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

// Windows' HLS: hue 0-239, saturation and luminosity 0-240; a grey's hue
// is 160. The integer arithmetic of Windows' own conversion.
const int kHlsMax = 240, kRgbMax = 255, kGreyHue = kHlsMax * 2 / 3;

struct Hls {
    int hue = kGreyHue, lum = 0, sat = 0;
};

Hls HlsOf(COLORREF colour) {
    const int r = GetRValue(colour), g = GetGValue(colour), b = GetBValue(colour);
    const int high = std::max({r, g, b}), low = std::min({r, g, b});
    Hls hls;
    hls.lum = ((high + low) * kHlsMax + kRgbMax) / (2 * kRgbMax);
    if (high == low) return hls;
    const int spread = high - low, sum = high + low;
    hls.sat = hls.lum <= kHlsMax / 2 ? (spread * kHlsMax + sum / 2) / sum
                                     : (spread * kHlsMax + (2 * kRgbMax - sum) / 2) / (2 * kRgbMax - sum);
    const auto delta = [&](int c) { return ((high - c) * (kHlsMax / 6) + spread / 2) / spread; };
    if (r == high) hls.hue = delta(b) - delta(g);
    else if (g == high) hls.hue = kHlsMax / 3 + delta(r) - delta(b);
    else hls.hue = 2 * kHlsMax / 3 + delta(g) - delta(r);
    hls.hue = (hls.hue + kHlsMax) % kHlsMax;
    return hls;
}

int HueToValue(int low, int high, int hue) {
    hue = (hue + kHlsMax) % kHlsMax;
    if (hue < kHlsMax / 6) return low + ((high - low) * hue + kHlsMax / 12) / (kHlsMax / 6);
    if (hue < kHlsMax / 2) return high;
    if (hue < kHlsMax * 2 / 3) return low + ((high - low) * (kHlsMax * 2 / 3 - hue) + kHlsMax / 12) / (kHlsMax / 6);
    return low;
}

COLORREF RgbOf(const Hls& hls) {
    if (hls.sat == 0) {
        const int grey = hls.lum * kRgbMax / kHlsMax;
        return RGB(grey, grey, grey);
    }
    const int high = hls.lum <= kHlsMax / 2 ? (hls.lum * (kHlsMax + hls.sat) + kHlsMax / 2) / kHlsMax
                                            : hls.lum + hls.sat - (hls.lum * hls.sat + kHlsMax / 2) / kHlsMax;
    const int low = 2 * hls.lum - high;
    const auto value = [&](int hue) { return (HueToValue(low, high, hue) * kRgbMax + kHlsMax / 2) / kHlsMax; };
    return RGB(value(hls.hue + kHlsMax / 3), value(hls.hue), value(hls.hue - kHlsMax / 3));
}

Fl_Color FlColour(COLORREF c) { return fl_rgb_color(GetRValue(c), GetGValue(c), GetBValue(c)); }

// A number box as Windows' are: digits only, and a number above its
// largest held at it.
class NumberBox : public Fl_Input {
public:
    NumberBox(int x, int y, int largest, const char* label) : Fl_Input(x, y, 32, 20, label), largest_(largest) {
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
        if (size() > 0 && std::atoi(value()) > largest_) show(largest_);
        if (event == FL_FOCUS) position(size(), 0);  // taken by Tab or its letter: selected whole, as on Windows
        return handled;
    }
    int number() const { return std::min(largest_, std::atoi(value())); }
    void show(int v) {
        char text[12];
        std::snprintf(text, sizeof text, "%d", v);
        if (std::strcmp(text, value()) != 0) value(text);
    }

private:
    int largest_;
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

// A label whose "&" marks its letter, underlined.
class Caption : public Fl_Box {
public:
    Caption(int x, int y, int w, int h, const char* label) : Fl_Box(x, y, w, h, label) {
        set_flag(SHORTCUT_LABEL);
        align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    }
};

struct ColourChooser;
void ShowHls(ColourChooser* chooser, const Hls& hls);  // the colour of those values, everywhere

// The hue (across) and saturation (up) spectrum at middle luminosity, a
// cross at the colour's; a press or drag picks both, keeping the luminosity.
class Spectrum : public Fl_Widget {
public:
    Spectrum(int x, int y, int w, int h, ColourChooser* chooser) : Fl_Widget(x, y, w, h), chooser_(chooser) {
        pixels_.resize(size_t(w) * size_t(h) * 3);
        for (int row = 0; row < h; row++)
            for (int column = 0; column < w; column++) {
                const COLORREF c = RgbOf(Hls{HueAt(column), kHlsMax / 2, SatAt(row)});
                unsigned char* p = &pixels_[(size_t(row) * size_t(w) + size_t(column)) * 3];
                p[0] = GetRValue(c), p[1] = GetGValue(c), p[2] = GetBValue(c);
            }
        image_ = std::make_unique<Fl_RGB_Image>(pixels_.data(), w, h, 3);
    }
    void draw() override;
    int handle(int event) override;

private:
    int HueAt(int column) const { return column * (kHlsMax - 1) / std::max(1, w() - 1); }
    int SatAt(int row) const { return kHlsMax - row * kHlsMax / std::max(1, h() - 1); }
    ColourChooser* chooser_;
    std::vector<unsigned char> pixels_;
    std::unique_ptr<Fl_RGB_Image> image_;
};

// The luminosity bar at the colour's hue and saturation, white at the top,
// black at the bottom, its arrow at the right; a press or drag picks.
class LumBar : public Fl_Widget {
public:
    LumBar(int x, int y, int w, int h, ColourChooser* chooser) : Fl_Widget(x, y, w, h), chooser_(chooser) {}
    void draw() override;
    int handle(int event) override;

private:
    static const int kArrow = 10;
    int Bar() const { return w() - kArrow; }
    ColourChooser* chooser_;
};

struct ColourChooser {
    Modal* modal = nullptr;
    ChooserWindow* window = nullptr;
    Spectrum* spectrum = nullptr;
    LumBar* lumBar = nullptr;
    Fl_Box* preview = nullptr;
    NumberBox* hlsBoxes[3] = {};  // hue, sat, lum
    NumberBox* rgbBoxes[3] = {};  // red, green, blue
    Fl_Button* basic[kBasicColours] = {};
    Fl_Button* swatches[kCustomColours] = {};
    DefaultButton* ok = nullptr;
    Hls hls;
    bool accepted = false;
};

COLORREF PickedColour(const ColourChooser& chooser) {
    return RGB(chooser.rgbBoxes[0]->number(), chooser.rgbBoxes[1]->number(), chooser.rgbBoxes[2]->number());
}

// The colour shown everywhere; `boxes` says which boxes follow (not those being typed in).
const int kRgbBoxes = 1, kHlsBoxes = 2;

void Show(ColourChooser* chooser, COLORREF colour, const Hls& hls, int boxes) {
    chooser->hls = hls;
    const int rgb[3] = {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
    const int hlsValues[3] = {hls.hue, hls.sat, hls.lum};
    for (int c = 0; c < 3; c++) {
        if (boxes & kRgbBoxes) chooser->rgbBoxes[c]->show(rgb[c]);
        if (boxes & kHlsBoxes) chooser->hlsBoxes[c]->show(hlsValues[c]);
    }
    chooser->preview->color(FlColour(colour));
    chooser->preview->redraw();
    chooser->spectrum->redraw();
    chooser->lumBar->redraw();
}

void ShowHls(ColourChooser* chooser, const Hls& hls) { Show(chooser, RgbOf(hls), hls, kRgbBoxes | kHlsBoxes); }
void ShowColour(ColourChooser* chooser, COLORREF colour) {
    Show(chooser, colour, HlsOf(colour), kRgbBoxes | kHlsBoxes);
}

void Spectrum::draw() {
    image_->draw(x(), y());
    const Hls& hls = chooser_->hls;
    const int cx = x() + hls.hue * (w() - 1) / (kHlsMax - 1), cy = y() + (kHlsMax - hls.sat) * (h() - 1) / kHlsMax;
    fl_push_clip(x(), y(), w(), h());
    fl_color(FL_BLACK);
    // Windows' cross: four strokes with a gap round the point.
    fl_rectf(cx - 10, cy - 1, 6, 3);
    fl_rectf(cx + 5, cy - 1, 6, 3);
    fl_rectf(cx - 1, cy - 10, 3, 6);
    fl_rectf(cx - 1, cy + 5, 3, 6);
    fl_pop_clip();
}

int Spectrum::handle(int event) {
    if (event != FL_PUSH && event != FL_DRAG) return Fl_Widget::handle(event);
    const int column = std::clamp(Fl::event_x() - x(), 0, w() - 1), row = std::clamp(Fl::event_y() - y(), 0, h() - 1);
    ShowHls(chooser_, Hls{HueAt(column), chooser_->hls.lum, SatAt(row)});
    return 1;
}

void LumBar::draw() {
    fl_rectf(x(), y(), w(), h(), FL_BACKGROUND_COLOR);
    const Hls& hls = chooser_->hls;
    for (int row = 0; row < h(); row++) {
        fl_color(FlColour(RgbOf(Hls{hls.hue, kHlsMax - row * kHlsMax / std::max(1, h() - 1), hls.sat})));
        fl_xyline(x(), y() + row, x() + Bar() - 3);
    }
    const int at = y() + (kHlsMax - hls.lum) * (h() - 1) / kHlsMax;
    fl_color(FL_BLACK);
    fl_polygon(x() + Bar(), at, x() + w() - 1, at - 5, x() + w() - 1, at + 5);
}

int LumBar::handle(int event) {
    if (event != FL_PUSH && event != FL_DRAG) return Fl_Widget::handle(event);
    const int row = std::clamp(Fl::event_y() - y(), 0, h() - 1);
    const Hls& hls = chooser_->hls;
    ShowHls(chooser_, Hls{hls.hue, kHlsMax - row * kHlsMax / std::max(1, h() - 1), hls.sat});
    return 1;
}

// Typing in a box: the other kind of box, and the pictures, follow.
void RgbTyped(Fl_Widget*, void* data) {
    auto* chooser = static_cast<ColourChooser*>(data);
    const COLORREF colour = PickedColour(*chooser);
    Show(chooser, colour, HlsOf(colour), kHlsBoxes);
}

void HlsTyped(Fl_Widget*, void* data) {
    auto* chooser = static_cast<ColourChooser*>(data);
    NumberBox* const* boxes = chooser->hlsBoxes;
    const Hls hls{boxes[0]->number(), boxes[2]->number(), boxes[1]->number()};
    Show(chooser, RgbOf(hls), hls, kRgbBoxes);
}

void ShowCustomColours(ColourChooser* chooser) {
    const COLORREF* custom = chooser->modal->color->lpCustColors;
    for (int i = 0; i < kCustomColours; i++) {
        chooser->swatches[i]->color(FlColour(custom[i]));
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
    new Caption(6, top, 8 * (kSwatchWidth + kSwatchGap), 16, label);
    for (int i = 0; i < count; i++) {
        const int row = i / 8, column = i % 8;
        swatches[i] = new Fl_Button(6 + column * (kSwatchWidth + kSwatchGap),
                                    top + 20 + row * (kSwatchHeight + kSwatchGap), kSwatchWidth, kSwatchHeight);
        swatches[i]->box(FL_DOWN_BOX);
        swatches[i]->callback(SwatchPicked, chooser);
    }
    return top + 20 + (count / 8) * (kSwatchHeight + kSwatchGap) + 4;
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

// Windows' layout: the colours and OK and Cancel at the left, the colour
// being made at the right; the boxes in two columns, Hue, Sat and Lum first
// in the Tab order.
void BuildWindow(ColourChooser* chooser, COLORREF start) {
    const int right = 8 * (kSwatchWidth + kSwatchGap) + 12;
    chooser->window = new ChooserWindow(right + 224, 300);
    int top = AddSwatches(chooser, chooser->basic, kBasicColours, 6, "&Basic colors:");
    for (int i = 0; i < kBasicColours; i++) chooser->basic[i]->color(FlColour(kBasic[i]));
    top = AddSwatches(chooser, chooser->swatches, kCustomColours, top, "&Custom colors:");
    auto* define = new Fl_Button(6, 238, right - 18, 24, "&Define Custom Colors >>");
    define->deactivate();  // the chooser is open full already
    chooser->ok = new DefaultButton(6, 270, 66, 24, "OK");
    auto* cancel = new Fl_Button(78, 270, 66, 24, "Cancel");
    chooser->spectrum = new Spectrum(right, 6, 178, 188, chooser);
    chooser->lumBar = new LumBar(right + 186, 6, 24, 188, chooser);
    chooser->preview = new Fl_Box(right, 200, 60, 40);
    chooser->preview->box(FL_DOWN_BOX);
    new Caption(right, 242, 60, 16, "Color|S&olid");
    const char* hlsLabels[3] = {"Hu&e:", "&Sat:", "&Lum:"};
    const char* rgbLabels[3] = {"&Red:", "&Green:", "Bl&ue:"};
    const int largest[3] = {kHlsMax - 1, kHlsMax, kHlsMax};
    for (int c = 0; c < 3; c++) {
        chooser->hlsBoxes[c] = new NumberBox(right + 100, 200 + 24 * c, largest[c], hlsLabels[c]);
        chooser->hlsBoxes[c]->callback(HlsTyped, chooser);
    }
    for (int c = 0; c < 3; c++) {
        chooser->rgbBoxes[c] = new NumberBox(right + 178, 200 + 24 * c, kRgbMax, rgbLabels[c]);
        chooser->rgbBoxes[c]->callback(RgbTyped, chooser);
    }
    chooser->window->red = chooser->rgbBoxes[0];
    ShowColour(chooser, start);
    auto* add = new Fl_Button(right, 274, 210, 24, "&Add to Custom Colors");
    add->callback(AddPicked, chooser);
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
    chooser.window->take_focus();
    LogShown(*modal);
    Fl::add_timeout(0.01, PumpCoreMessages);
    while (chooser.window->shown()) Fl::wait();
    Fl::remove_timeout(PumpCoreMessages);
    modal->accepted = chooser.accepted;
    modal->chosenColor = PickedColour(chooser);
    delete chooser.window;
}
