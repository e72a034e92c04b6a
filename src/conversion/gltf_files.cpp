#include "gltf_files.h"

#include <nlohmann/json.hpp>
#include <tiny_gltf.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>

#include "formats/little_endian.h"
#include "input_files.h"

namespace {

using nlohmann::json;

// Deeper JSON is refused before tinygltf, whose reading of extras recurses
// once a level: glTF itself needs eight or so.
const int kDeepestJson = 64;
const size_t kMostImages = 64;
const uint32_t kGlbMagic = 0x46546C67, kJsonChunk = 0x4E4F534A;
const int kLargestTextureSide = 4096;

// Extensions import reads or may leave aside without changing the shape or
// the base colour it takes.
const std::set<std::string> kReadExtensions = {"KHR_mesh_quantization", "KHR_materials_unlit"};

std::string RequiredRefusal(const std::string& name) {
    if (name == "KHR_draco_mesh_compression" || name == "EXT_meshopt_compression" || name == "KHR_meshopt_compression")
        return "compressed with " + name + ": export without compression";
    if (name == "KHR_texture_basisu" || name == "EXT_texture_webp" || name == "EXT_texture_avif")
        return "its textures need " + name + ": export them as PNG or JPEG";
    return "it requires the extension " + name + ", which import does not read";
}

uint32_t Le32(const unsigned char* at) { return uint32_t(ReadLe32(at)); }
bool IsGlb(const unsigned char* bytes, size_t size) { return size >= 4 && Le32(bytes) == kGlbMagic; }

// The JSON of a .glb (its first chunk) or of .gltf text; false when a .glb's
// header is not whole.
bool JsonText(const unsigned char* bytes, size_t size, const char** text, size_t* length) {
    if (IsGlb(bytes, size)) {
        if (size < 20 || Le32(bytes + 16) != kJsonChunk || Le32(bytes + 12) > size - 20) return false;
        *text = reinterpret_cast<const char*>(bytes + 20);
        *length = Le32(bytes + 12);
        return true;
    }
    *text = reinterpret_cast<const char*>(bytes);
    *length = size;
    return true;
}

int JsonDepth(const char* text, size_t length) {
    int depth = 0, deepest = 0;
    bool quoted = false;
    for (size_t i = 0; i < length; i++) {
        const char c = text[i];
        if (quoted) {
            if (c == '\\') i++;
            else if (c == '"') quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == '[' || c == '{') {
            deepest = std::max(deepest, ++depth);
        } else if (c == ']' || c == '}') {
            depth--;
        }
    }
    return deepest;
}

uint64_t Unsigned(const json& object, const char* key) {
    const auto found = object.find(key);
    return found != object.end() && found->is_number_unsigned() ? found->get<uint64_t>() : 0;
}

// What must be known before tinygltf reads anything: how deep the JSON
// goes, that it is glTF 2.0, the extensions it requires, how many images
// it has, and that an image's bytes in a buffer lie inside that buffer
// (tinygltf takes them without looking).
std::string CheckBeforeParsing(const unsigned char* bytes, size_t size) {
    const char* text = nullptr;
    size_t length = 0;
    if (!JsonText(bytes, size, &text, &length))
        return "the glTF cannot be read: the .glb's header or JSON chunk is cut short";
    if (JsonDepth(text, length) > kDeepestJson)
        return "the JSON nests deeper than " + std::to_string(kDeepestJson) + " levels";
    const json document = json::parse(text, text + length, nullptr, false);
    if (!document.is_object()) return "";  // tinygltf says what is wrong
    const auto asset = document.find("asset");
    if (asset != document.end() && asset->is_object()) {
        const auto version = asset->find("version");
        if (version != asset->end() && version->is_string() && version->get<std::string>().rfind("1", 0) == 0)
            return "a glTF 1.0 file: import reads glTF 2.0 (re-export it as glTF 2.0)";
    }
    const auto required = document.find("extensionsRequired");
    if (required != document.end() && required->is_array())
        for (const json& name : *required)
            if (name.is_string() && !kReadExtensions.count(name.get<std::string>()))
                return RequiredRefusal(name.get<std::string>());
    const auto images = document.find("images");
    if (images == document.end() || !images->is_array()) return "";
    if (images->size() > kMostImages) return "more than " + std::to_string(kMostImages) + " images";
    const json none = json::array();
    const auto views = document.find("bufferViews"), buffers = document.find("buffers");
    const json& viewList = views != document.end() && views->is_array() ? *views : none;
    const json& bufferList = buffers != document.end() && buffers->is_array() ? *buffers : none;
    for (const json& image : *images) {
        if (!image.is_object() || !image.contains("bufferView")) continue;
        const uint64_t view = Unsigned(image, "bufferView");
        if (view >= viewList.size() || !viewList[view].is_object()) return "an image names a buffer view it lacks";
        const json& v = viewList[view];
        const uint64_t buffer = Unsigned(v, "buffer");
        const uint64_t start = Unsigned(v, "byteOffset"), count = Unsigned(v, "byteLength");
        if (buffer >= bufferList.size() || !bufferList[buffer].is_object() || count == 0 ||
            start > Unsigned(bufferList[buffer], "byteLength") ||
            count > Unsigned(bufferList[buffer], "byteLength") - start)
            return "an image's bytes do not lie inside their buffer";
    }
    return "";
}

struct Reading {
    const GltfFolder* folder;
    GltfLoad* load;
    std::string refusal;  // the first file named that was refused for where it leads or what it is
};

bool AnyFile(const std::string&, void*) { return true; }  // ReadFile says why not, which reaches the message
std::string AsNamed(const std::string& path, void*) { return path; }
bool WriteNothing(std::string*, const std::string&, const std::vector<unsigned char>&, void*) { return false; }

bool Refuse(Reading* reading, const std::string& named, const std::string& why, std::string* error) {
    *error = why;
    if (reading->refusal.empty()) reading->refusal = "\"" + named + "\": " + why;
    return false;
}

// tinygltf asks for a URI, decoded, as its base folder ("") joined with it.
bool ReadFile(std::vector<unsigned char>* out, std::string* error, const std::string& named, void* user) {
    Reading* reading = static_cast<Reading*>(user);
    std::vector<std::string> steps;
    std::string problem = RelativeSteps(named, true, &steps);
    if (!problem.empty())
        return Refuse(reading, named, problem + ": only files inside the model's folder are read", error);
    std::string relative;
    for (const std::string& step : steps) relative += (relative.empty() ? "" : "/") + step;
    if (reading->folder->memory) {
        const auto found = reading->folder->memory->find(relative);
        if (found == reading->folder->memory->end()) return *error = "no such file", false;
        if (!TakeFromBudget(&reading->load->budget, found->second.size(), &problem))
            return Refuse(reading, named, problem, error);
        *out = found->second;
        return true;
    }
    std::string resolved;
    problem = ResolveInside(reading->folder->path, steps, &resolved);
    if (!problem.empty()) return Refuse(reading, named, problem, error);
    std::error_code missing;
    if (!std::filesystem::exists(std::filesystem::symlink_status(std::filesystem::u8path(resolved), missing)))
        return *error = "no such file", false;
    problem = ReadInputFile(resolved, std::min(kLargestGltfFile, reading->load->budget.left), out);
    if (!problem.empty() || !TakeFromBudget(&reading->load->budget, out->size(), &problem))
        return Refuse(reading, named, problem, error);
    reading->load->filesRead.push_back(resolved);
    return true;
}

// A PNG's or JPEG's size from its header; false for other bytes.
bool ImageSize(const unsigned char* bytes, size_t size, int* width, int* height) {
    static const unsigned char kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const auto big16 = [bytes](size_t at) { return int(bytes[at]) << 8 | bytes[at + 1]; };
    if (size >= 24 && std::memcmp(bytes, kPng, 8) == 0 && std::memcmp(bytes + 12, "IHDR", 4) == 0) {
        const auto big32 = [&big16](size_t at) { return std::min<uint32_t>(uint32_t(big16(at)) << 16 | uint32_t(big16(at + 2)), INT32_MAX); };
        *width = int(big32(16)), *height = int(big32(20));
        return true;
    }
    if (size < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return false;
    // JPEG: the segments up to the first start of frame (C0-CF but C4, C8, CC).
    for (size_t at = 2; at + 4 <= size;) {
        if (bytes[at] != 0xFF) return false;
        const unsigned char marker = bytes[at + 1];
        if (marker == 0xFF) { at++; continue; }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD9)) { at += 2; continue; }
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            if (at + 9 > size) return false;
            *height = big16(at + 5), *width = big16(at + 7);
            return true;
        }
        at += 2 + size_t(big16(at + 2));
    }
    return false;
}

