// libFuzzer target: the viewer's read path against the parser. The same bytes
// go through ParseMD2 from memory and through ReadMD2 from a file; any
// difference in verdict, offset or the model's buffers is a finding.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "formats/md2.h"

namespace {

void RemoveScratch();

// One file of this process's own, removed when it ends.
const std::string& ScratchPath() {
    static const std::string path = [] {
        const char* folder = std::getenv("TMPDIR");
        std::atexit(RemoveScratch);
        return std::string(folder && *folder ? folder : "/tmp") + "/fuzz_md2_read." + std::to_string(getpid());
    }();
    return path;
}

void RemoveScratch() { std::remove(ScratchPath().c_str()); }

bool SameModel(const Md2Model& a, const Md2Model& b) {
    return a.loaded == b.loaded && a.numFrames == b.numFrames && a.frameSize == b.frameSize &&
           a.numGlCommands == b.numGlCommands &&
           std::memcmp(a.frames, b.frames, size_t(a.frameSize) * size_t(a.numFrames)) == 0 &&
           std::memcmp(a.glCommands, b.glCommands, 4 * size_t(a.numGlCommands)) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* file = std::fopen(ScratchPath().c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) std::abort();
    Md2Model parsed{}, read{};
    const Md2Verdict fromMemory = ParseMD2(data, size, &parsed);
    const Md2Verdict fromFile = ReadMD2(ScratchPath().c_str(), &read);
    if (fromMemory.refusal != fromFile.refusal || fromMemory.offset != fromFile.offset) {
        std::fprintf(stderr, "ParseMD2 says %s at %lld, ReadMD2 %s at %lld\n", Md2RefusalText(fromMemory.refusal),
                     (long long)fromMemory.offset, Md2RefusalText(fromFile.refusal), (long long)fromFile.offset);
        std::abort();
    }
    if (fromMemory.refusal == kMd2Accepted && !SameModel(parsed, read)) {
        std::fprintf(stderr, "ParseMD2 and ReadMD2 accept the file with different buffers\n");
        std::abort();
    }
    if (parsed.loaded) ReleaseModel(&parsed);
    if (read.loaded) ReleaseModel(&read);
    return 0;
}
