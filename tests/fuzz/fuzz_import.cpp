// libFuzzer target: the glTF importer, from a file's bytes (a .glb by its
// magic, else .gltf text; no other file is read) to an MD2 and its skin,
// which the parser must then accept.
#include <cstdint>
#include <cstdlib>

#include "formats/md2.h"
#include "gltf_import.h"
#include "gltf_scene.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ImportedMesh mesh;
    if (!ReadGltfSceneFromMemory(data, size, 1, &mesh).empty()) return 0;
    ImportRequest request;
    request.output = "fuzz.md2";
    std::vector<unsigned char> md2, pcx;
    if (!ConvertImported(mesh, request, &md2, &pcx).empty()) return 0;
    Md2Model model{};
    if (ParseMD2(md2.data(), md2.size(), &model).refusal != kMd2Accepted) std::abort();  // the writer's fault
    ReleaseModel(&model);
    return 0;
}