// tinygltf's image callback: the bytes kept as they are, with the size
// their header gives; component 0 marks them encoded. Decoding waits until
// an image is used, so that a file's other images cost no pixels.
bool KeepEncoded(tinygltf::Image* image, const int index, std::string* error, std::string* warning, int, int,
                 const unsigned char* bytes, int size, void* user) {
    Reading* reading = static_cast<Reading*>(user);
    std::string problem;
    if (!TakeFromBudget(&reading->load->budget, uint64_t(size), &problem)) return *error += problem + "\n", false;
    int width = 0, height = 0;
    if (!ImageSize(bytes, size_t(size), &width, &height)) {
        *warning += "image " + std::to_string(index) + " is not a PNG or JPEG: left out\n";
        return true;
    }
    image->image.assign(bytes, bytes + size);
    image->width = width, image->height = height;
    image->component = 0, image->bits = 0;
    return true;
}

// tinygltf's warnings, a line each, once each, cut short.
void KeepWarnings(const std::string& text, std::vector<std::string>* warnings) {
    size_t start = 0;
    while (start < text.size() && warnings->size() < 20) {
        const size_t end = std::min(text.find('\n', start), text.size());
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.size() > 200) line = line.substr(0, 200) + "...";
        if (!line.empty() && std::find(warnings->begin(), warnings->end(), line) == warnings->end())
            warnings->push_back(line);
    }
}

