#include "gltf_export.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "animations.h"
#include "formats/little_endian.h"
#include "formats/md2.h"
#include "formats/pcx.h"
#include "gltf_mesh.h"
#include "input_files.h"
#include "json_text.h"
#include "output_files.h"
#include "png_file.h"
#include "refusals.h"
#include "render/skin_pixels.h"

using json = nlohmann::ordered_json;

namespace {

const int kFloat = 5126, kUnsignedInt = 5125;
const int kArrayBuffer = 34962, kElementArrayBuffer = 34963;
const int kNearest = 9728;
const double kFramesPerSecond = 10;  // the viewer's playback rate

// The binary buffer and the JSON that describes its parts.
struct Document {
    json gltf;
    std::vector<unsigned char> bin;

    // A buffer view of `bytes`, 4-byte aligned; returns its index.
    int View(const void* bytes, size_t size, int target) {
        while (bin.size() % 4) bin.push_back(0);
        json view = {{"buffer", 0}, {"byteOffset", bin.size()}, {"byteLength", size}};
        if (target) view["target"] = target;
        const auto* from = static_cast<const unsigned char*>(bytes);
        bin.insert(bin.end(), from, from + size);
        gltf["bufferViews"].push_back(view);
        return int(gltf["bufferViews"].size()) - 1;
    }

