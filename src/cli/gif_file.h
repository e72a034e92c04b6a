#pragma once

// Animated GIF (giflib): frames of one size, shown `delayCentiseconds` each,
// looping for ever, each frame with its own palette (PaletteOf, 256 colours).

#include <cstdio>
#include <vector>

// One frame: width x height R, G, B triples, top row first.
using GifFrame = std::vector<unsigned char>;

// Written to an open stream, which the caller closes. Returns false, with
// errno where the system said why, when it cannot be written. With `opaque`
// (a byte a pixel, a mask a frame), the pixels whose byte is 0 are
// transparent: the frame's palette keeps a colour for them.
bool WriteAnimatedGif(FILE* stream, int width, int height, const std::vector<GifFrame>& frames,
                      int delayCentiseconds, const std::vector<std::vector<unsigned char>>& opaque = {});
