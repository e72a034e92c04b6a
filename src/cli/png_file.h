#pragma once

// An RGB image, top row first, as the bytes of a PNG file (libpng). Empty
// when libpng refuses it.

#include <vector>

#include "formats/rgb_image.h"

std::vector<unsigned char> EncodePng(const RgbImage& image);
