#pragma once

#include <cstdint>

// Packed 8-bit R, G, B triples, rows one after another without padding.
// Passed by value; the pixels belong to whoever allocated them.
struct RgbImage {
    int32_t width;
    int32_t height;
    unsigned char* pixels;
};
