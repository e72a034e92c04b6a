#pragma once

// How import reads a glTF file and the files it names, which may come from
// anyone: external buffers and images only inside the model's folder (or an
// in-memory folder, for the fuzzer), only regular files, each read bounded,
// and all of it within one memory budget for the run. tinygltf parses the
// JSON only after its nesting depth, its version and its required
// extensions have been checked; images are kept encoded until one is used.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tinygltf {
class Model;
struct Image;
}  // namespace tinygltf

// All that one import may hold of a file's data: its bytes, the files it
// names, the numbers read from its accessors, the decoded texture and the
// frames made.
const uint64_t kImportBudget = uint64_t{512} << 20;
// A .glb or .gltf, and each file it names: a 4096 x 4096 texture and every
// buffer an MD2's worth of frames can need fit many times over.
const uint64_t kLargestGltfFile = uint64_t{256} << 20;

struct ImportBudget {
    uint64_t left = kImportBudget;
};
// Takes `bytes` from the budget: false, with the refusal in `problem`, when
// they are not left.
bool TakeFromBudget(ImportBudget* budget, uint64_t bytes, std::string* problem);

// Where the files a glTF names are read from.
struct GltfFolder {
    std::string path;  // the model's folder on disk
    const std::map<std::string, std::vector<unsigned char>>* memory = nullptr;  // or these, by relative path
};

struct GltfLoad {
    ImportBudget budget;
    std::vector<std::string> warnings;
    std::vector<std::string> filesRead;  // each file read from disk, resolved
};

// Parses a .glb (by its magic) or .gltf text into `model`: "" or why not.
std::string LoadGltf(const unsigned char* bytes, size_t size, const GltfFolder& folder, tinygltf::Model* model,
                     GltfLoad* load);

// An image as LoadGltf left it (encoded) decoded to 8-bit or 16-bit samples
// in `decoded`: "" or why not. Images over 4096 x 4096 pixels are refused
// from their headers, before any pixel is decoded.
std::string DecodeImage(const tinygltf::Image& image, int index, tinygltf::Image* decoded, GltfLoad* load);
