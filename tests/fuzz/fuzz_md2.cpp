// libFuzzer target: load a model, then walk every frame's command list and
// decode every vertex exactly as drawing does.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "formats/md2.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/velmorin-fuzz-" + std::to_string(getpid()) + ".md2";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    Md2Model model{};
    if (LoadMD2(path.c_str(), &model)) {
        volatile float sink = 0;
        for (int32_t f = 0; f < model.numFrames; f++) {
            const unsigned char* frame = Md2FrameData(model, f);
            char name[17];
            CopyMd2FrameName(frame, name);
            int32_t cursor = 0;
            Md2Command command;
            while (NextMd2Command(model, &cursor, &command))
                for (int32_t n = 0; n < command.vertexCount; n++)
                    sink = sink + DecodeMd2Vertex(frame, command, n).x;
        }
        ReleaseModel(&model);
    }
    return 0;
}
