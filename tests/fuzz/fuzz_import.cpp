// libFuzzer target: the glTF importer, from a file's bytes to an MD2 and its
// skin, which the parser must then accept. The input is a .glb or .gltf,
// then perhaps files it names, each after a line "\n#file NAME\n": they
// make an in-memory folder, so the reading of named files and its limits
// are fuzzed too.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "formats/md2.h"
#include "gltf_import.h"
#include "gltf_scene.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const char kMark[] = "\n#file ";
    const size_t markSize = sizeof kMark - 1;
    std::vector<size_t> marks;
    for (size_t at = 0; at + markSize <= size; at++)
        if (std::memcmp(data + at, kMark, markSize) == 0) marks.push_back(at);
    marks.push_back(size);
    std::map<std::string, std::vector<unsigned char>> files;
    for (size_t m = 0; m + 1 < marks.size(); m++) {
        const uint8_t* start = data + marks[m] + markSize;
        const uint8_t* end = data + marks[m + 1];
        const uint8_t* line = static_cast<const uint8_t*>(std::memchr(start, '\n', size_t(end - start)));
        if (!line) continue;
        files[std::string(start, line)] = std::vector<unsigned char>(line + 1, end);
    }
    ImportedMesh mesh;
    if (!ReadGltfSceneFromMemory(data, marks[0], files, SceneRequest{}, &mesh).empty()) return 0;
    ImportRequest request;
    request.output = "fuzz.md2";
    request.origin = data[size - 1] % 2 ? "feet" : "keep";  // size > 0: the bytes made a mesh
    request.height = data[0] % 3 ? 0 : 56;
    std::vector<unsigned char> md2, pcx;
    if (!ConvertImported(mesh, request, &md2, &pcx).empty()) return 0;
    Md2Model model{};
    if (ParseMD2(md2.data(), md2.size(), &model).refusal != kMd2Accepted) std::abort();  // the writer's fault
    ReleaseModel(&model);
    return 0;
}