    // An accessor of float vectors (`width` floats each); with bounds when asked.
    int Floats(const std::vector<float>& values, int width, const char* type, int target, bool bounds) {
        json accessor = {{"bufferView", View(values.data(), values.size() * 4, target)},
                         {"componentType", kFloat},
                         {"count", values.size() / size_t(width)},
                         {"type", type}};
        if (bounds) {
            std::vector<float> low(size_t(width), 0), high(size_t(width), 0);
            for (size_t i = 0; i < values.size(); i++) {
                const size_t c = i % size_t(width);
                low[c] = i < size_t(width) ? values[i] : std::min(low[c], values[i]);
                high[c] = i < size_t(width) ? values[i] : std::max(high[c], values[i]);
            }
            accessor["min"] = low;
            accessor["max"] = high;
        }
        gltf["accessors"].push_back(accessor);
        return int(gltf["accessors"].size()) - 1;
    }
};

std::vector<float> Minus(const std::vector<float>& a, const std::vector<float>& b) {
    std::vector<float> out(a.size());
    for (size_t i = 0; i < a.size(); i++) out[i] = a[i] - b[i];
    return out;
}

// The mesh: frame 0 as the base, each other frame as a target of differences.
// Texture coordinates always go with it, so a skin can be put on later.
void AddMesh(Document& doc, const Md2Model& model, const GltfGeometry& geometry,
             const std::vector<std::string>& names) {
    const std::vector<float> basePositions = GltfFramePositions(model, 0, geometry);
    const std::vector<float> baseNormals = SmoothNormals(basePositions, geometry);
    json attributes = {{"POSITION", doc.Floats(basePositions, 3, "VEC3", kArrayBuffer, true)},
                       {"NORMAL", doc.Floats(baseNormals, 3, "VEC3", kArrayBuffer, false)}};
    std::vector<float> uvs;
    for (const GltfVertex& v : geometry.vertices) uvs.insert(uvs.end(), {v.s, v.t});
    attributes["TEXCOORD_0"] = doc.Floats(uvs, 2, "VEC2", kArrayBuffer, false);
    const int indices = doc.View(geometry.indices.data(), geometry.indices.size() * 4, kElementArrayBuffer);
    doc.gltf["accessors"].push_back({{"bufferView", indices},
                                     {"componentType", kUnsignedInt},
                                     {"count", geometry.indices.size()},
                                     {"type", "SCALAR"}});
    json primitive = {{"attributes", attributes}, {"indices", int(doc.gltf["accessors"].size()) - 1}, {"mode", 4},
                      {"material", 0}};
    json targets = json::array(), targetNames = json::array();
    for (int32_t frame = 1; frame < model.numFrames; frame++) {
        const std::vector<float> positions = GltfFramePositions(model, frame, geometry);
        const std::vector<float> normals = SmoothNormals(positions, geometry);
        targets.push_back({{"POSITION", doc.Floats(Minus(positions, basePositions), 3, "VEC3", kArrayBuffer, true)},
                           {"NORMAL", doc.Floats(Minus(normals, baseNormals), 3, "VEC3", kArrayBuffer, false)}});
        targetNames.push_back(names[size_t(frame)]);
    }
    json mesh = {{"name", names[0]}};
    if (!targets.empty()) {
        primitive["targets"] = targets;
        mesh["weights"] = std::vector<float>(targets.size(), 0.0f);
        mesh["extras"] = {{"targetNames", targetNames}};  // Blender and three.js name shape keys by it
    }
    mesh["primitives"] = json::array({primitive});
    doc.gltf["meshes"] = json::array({mesh});
}

// One weight animation per animation: key i shows frame first + i, at i / 10 s.
void AddAnimations(Document& doc, const Md2Model& model, const std::vector<std::string>& names) {
    if (model.numFrames < 2) return;  // no targets, nothing to weigh
    bool layout = false;
    const size_t targets = size_t(model.numFrames) - 1;
    for (const Animation& a : ApplyStandardLayout(AnimationsFromNames(names), model.numFrames, &layout)) {
        std::vector<float> times, weights;
        for (int32_t i = 0; i < a.length; i++) {
            times.push_back(float(i / kFramesPerSecond));
            std::vector<float> key(targets, 0.0f);
            if (a.first + i > 0) key[size_t(a.first + i - 1)] = 1;
            weights.insert(weights.end(), key.begin(), key.end());
        }
        const int input = doc.Floats(times, 1, "SCALAR", 0, true);
        const int output = doc.Floats(weights, 1, "SCALAR", 0, false);
        doc.gltf["animations"].push_back(
            {{"name", a.name},
             {"samplers", json::array({{{"input", input}, {"output", output}, {"interpolation", "LINEAR"}}})},
             {"channels", json::array({{{"sampler", 0}, {"target", {{"node", 0}, {"path", "weights"}}}}})}});
    }
}

// The unlit material, with the skin as its base colour texture when there is one.
void AddMaterial(Document& doc, const std::vector<unsigned char>& png, const std::string& pngUri) {
    json pbr = {{"metallicFactor", 0.0}, {"roughnessFactor", 1.0}};
    if (!png.empty()) {
        json image = {{"mimeType", "image/png"}};
        if (pngUri.empty()) image["bufferView"] = doc.View(png.data(), png.size(), 0);
        else image["uri"] = pngUri;
        doc.gltf["images"] = json::array({image});
        doc.gltf["samplers"] = json::array({{{"magFilter", kNearest}, {"minFilter", kNearest}}});
        doc.gltf["textures"] = json::array({{{"sampler", 0}, {"source", 0}}});
        pbr["baseColorTexture"] = {{"index", 0}};
    }
    doc.gltf["materials"] = json::array(
        {{{"name", "skin"}, {"pbrMetallicRoughness", pbr}, {"extensions", {{"KHR_materials_unlit", json::object()}}}}});
    doc.gltf["extensionsUsed"] = json::array({"KHR_materials_unlit"});
}

// A file name as a relative URI: anything but unreserved characters escaped.
std::string UriOf(const std::string& name) {
    std::string uri;
    for (unsigned char c : name) {
        if (std::isalnum(c) || std::strchr("-._~", c)) {
            uri += char(c);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            uri += escaped;
        }
    }
    return uri;
}

std::vector<unsigned char> Glb(const std::string& text, const std::vector<unsigned char>& bin) {
    std::string jsonChunk = text;
    while (jsonChunk.size() % 4) jsonChunk += ' ';
    std::vector<unsigned char> binChunk = bin;
    while (binChunk.size() % 4) binChunk.push_back(0);
    std::vector<unsigned char> out;
    AppendLe32(&out, 0x46546C67);  // "glTF"
    AppendLe32(&out, 2);
    AppendLe32(&out, uint32_t(12 + 8 + jsonChunk.size() + 8 + binChunk.size()));
    AppendLe32(&out, uint32_t(jsonChunk.size()));
    AppendLe32(&out, 0x4E4F534A);  // "JSON"
    out.insert(out.end(), jsonChunk.begin(), jsonChunk.end());
    AppendLe32(&out, uint32_t(binChunk.size()));
    AppendLe32(&out, 0x004E4942);  // "BIN"
    out.insert(out.end(), binChunk.begin(), binChunk.end());
    return out;
}

// The decoded skin, brightened as the viewer would, as PNG bytes.
std::string SkinPng(const ExportRequest& r, std::vector<unsigned char>* png) {
    RgbImage image{};
    const PcxVerdict verdict = ReadPcxInput(r.skin, &image);
    if (verdict.refusal != kPcxAccepted)
        return r.skin + ": " + RefusalMessage(verdict.offset, PcxRefusalText(verdict.refusal));
    if (r.brighten) {
        unsigned char table[256];
        BuildBrightnessTable(r.gamma, table);
        Brighten(image.pixels, size_t(image.width) * size_t(image.height) * 3, table);
    }
    *png = EncodePng(image);
    std::free(image.pixels);
    return png->empty() ? "cannot encode the skin as PNG" : "";
}

// A frame whose scale or translate is not finite has no place in glTF
// (its bounds would be null): the model is refused with the frame's reason.
std::string NonFiniteFrames(const Md2Model& model) {
    for (int32_t frame = 0; frame < model.numFrames; frame++) {
        const std::string reason = NonFiniteFrameText(Md2FrameData(model, frame));
        if (!reason.empty()) return "refused: frame " + std::to_string(frame) + ": " + reason;
    }
    return "";
}

}  // namespace

