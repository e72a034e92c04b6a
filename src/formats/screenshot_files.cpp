#include "screenshot_files.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

#include "little_endian.h"

namespace {

const int kBmpHeadersSize = 54;
const int kTgaMaxSide = 65535;

bool HasPixels(const RgbImage& image) {
    return image.width > 0 && image.height > 0 && image.pixels;
}

// The BMP's row padding and pixel bytes; false when its header cannot hold them.
bool BmpLayout(const RgbImage& image, int* padding, int64_t* dataSize) {
    if (!HasPixels(image)) return false;
    const int64_t rowBytes = 3 * int64_t{image.width};
    *padding = int((4 - rowBytes % 4) % 4);
    *dataSize = image.height * (rowBytes + *padding);
    return kBmpHeadersSize + *dataSize <= int64_t{UINT32_MAX};
}

bool TgaHolds(const RgbImage& image) {
    return HasPixels(image) && image.width <= kTgaMaxSide && image.height <= kTgaMaxSide;
}

// Writes all rows, each built as B, G, R and `padding` zero bytes and written
// in one call; stops at the first failed write (the stream's error flag is
// sticky). False when the row buffer cannot be had.
bool WritePixels(const RgbImage& image, int padding, FILE* stream) {
    const size_t width = size_t(image.width), rowBytes = 3 * width + size_t(padding);
    unsigned char* row = static_cast<unsigned char*>(std::malloc(rowBytes));
    if (!row) return false;
    std::memset(row + 3 * width, 0, size_t(padding));
    const unsigned char* from = image.pixels;
    for (int32_t r = 0; r < image.height && !std::ferror(stream); r++) {
        for (size_t column = 0; column < width; column++, from += 3) {
            unsigned char* to = row + 3 * column;
            to[0] = from[2], to[1] = from[1], to[2] = from[0];
        }
        std::fwrite(row, 1, rowBytes, stream);
    }
    std::free(row);
    return true;
}

// Opens the file with a 64 KiB stream buffer.
FILE* OpenForWriting(const char* path) {
    FILE* stream = std::fopen(path, "wb");
    if (stream) std::setvbuf(stream, nullptr, _IOFBF, 1 << 16);
    return stream;
}

// Closes the stream; on any write or close failure removes the partial file,
// unless the path names something other than a regular file (a device).
int FinishFile(FILE* stream, const char* path, int written) {
    const bool closed = std::fclose(stream) == 0;
    if (written && closed) return 1;
    // stat and remove take the name's bytes as they are, whatever their encoding.
    struct stat info;
    if (stat(path, &info) == 0 && S_ISREG(info.st_mode)) std::remove(path);
    return 0;
}

}  // namespace

void WriteWord(uint32_t value, FILE* stream) {
    unsigned char bytes[2];
    WriteLe16(bytes, uint16_t(value));
    std::fwrite(bytes, 1, sizeof bytes, stream);
}

void WriteDword(uint32_t value, FILE* stream) {
    unsigned char bytes[4];
    WriteLe32(bytes, value);
    std::fwrite(bytes, 1, sizeof bytes, stream);
}

int WriteBMP(const char* path, RgbImage image) {
    int padding = 0;
    int64_t dataSize = 0;
    if (!BmpLayout(image, &padding, &dataSize)) return 0;  // no file made for it
    FILE* stream = OpenForWriting(path);
    return stream ? FinishFile(stream, path, WriteBMPTo(stream, image)) : 0;
}

int WriteTGA(const char* path, RgbImage image) {
    if (!TgaHolds(image)) return 0;
    FILE* stream = OpenForWriting(path);
    return stream ? FinishFile(stream, path, WriteTGATo(stream, image)) : 0;
}

int WriteBMPTo(FILE* stream, RgbImage image) {
    int padding = 0;
    int64_t dataSize = 0;
    if (!BmpLayout(image, &padding, &dataSize)) return 0;
    WriteWord(0x4D42, stream);  // "BM"
    WriteDword(uint32_t(kBmpHeadersSize + dataSize), stream);
    WriteWord(0, stream);
    WriteWord(0, stream);
    WriteDword(kBmpHeadersSize, stream);
    WriteDword(40, stream);  // info header size
    WriteDword(uint32_t(image.width), stream);
    WriteDword(uint32_t(image.height), stream);  // positive: bottom row first
    WriteWord(1, stream);                        // planes
    WriteWord(24, stream);                       // bits per pixel
    WriteDword(0, stream);                       // no compression
    WriteDword(uint32_t(dataSize), stream);
    for (int unused = 0; unused < 4; unused++) WriteDword(0, stream);  // resolution, colours
    return WritePixels(image, padding, stream) && !std::ferror(stream);
}

int WriteTGATo(FILE* stream, RgbImage image) {
    if (!TgaHolds(image)) return 0;
    std::putc(0, stream);  // no image identifier
    std::putc(0, stream);  // no colour map
    std::putc(2, stream);  // uncompressed true-colour
    for (int unused = 0; unused < 9; unused++) std::putc(0, stream);  // colour map, origin
    WriteWord(uint32_t(image.width), stream);
    WriteWord(uint32_t(image.height), stream);
    std::putc(24, stream);  // bits per pixel
    std::putc(0, stream);   // no alpha, origin bottom left
    return WritePixels(image, 0, stream) && !std::ferror(stream);
}
