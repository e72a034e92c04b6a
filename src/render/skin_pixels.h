#pragma once

#include <cstddef>

#include "../formats/rgb_image.h"

// The skin upload's pixel arithmetic, apart from GL so that every build (the
// 32-bit one included) can be checked to compute the same bytes.

// The byte each skin byte becomes at this gamma: b / gamma, truncated, at
// most 255. Gamma 0 makes every non-black byte 255; a negative, infinite or
// not-a-number gamma, or one so large the factor underflows, makes the skin
// black.
void BuildBrightnessTable(float gamma, unsigned char table[256]);
void Brighten(unsigned char* bytes, size_t count, const unsigned char table[256]);

// Power-of-two side for a skin side with mipmaps off: 2 to 512.
int PowerOfTwoSide(int side);

// Nearest-neighbour resample of `image` to width x height into `out`
// (width x height x 3 bytes); rows and columns are picked through 32-bit
// float ratios.
void ResampleNearest(const RgbImage& image, int width, int height, unsigned char* out);