std::vector<std::string> ExportOutputs(const std::string& output) {
    const std::filesystem::path out = std::filesystem::u8path(output);
    if (out.extension() == ".glb") return {output};
    const std::filesystem::path folder = out.parent_path(), stem = out.stem();
    return {output, (folder / stem).u8string() + ".bin", (folder / stem).u8string() + ".png"};
}

std::string ExportModel(const ExportRequest& r) {
    const std::string overwrite = InputAsOutput({r.model, r.skin}, ExportOutputs(r.output));
    if (!overwrite.empty()) return overwrite;
    Md2Model model{};
    const Md2Verdict verdict = ReadMd2Input(r.model, &model);
    if (verdict.refusal != kMd2Accepted) return RefusalMessage(verdict.offset, Md2RefusalText(verdict.refusal));
    std::vector<unsigned char> png;
    std::string problem = NonFiniteFrames(model);
    if (problem.empty() && !r.skin.empty()) problem = SkinPng(r, &png);
    if (!problem.empty()) {
        ReleaseModel(&model);
        return problem;
    }

    const std::filesystem::path out = std::filesystem::u8path(r.output);
    const bool binary = out.extension() == ".glb";
    const std::string stem = out.stem().u8string();
    Document doc;
    doc.gltf["asset"] = {{"version", "2.0"}, {"generator", "velmorin-cli " VELMORIN_VERSION}};
    doc.gltf["scene"] = 0;
    doc.gltf["scenes"] = json::array({{{"nodes", json::array({0})}}});
    doc.gltf["nodes"] = json::array({{{"name", stem}, {"mesh", 0}}});
    const std::vector<std::string> names = FrameNames(model);
    const GltfGeometry geometry = BuildGeometry(model);
    AddMesh(doc, model, geometry, names);
    AddAnimations(doc, model, names);
    AddMaterial(doc, png, binary ? "" : UriOf(stem + ".png"));
    ReleaseModel(&model);
    if (geometry.indices.empty()) return "the model's GL commands draw no triangles";

    json buffer = {{"byteLength", doc.bin.size()}};
    if (!binary) buffer["uri"] = UriOf(stem + ".bin");
    doc.gltf["buffers"] = json::array({buffer});
    const std::string text = JsonText(doc.gltf);
    StagedOutputs staged;
    if (binary) {
        const std::vector<unsigned char> glb = Glb(text, doc.bin);
        problem = StageBytes(&staged, r.output, glb.data(), glb.size());
    } else {
        const std::vector<std::string> paths = ExportOutputs(r.output);
        problem = StageBytes(&staged, paths[0], text.data(), text.size());
        if (problem.empty()) problem = StageBytes(&staged, paths[1], doc.bin.data(), doc.bin.size());
        if (problem.empty() && !png.empty()) problem = StageBytes(&staged, paths[2], png.data(), png.size());
    }
    return problem.empty() ? CommitOutputs(&staged) : problem;
}
