#include "pcx.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "file_bytes.h"
#include "little_endian.h"

namespace {

const int kHeaderSize = 128;
const int kPaletteSize = 768;
const int kMarkerAndPaletteSize = 1 + kPaletteSize;
const int kPaletteMarker = 12;
const int kManufacturerAt = 0, kBitsPerPixelAt = 3, kXmaxAt = 8, kYmaxAt = 10, kPlanesAt = 65;

PcxVerdict Verdict(PcxRefusal refusal, int64_t offset) { return PcxVerdict{refusal, offset}; }

// Fills `size` bytes with one RGB triple, doubling what is already filled.
void FillWithEntry(unsigned char* out, size_t size, const unsigned char* rgb) {
    std::memcpy(out, rgb, 3);
    for (size_t filled = 3; filled < size;) {
        const size_t step = std::min(filled, size - filled);
        std::memcpy(out + filled, out, step);
        filled += step;
    }
}

// Pixels a token gives: a run byte's low six bits, 0 meaning 256 (the 8-bit
// counter wraps); 1 for a literal byte.
size_t TokenLength(unsigned char b) {
    const size_t low = b & 0x3F;
    return b < 0xC0 ? 1 : low ? low : 256;
}

// Eight copies of a palette entry's R, G, B: up to eight pixels in one copy.
struct EightPixels {
    unsigned char bytes[24];
};

// Run-length decoding of data[0, size) into `count` RGB pixels. Runs carry
// across scan lines; once the data runs out, in a run byte or in the value
// after one, every pixel from there on is entry 255 (what reading past the
// end of a file gives).
void DecodePixels(const unsigned char* data, size_t size, const unsigned char* palette, unsigned char* out,
                  size_t count) {
    EightPixels eights[256];
    for (int entry = 0; entry < 256; entry++)
        for (int k = 0; k < 8; k++) std::memcpy(eights[entry].bytes + 3 * k, palette + 3 * entry, 3);

    size_t at = 0, i = 0;
    // While a two-byte token and eight pixels fit, each token writes eight
    // pixels at once, without a branch on its kind or length; pixels past a
    // shorter run are written again by the tokens after it.
    while (at + 1 < size && i + 8 <= count) {
        const unsigned char b = data[at];
        const bool isRun = b >= 0xC0;
        const unsigned char value = isRun ? data[at + 1] : b;
        const size_t length = TokenLength(b);
        at += isRun ? 2 : 1;
        std::memcpy(out + 3 * i, eights[value].bytes, 24);
        const size_t inImage = std::min(length, count - i);
        for (size_t k = 8; k < inImage; k += 8)
            std::memcpy(out + 3 * (i + k), eights[value].bytes, 3 * std::min<size_t>(8, inImage - k));
        i += length;
    }
    // The last pixels and the end of the data, a token at a time.
    while (i < count) {
        const unsigned char b = at < size ? data[at] : 0xFF;
        const size_t needed = b >= 0xC0 ? 2 : 1;
        if (size - std::min(at, size) < needed) {
            FillWithEntry(out + 3 * i, 3 * (count - i), palette + 3 * 255);
            return;
        }
        const unsigned char value = b >= 0xC0 ? data[at + 1] : b;
        at += needed;
        const size_t length = TokenLength(b), inImage = std::min(length, count - i);
        for (size_t k = 0; k < inImage; k++) std::memcpy(out + 3 * (i + k), palette + 3 * value, 3);
        i += length;
    }
}

}  // namespace

const char* PcxRefusalText(PcxRefusal refusal) {
    switch (refusal) {
    case kPcxAccepted: return "accepted";
    case kPcxUnreadable: return "the file cannot be read";
    case kPcxTooShort: return "the file has no room for the 128-byte header and the 769-byte palette";
    case kPcxNotPcx: return "not a PCX file (manufacturer byte is not 10)";
    case kPcxNot8BitOnePlane: return "not an 8-bit, one-plane image";
    case kPcxNoPaletteMarker: return "no palette marker 12 before the last 768 bytes";
    case kPcxTooLarge: return "the image is larger than 4096 x 4096 pixels";
    case kPcxOutOfMemory: return "not enough memory for the image";
    }
    return "unknown refusal";
}

