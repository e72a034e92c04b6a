// libFuzzer target: decode a skin from memory.
#include <cstdint>
#include <cstdlib>

#include "formats/pcx.h"

namespace {

// Images above 256 x 256 take the decoder's same path at a cost (up to
// 48 MiB filled) that would slow the fuzzer a hundredfold; their sizes and
// the pixel cap are pinned by the crafted files, the regression files and
// the real images of the corpus tests.
const int64_t kLargestFuzzedImage = int64_t{1} << 16;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size >= 12) {
        // Images above the cap are refused before any work: those stay in.
        const int64_t claimed = int64_t{(data[8] | data[9] << 8) + 1} * ((data[10] | data[11] << 8) + 1);
        if (claimed > kLargestFuzzedImage && claimed <= kMaxPcxPixels) return 0;
    }
    RgbImage image{};
    if (ParsePCX(data, size, &image).refusal == kPcxAccepted) std::free(image.pixels);
    return 0;
}
