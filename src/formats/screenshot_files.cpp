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

// Writes all rows, each built in `row` as B, G, R and `padding` zero bytes
// and written in one call; stops at the first failed write (the stream's
// error flag is sticky).
void WritePixels(const RgbImage& image, int padding, unsigned char* row, FILE* stream) {
    const size_t width = size_t(image.width), rowBytes = 3 * width + size_t(padding);
    std::memset(row + 3 * width, 0, size_t(padding));
    const unsigned char* from = image.pixels;
    for (int32_t r = 0; r < image.height && !std::ferror(stream); r++) {
        for (size_t column = 0; column < width; column++, from += 3) {
            unsigned char* to = row + 3 * column;
            to[0] = from[2], to[1] = from[1], to[2] = from[0];
        }
        std::fwrite(row, 1, rowBytes, stream);
    }
}

// Opens the file, with a 64 KiB stream buffer, and takes the row buffer;
// FinishFile releases both.
FILE* OpenForWriting(const char* path, size_t rowBytes, unsigned char** row) {
    *row = static_cast<unsigned char*>(std::malloc(rowBytes));
    FILE* stream = *row ? std::fopen(path, "wb") : nullptr;
    if (stream) std::setvbuf(stream, nullptr, _IOFBF, 1 << 16);
    if (!stream) {
        std::free(*row);
        *row = nullptr;
    }
    return stream;
}

// Closes the stream; on any write or close failure removes the partial file,
// unless the path names something other than a regular file (a device).
int FinishFile(FILE* stream, unsigned char* row, const char* path) {
    std::free(row);
    const bool written = !std::ferror(stream);
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
    if (!HasPixels(image)) return 0;
    const int64_t rowBytes = 3 * int64_t{image.width};
    const int padding = int((4 - rowBytes % 4) % 4);
    const int64_t dataSize = image.height * (rowBytes + padding);
    if (kBmpHeadersSize + dataSize > int64_t{UINT32_MAX}) return 0;

    unsigned char* row = nullptr;
    FILE* stream = OpenForWriting(path, size_t(rowBytes + padding), &row);
    if (!stream) return 0;
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
    WritePixels(image, padding, row, stream);
    return FinishFile(stream, row, path);
}

int WriteTGA(const char* path, RgbImage image) {
    if (!HasPixels(image) || image.width > kTgaMaxSide || image.height > kTgaMaxSide) return 0;

    unsigned char* row = nullptr;
    FILE* stream = OpenForWriting(path, 3 * size_t(image.width), &row);
    if (!stream) return 0;
    std::putc(0, stream);  // no image identifier
    std::putc(0, stream);  // no colour map
    std::putc(2, stream);  // uncompressed true-colour
    for (int unused = 0; unused < 9; unused++) std::putc(0, stream);  // colour map, origin
    WriteWord(uint32_t(image.width), stream);
    WriteWord(uint32_t(image.height), stream);
    std::putc(24, stream);  // bits per pixel
    std::putc(0, stream);   // no alpha, origin bottom left
    WritePixels(image, 0, row, stream);
    return FinishFile(stream, row, path);
}