PcxVerdict ParsePCX(const unsigned char* bytes, size_t length, RgbImage* image) {
    if (length < size_t(kHeaderSize + kMarkerAndPaletteSize)) return Verdict(kPcxTooShort, int64_t(length));
    // Only the fields this decoder relies on; the image is taken to start at
    // (0, 0) with scan lines exactly `width` bytes long.
    if (bytes[kManufacturerAt] != 10) return Verdict(kPcxNotPcx, kManufacturerAt);
    if (bytes[kBitsPerPixelAt] != 8) return Verdict(kPcxNot8BitOnePlane, kBitsPerPixelAt);
    if (bytes[kPlanesAt] != 1) return Verdict(kPcxNot8BitOnePlane, kPlanesAt);
    // The palette's place is fixed by the file's end; a 12 elsewhere is not a marker.
    const size_t markerAt = length - kMarkerAndPaletteSize;
    if (bytes[markerAt] != kPaletteMarker) return Verdict(kPcxNoPaletteMarker, int64_t(markerAt));

    const int32_t width = int32_t{ReadLe16(bytes + kXmaxAt)} + 1;
    const int32_t height = int32_t{ReadLe16(bytes + kYmaxAt)} + 1;
    if (int64_t{width} * height > kMaxPcxPixels) return Verdict(kPcxTooLarge, kXmaxAt);
    const size_t pixelCount = size_t(width) * size_t(height);
    unsigned char* pixels = static_cast<unsigned char*>(std::malloc(3 * pixelCount));
    if (!pixels) return Verdict(kPcxOutOfMemory, 0);
    // The data runs to the end of the file: a short image reads on into the
    // marker and palette, as a reader of the file would.
    DecodePixels(bytes + kHeaderSize, length - kHeaderSize, bytes + markerAt + 1, pixels, pixelCount);
    image->width = width;
    image->height = height;
    image->pixels = pixels;
    return Verdict(kPcxAccepted, 0);
}

PcxVerdict ReadPCX(const char* path, RgbImage* image) {
    size_t length = 0;
    unsigned char* bytes = ReadFileBytes(path, kLargestPcxFile, &length);
    if (!bytes) return Verdict(kPcxUnreadable, 0);
    const PcxVerdict verdict = ParsePCX(bytes, length, image);
    std::free(bytes);
    return verdict;
}

int LoadPCX(const char* path, RgbImage* image) { return ReadPCX(path, image).refusal == kPcxAccepted; }

std::vector<unsigned char> WritePCX(int32_t width, int32_t height, const unsigned char* indices,
                                   const unsigned char palette[kPaletteSize]) {
    std::vector<unsigned char> out(kHeaderSize, 0);
    out[kManufacturerAt] = 10;
    out[1] = 5;  // version: 3.0, with a palette
    out[2] = 1;  // run-length encoded
    out[kBitsPerPixelAt] = 8;
    WriteLe16(&out[kXmaxAt], uint16_t(width - 1));
    WriteLe16(&out[kYmaxAt], uint16_t(height - 1));
    WriteLe16(&out[12], 72);  // dots per inch, across and down
    WriteLe16(&out[14], 72);
    out[kPlanesAt] = 1;
    WriteLe16(&out[66], uint16_t(width));  // bytes a scan line: the width, as the decoder takes it
    WriteLe16(&out[68], 1);                // a palette of colours
    // Runs stop at each scan line's end, as readers that decode line by line expect.
    for (int32_t y = 0; y < height; y++) {
        const unsigned char* row = indices + size_t(y) * size_t(width);
        for (int32_t x = 0; x < width;) {
            int32_t run = 1;
            while (x + run < width && run < 63 && row[x + run] == row[x]) run++;
            if (run > 1 || row[x] >= 0xC0) out.push_back(uint8_t(0xC0 | run));
            out.push_back(row[x]);
            x += run;
        }
    }
    out.push_back(kPaletteMarker);
    out.insert(out.end(), palette, palette + kPaletteSize);
    return out;
}
