// libFuzzer target: the screenshot writers' inverse. The input is a width,
// a height and pixels; the BMP and TGA files written of it must read back,
// with the test's own reader, to exactly those pixels.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "../fixtures/image_files.h"
#include "../fixtures/temp_files.h"
#include "formats/screenshot_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string bmp = TempPath("writers.bmp"), tga = TempPath("writers.tga");
    if (size < 2) return 0;
    // Up to 256 x 64: every row length and padding, small enough to stay fast.
    const int32_t width = 1 + data[0], height = 1 + data[1] % 64;
    Bytes pixels(3 * size_t(width) * size_t(height));
    for (size_t i = 0; i < pixels.size(); i++) pixels[i] = size > 2 ? data[2 + i % (size - 2)] ^ uint8_t(i / (size - 2)) : 0;
    const RgbImage image = {width, height, pixels.data()};
    DecodedImage back;
    if (!WriteBMP(bmp.c_str(), image) || !ReadBmp24(ReadWholeFile(bmp), &back) || back.width != width ||
        back.height != height || back.rgb != pixels)
        std::abort();
    if (!WriteTGA(tga.c_str(), image) || !ReadTga24(ReadWholeFile(tga), &back) || back.width != width ||
        back.height != height || back.rgb != pixels)
        std::abort();
    return 0;
}
