#include "images.h"

#include <cstddef>
#include <cstdint>

namespace {

uint32_t Le(const std::vector<unsigned char>& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; i--) v = v << 8 | (at + size_t(i) < b.size() ? b[at + size_t(i)] : 0);
    return v;
}

// A DIB (info header, palette, pixels) starting at `at`; `height` rows of
// colour, then for icons a 1-bit mask of the same size.
RgbaPicture DecodeDib(const std::vector<unsigned char>& b, size_t at, size_t pixelsAt, int height, bool mask) {
    RgbaPicture picture;
    const int width = int(Le(b, at + 4, 4));
    const int bits = int(Le(b, at + 14, 2));
    const uint32_t headerSize = Le(b, at, 4);
    if (width <= 0 || width > 4096 || height <= 0 || height > 4096 || (bits != 4 && bits != 8 && bits != 24))
        return picture;
    const size_t palette = at + headerSize;
    const size_t paletteSize = bits <= 8 ? 4u << bits : 0;
    if (palette + paletteSize > b.size()) return picture;
    if (!pixelsAt) pixelsAt = palette + paletteSize;
    const size_t stride = (size_t(width) * bits + 31) / 32 * 4;
    const size_t maskStride = (size_t(width) + 31) / 32 * 4;
    if (pixelsAt + stride * height + (mask ? maskStride * height : 0) > b.size()) return picture;
    picture.width = width;
    picture.height = height;
    picture.rgba.resize(size_t(width) * height * 4);
    for (int y = 0; y < height; y++) {
        const size_t row = pixelsAt + stride * size_t(height - 1 - y);
        for (int x = 0; x < width; x++) {
            unsigned char* out = &picture.rgba[(size_t(y) * width + x) * 4];
            if (bits == 24) {
                out[0] = b[row + 3 * x + 2], out[1] = b[row + 3 * x + 1], out[2] = b[row + 3 * x];
            } else {
                const unsigned index = bits == 8 ? b[row + x] : (b[row + x / 2] >> (x % 2 ? 0 : 4)) & 0xF;
                const size_t entry = palette + 4 * index;
                out[0] = b[entry + 2], out[1] = b[entry + 1], out[2] = b[entry];
            }
            out[3] = 255;
            if (mask) {
                const size_t maskRow = pixelsAt + stride * height + maskStride * size_t(height - 1 - y);
                if (b[maskRow + x / 8] & (0x80 >> (x % 8))) out[3] = 0;
            }
        }
    }
    return picture;
}

}  // namespace

RgbaPicture DecodeBmpFile(const std::vector<unsigned char>& file) {
    if (file.size() < 54 || file[0] != 'B' || file[1] != 'M') return {};
    return DecodeDib(file, 14, Le(file, 10, 4), int(Le(file, 22, 4)), false);
}

RgbaPicture DecodeIcoFile(const std::vector<unsigned char>& file) {
    if (file.size() < 22 || Le(file, 2, 2) != 1 || Le(file, 4, 2) < 1) return {};
    const size_t image = Le(file, 18, 4);
    return DecodeDib(file, image, 0, int(Le(file, image + 8, 4)) / 2, true);
}

RgbaPicture Tile(const RgbaPicture& strip, int index, int width) {
    RgbaPicture tile;
    if (index < 0 || (index + 1) * width > strip.width) return tile;
    tile.width = width;
    tile.height = strip.height;
    for (int y = 0; y < strip.height; y++) {
        const unsigned char* row = &strip.rgba[(size_t(y) * strip.width + size_t(index) * width) * 4];
        tile.rgba.insert(tile.rgba.end(), row, row + 4 * width);
    }
    return tile;
}
