// libFuzzer target: decode a skin, then write it as BMP and TGA.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "formats/pcx.h"
#include "formats/screenshot_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string base = "/tmp/velmorin-fuzz-" + std::to_string(getpid());
    static const std::string input = base + ".pcx", bmp = base + ".bmp", tga = base + ".tga";
    FILE* file = std::fopen(input.c_str(), "wb");
    if (!file) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

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
