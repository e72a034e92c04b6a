#pragma once

// Pictures of a model as the viewer shows them: the program's own code set up
// as the commands, dialogs and mouse moves a user would give it leave it
// (render_drawing.h), its drawing area captured as its screenshot does and
// written as BMP or TGA with the program's own writer, or as a PNG, a sheet
// or an animated GIF.

#include <string>

struct RenderRequest {
    std::string model, skin, output;  // skin "auto": the one the thumbnailer finds, if any
    std::string frame;      // a number or a frame name; empty: frame 0
    std::string animation;  // with sheetColumns > 0: every frame of it in a grid
    int sheetColumns = 0;
    std::string mode;       // wire, nearest, linear; empty: as the viewer would be
    int width = 384, height = 395;  // the drawing area
    int orbitX = 0, orbitY = 0;     // a left-button drag, in pixels
    int zoom = 0;                   // zoom-in steps; negative: out
    int pan = 0;                    // a right-button drag, in pixels (down is positive)
    std::string gamma;              // as typed into the Gamma dialog
    bool mipmapsOff = false;
    bool background = false;
    unsigned backgroundRgb = 0;     // 0xRRGGBB
    bool transparent = false;       // a PNG's or GIF's background left out
    bool fit = false;               // the camera brought to the frames' bounds, as a thumbnail's
};

// Returns an empty string when written, else why not.
std::string RenderModel(const RenderRequest& request);
