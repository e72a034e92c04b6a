// libFuzzer target: decode a skin, then write it as BMP and TGA.
#include <cstdint>
#include <cstdlib>

#include "../fixtures/temp_files.h"
#include "formats/pcx.h"
#include "formats/screenshot_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string bmp = TempPath("output.bmp"), tga = TempPath("output.tga");
    const std::string input = WriteTempFile("input.pcx", Bytes(data, data + size));
    RgbImage image{};
    if (LoadPCX(input.c_str(), &image)) {
        // Writing runs the same code for every size; skipping huge images
        // keeps the fuzzer fast and off the disk.
        if (int64_t{image.width} * image.height <= 1 << 16) {
            WriteBMP(bmp.c_str(), image);
            WriteTGA(tga.c_str(), image);
        }
        std::free(image.pixels);
    }
    return 0;
}
