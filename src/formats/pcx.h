#pragma once

#include <cstdint>

#include "../state/rgb_image.h"

// Largest image LoadPCX decodes: 4096 x 4096 pixels (48 MiB of RGB), the
// largest texture older GL drivers take and far beyond any MD2 skin. It keeps
// every buffer size well inside 32 bits, and the decoding of a tiny file that
// claims a huge image short.
const int64_t kMaxPcxPixels = int64_t{1} << 24;

// Decodes an 8-bit, one-plane PCX file with a 256-colour palette into RGB,
// top row first. Returns 1 with `image` filled (the caller frees its pixels),
// 0 on failure.
int LoadPCX(const char* path, RgbImage* image);
