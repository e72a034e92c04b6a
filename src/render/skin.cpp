#include "skin.h"

#include <windows.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "../formats/pcx.h"
#include "../state/viewer_state.h"

namespace {

const int kLargestExponent = 9;  // sides up to 512

void Brighten(unsigned char* bytes, size_t count, const unsigned char table[256]) {
    for (size_t i = 0; i < count; i++) bytes[i] = table[bytes[i]];
}

// Nearest-neighbour resample; source row and column come from 32-bit float ratios.
void Resample(const RgbImage& image, int width, int height, unsigned char* out) {
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

int PowerOfTwoSide(int side) {
    for (int exponent = 1; exponent <= kLargestExponent; exponent++) {
        const int power = int(std::pow(2.0, exponent));
        if (power >= side) return power;
    }
    return 1 << kLargestExponent;
}

void UploadSkin(RgbImage image) {
    if (image.width <= 0 || image.height <= 0 || !image.pixels) return;
    unsigned char table[256];
    BuildBrightnessTable(viewer.gamma, table);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (viewer.mipmapsOff == 1) {
        const int width = PowerOfTwoSide(image.width), height = PowerOfTwoSide(image.height);
        const size_t bytes = size_t(width) * height * 3;
        unsigned char* buffer = static_cast<unsigned char*>(std::malloc(bytes));
        if (!buffer) return;  // the texture stays as it was
        Resample(image, width, height, buffer);
        Brighten(buffer, bytes, table);
        glTexImage2D(GL_TEXTURE_2D, 0, 3, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, buffer);
        std::free(buffer);
    } else {
        Brighten(image.pixels, size_t(image.width) * image.height * 3, table);
        gluBuild2DMipmaps(GL_TEXTURE_2D, 3, image.width, image.height, GL_RGB, GL_UNSIGNED_BYTE, image.pixels);
    }
    viewer.model.textureLoaded = 1;
}

int ReloadSkin() {
    if (viewer.model.loaded != 1) return 1;
    RgbImage image;
    if (!LoadPCX(viewer.model.skinPath, &image)) return 0;
    UploadSkin(image);  // a fresh decode each time, so brightening never compounds
    std::free(image.pixels);
    return 1;
}
