// libFuzzer target: load a model, then walk every frame's command list and
// decode every vertex exactly as drawing does.
#include <cstdint>

#include "../fixtures/md2_walk.h"
#include "../fixtures/temp_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = WriteTempFile("input.md2", Bytes(data, data + size));
    Md2Model model{};
    if (LoadMD2(path.c_str(), &model)) {
        DrawEveryFrame(model);
        ReleaseModel(&model);
    }
    return 0;
}
