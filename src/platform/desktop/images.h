#pragma once

// The BMP and ICO pictures of the resources, as RGBA for FLTK: 4- and 8-bit
// palette images and 24-bit ones, bottom-up rows; an icon's AND mask becomes
// transparency.

#include <vector>

struct RgbaPicture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgba;  // top row first
};

RgbaPicture DecodeBmpFile(const std::vector<unsigned char>& file);
RgbaPicture DecodeIcoFile(const std::vector<unsigned char>& file);
// The `index`-th square-ish tile of `width` pixels from a strip.
RgbaPicture Tile(const RgbaPicture& strip, int index, int width);
