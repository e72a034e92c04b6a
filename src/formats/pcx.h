#pragma once

#include <cstdint>

#include "../state/rgb_image.h"

// Largest image LoadPCX decodes: 8192 x 8192 pixels (192 MiB of RGB). Far
// beyond any skin, and it keeps every buffer size well inside 32 bits.
const int64_t kMaxPcxPixels = int64_t{1} << 26;

// Decodes an 8-bit, one-plane PCX file with a 256-colour palette into RGB,
// top row first. Returns 1 with `image` filled (the caller frees its pixels),
// 0 on failure.
int LoadPCX(const char* path, RgbImage* image);
