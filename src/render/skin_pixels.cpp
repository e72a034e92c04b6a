#include "skin_pixels.h"

#include <algorithm>
#include <cmath>

namespace {

const int kLargestExponent = 9;  // sides up to 512

}  // namespace

void BuildBrightnessTable(float gamma, unsigned char table[256]) {
    const float factor = 1 / gamma;
    for (int b = 0; b < 256; b++) {
        const float v = float(b) * factor;
        // NaN and negative values fail the first test: they become 0, never a
        // float-to-byte conversion out of range.
        table[b] = !(v >= 0) ? 0 : v < 256 ? static_cast<unsigned char>(v) : 255;
    }
}

void Brighten(unsigned char* bytes, size_t count, const unsigned char table[256]) {
    for (size_t i = 0; i < count; i++) bytes[i] = table[bytes[i]];
}

int PowerOfTwoSide(int side) {
    for (int exponent = 1; exponent <= kLargestExponent; exponent++) {
        const int power = int(std::pow(2.0, exponent));
        if (power >= side) return power;
    }
    return 1 << kLargestExponent;
}

void ResampleNearest(const RgbImage& image, int width, int height, unsigned char* out) {
    const float rowRatio = float(image.height) / float(height);
    const float columnRatio = float(image.width) / float(width);
    for (int r = 0; r < height; r++) {
        const size_t sourceRow = std::min(size_t(float(r) * rowRatio), size_t(image.height) - 1);
        for (int q = 0; q < width; q++) {
            const size_t sourceColumn = std::min(size_t(float(q) * columnRatio), size_t(image.width) - 1);
            const unsigned char* from = image.pixels + 3 * (sourceRow * size_t(image.width) + sourceColumn);
            unsigned char* to = out + 3 * (size_t(r) * width + q);
            to[0] = from[0], to[1] = from[1], to[2] = from[2];
        }
    }
}
