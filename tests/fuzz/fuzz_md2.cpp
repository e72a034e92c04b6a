// libFuzzer target: parse a model from memory, then walk the command list
// over the first and last frames (which bound the frame block) and decode
// every vertex exactly as drawing does.
#include <cstdint>

#include "../fixtures/md2_walk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Md2Model model{};
    if (ParseMD2(data, size, &model).refusal == kMd2Accepted) {
        DrawFirstAndLastFrames(model);
        ReleaseModel(&model);
    }
    return 0;
}
