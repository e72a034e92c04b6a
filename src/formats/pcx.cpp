#include "pcx.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "little_endian.h"

namespace {

const int kHeaderSize = 128;
const int kPaletteSize = 768;
const int kMarkerAndPaletteSize = 1 + kPaletteSize;
const int kPaletteMarker = 12;

// Only the fields this decoder relies on; the image is taken to start at
// (0, 0) with scan lines exactly `width` bytes long.
bool HeaderIsSupported(const unsigned char* header) {
    const int manufacturer = header[0], bitsPerPixel = header[3], planes = header[65];
    return manufacturer == 10 && bitsPerPixel == 8 && planes == 1;
}

// Fills `size` bytes with one RGB triple, doubling what is already filled.
void FillWithEntry(unsigned char* out, size_t size, const unsigned char* rgb) {
    std::memcpy(out, rgb, 3);
    for (size_t filled = 3; filled < size;) {
        const size_t step = std::min(filled, size - filled);
        std::memcpy(out + filled, out, step);
        filled += step;
    }
}

// Run-length decoding into RGB. The run state carries across scan lines, a
// run byte of 0xC0 wraps the 8-bit counter into 256 pixels, and reads past
// the end of the file give 0xFF (a run of 63 whose value is again 0xFF).
void DecodePixels(FILE* file, const unsigned char* palette, unsigned char* out, size_t count) {
    unsigned char value = 0;
    unsigned char run = 0;
    for (size_t i = 0; i < count; i++) {
        if (run == 0) {
            const unsigned char b = static_cast<unsigned char>(std::getc(file));
            if (b >= 0xC0) {
                run = b & 0x3F;
                value = static_cast<unsigned char>(std::getc(file));
            } else {
                run = 1;
                value = b;
            }
            // Once a read has found the end, this pixel and every one after
            // it is entry 255: filled at once, not byte by byte (a tiny file
            // may claim a huge image).
            if (std::feof(file)) {
                FillWithEntry(out + 3 * i, 3 * (count - i), palette + 3 * 255);
                return;
            }
        }
        std::memcpy(out + 3 * i, palette + 3 * value, 3);
        run--;
    }
}

}  // namespace

int LoadPCX(const char* path, RgbImage* image) {
    unsigned char header[kHeaderSize];
    unsigned char palette[kPaletteSize];
    unsigned char* pixels = nullptr;
    int64_t fileLength = -1;
    int32_t width = 0, height = 0;
    size_t pixelCount = 0;
    int ok = 0;

    FILE* file = std::fopen(path, "rb");
    if (!file) return 0;
    if (std::fseek(file, 0, SEEK_END) == 0) fileLength = std::ftell(file);
    if (fileLength < kHeaderSize + kMarkerAndPaletteSize) goto done;
    if (std::fseek(file, 0, SEEK_SET) != 0 || std::fread(header, 1, kHeaderSize, file) != kHeaderSize)
        goto done;
    if (!HeaderIsSupported(header)) goto done;

    // The palette's place is fixed by the file's end; a 12 elsewhere is not a marker.
    if (std::fseek(file, long(fileLength - kMarkerAndPaletteSize), SEEK_SET) != 0) goto done;
    if (std::getc(file) != kPaletteMarker) goto done;
    if (std::fread(palette, 1, kPaletteSize, file) != kPaletteSize) goto done;

    width = int32_t{ReadLe16(header + 8)} + 1;
    height = int32_t{ReadLe16(header + 10)} + 1;
    if (int64_t{width} * height > kMaxPcxPixels) goto done;
    pixelCount = size_t(width) * size_t(height);
    pixels = static_cast<unsigned char*>(std::malloc(3 * pixelCount));
    if (!pixels) goto done;

    if (std::fseek(file, kHeaderSize, SEEK_SET) != 0) goto done;
    DecodePixels(file, palette, pixels, pixelCount);
    ok = 1;

done:
    std::fclose(file);
    if (!ok) {
        std::free(pixels);
        return 0;
    }
    image->width = width;
    image->height = height;
    image->pixels = pixels;
    return 1;
}
