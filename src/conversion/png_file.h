#pragma once

// An RGB image, top row first, as the bytes of a PNG file (libpng). Empty
// when libpng refuses it.

#include <cstdint>
#include <vector>

#include "formats/rgb_image.h"

std::vector<unsigned char> EncodePng(const RgbImage& image);
// The same for R, G, B, A bytes, top row first. `quick`: one filter for
// every row and fast compression, for a thumbnail made while a file
// manager waits (a larger file, written in a third of the time).
std::vector<unsigned char> EncodePngWithAlpha(int32_t width, int32_t height, const unsigned char* rgba,
                                              bool quick = false);