// tinygltf's reason, on one line and cut short: it can quote a whole data URI.
std::string Unreadable(std::string error) {
    if (error.empty()) error = "tinygltf refused it";
    std::replace(error.begin(), error.end(), '\n', ' ');
    while (!error.empty() && error.back() == ' ') error.pop_back();
    return "the glTF cannot be read: " + (error.size() > 200 ? error.substr(0, 200) + "..." : error);
}

}  // namespace

bool TakeFromBudget(ImportBudget* budget, uint64_t bytes, std::string* problem) {
    if (bytes <= budget->left) {
        budget->left -= bytes;
        return true;
    }
    *problem = "importing it would take more than " + std::to_string(kImportBudget >> 20) + " MB";
    return false;
}

std::string LoadGltf(const unsigned char* bytes, size_t size, const GltfFolder& folder, tinygltf::Model* model,
                     GltfLoad* load) {
    std::string problem;
    if (!TakeFromBudget(&load->budget, size, &problem)) return problem;
    problem = CheckBeforeParsing(bytes, size);
    if (!problem.empty()) return problem;
    Reading reading = {&folder, load, ""};
    tinygltf::TinyGLTF loader;
    loader.SetFsCallbacks({AnyFile, AsNamed, ReadFile, WriteNothing, &reading});
    loader.SetImageLoader(KeepEncoded, &reading);
    std::string error, warning;
    const bool binary = IsGlb(bytes, size);
    const bool read =
        size <= UINT32_MAX &&
        (binary ? loader.LoadBinaryFromMemory(model, &error, &warning, bytes, unsigned(size), "")
                : loader.LoadASCIIFromString(model, &error, &warning, reinterpret_cast<const char*>(bytes),
                                             unsigned(size), ""));
    KeepWarnings(warning, &load->warnings);
    if (!reading.refusal.empty()) return "a file it names is refused: " + reading.refusal;
    return read ? "" : Unreadable(error);
}

std::string DecodeImage(const tinygltf::Image& image, int index, tinygltf::Image* decoded, GltfLoad* load) {
    const std::string name = "image " + std::to_string(index);
    if (image.component != 0 || image.image.empty()) return name + " holds no picture";
    if (image.width < 1 || image.height < 1 || image.width > kLargestTextureSide || image.height > kLargestTextureSide)
        return name + " is " + std::to_string(image.width) + " x " + std::to_string(image.height) +
               " pixels, more than the 4096 x 4096 a PCX skin is read with; scale it down";
    std::string problem;
    // At most four 16-bit samples a pixel.
    if (!TakeFromBudget(&load->budget, uint64_t(image.width) * uint64_t(image.height) * 8, &problem)) return problem;
    std::string error, warning;
    if (!tinygltf::LoadImageData(decoded, index, &error, &warning, 0, 0, image.image.data(), int(image.image.size()),
                                 nullptr))
        return name + " cannot be decoded";
    if (decoded->width != image.width || decoded->height != image.height) return name + " is not the size its header says";
    return "";
}
