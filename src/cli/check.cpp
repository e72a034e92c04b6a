#include "check.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "formats/md2.h"
#include "formats/pcx.h"

namespace {

const int kNumNormals = 162;  // Quake 2's table of vertex normals

std::string At(int64_t offset) { return "offset " + std::to_string(offset); }
std::string Field(Md2Field field) { return At(4 * int64_t(field)); }

struct Report {
    std::vector<Finding> findings;
    void Error(const std::string& where, const std::string& text) { findings.push_back({true, where, text}); }
    void Warn(const std::string& where, const std::string& text) { findings.push_back({false, where, text}); }
};

// The header rules the loader applies, each reported on its own.
void CheckHeader(const Md2File& f, Report& r) {
    const int32_t* h = f.header;
    for (Md2Field field : {kFrameSize, kNumSkins, kNumVertices, kNumTexCoords, kNumTriangles, kNumGlCommands,
                           kNumFrames})
        if (h[field] < 0) r.Error(Field(field), std::string(kMd2FieldNames[field]) + " is negative: " + std::to_string(h[field]));
    if (h[kNumFrames] == 0) r.Error(Field(kNumFrames), "the model has no frames");
    if (h[kNumVertices] == 0) r.Error(Field(kNumVertices), "the frames have no vertices");
    if (h[kNumGlCommands] == 0) r.Error(Field(kNumGlCommands), "the GL command list is empty");
    const struct {
        Md2Field field;
        int32_t limit;
    } limits[] = {{kNumVertices, kMd2MaxVertices}, {kNumFrames, kMd2MaxFrames}, {kNumTriangles, kMd2MaxTriangles},
                  {kNumSkins, kMd2MaxSkins}};
    for (const auto& l : limits)
        if (h[l.field] > l.limit)
            r.Error(Field(l.field), std::string(kMd2FieldNames[l.field]) + " " + std::to_string(h[l.field]) +
                                        " is above the format's limit of " + std::to_string(l.limit));
    const int64_t needed = 40 + 4 * int64_t(h[kNumVertices]);
    if (h[kNumVertices] >= 0 && h[kFrameSize] >= 0 && h[kFrameSize] < needed)
        r.Error(Field(kFrameSize), "frame size " + std::to_string(h[kFrameSize]) + " cannot hold 40 + 4 x " +
                                       std::to_string(h[kNumVertices]) + " vertices");
    else if (h[kNumVertices] >= 0 && h[kFrameSize] > needed)
        r.Warn(Field(kFrameSize), "frame size " + std::to_string(h[kFrameSize]) + " is not 40 + 4 x vertices (" +
                                      std::to_string(needed) + ")");
    const int64_t length = int64_t(f.bytes.size());
    const struct {
        Md2Field offset;
        int64_t size;
        const char* what;
    } blocks[] = {{kOffsetFrames, int64_t(h[kFrameSize]) * h[kNumFrames], "frame block"},
                  {kOffsetGlCommands, 4 * int64_t(h[kNumGlCommands]), "GL command list"}};
    for (const auto& b : blocks) {
        if (h[b.offset] < 0 || h[b.offset] >= length)
            r.Error(Field(b.offset), std::string("the ") + b.what + " starts outside the file (" +
                                         std::to_string(h[b.offset]) + ")");
        else if (b.size >= 0 && b.size > length - h[b.offset])
            r.Error(Field(b.offset), std::string("the ") + b.what + " runs past the end of the file");
    }
}

bool ErrorsSoFar(const Report& r) {
    return std::any_of(r.findings.begin(), r.findings.end(), [](const Finding& f) { return f.error; });
}

float FloatAt(const Md2File& f, int64_t offset) {
    const int32_t word = Word(f, offset);
    float value;
    std::memcpy(&value, &word, 4);
    return value;
}

// The command list: the loader's rules, then what drawing tolerates.
void CheckCommands(const Md2File& f, Report& r, std::vector<std::array<int32_t, 3>>* triangles) {
    const int64_t base = f.header[kOffsetGlCommands], words = f.header[kNumGlCommands];
    int64_t at = 0;
    int command = 0;
    bool outside = false, ended = false;
    for (; at < words; command++) {
        const std::string where = "command " + std::to_string(command) + " (" + At(base + 4 * at) + ")";
        int64_t count = Word(f, base + 4 * at);
        if (count == 0) {
            ended = true;
            break;
        }
        const bool fan = count < 0;
        if (count < 0) count = -count;
        if (count > (words - at - 1) / 3) {
            r.Error(where, "its " + std::to_string(count) + " vertices run past the end of the list");
            return;
        }
        if (count < 3) r.Warn(where, "a " + std::string(fan ? "fan" : "strip") + " of " + std::to_string(count) +
                                         " vertices draws nothing");
        std::vector<int32_t> indices;
        for (int64_t v = 0; v < count; v++) {
            const int64_t vertex = base + 4 * (at + 1 + 3 * v);
            const int32_t index = Word(f, vertex + 8);
            if (index < 0 || index >= f.header[kNumVertices]) {
                r.Error(where, "vertex " + std::to_string(v) + " names vertex " + std::to_string(index) +
                                   ", not one of the frame's " + std::to_string(f.header[kNumVertices]));
            }
            const float s = FloatAt(f, vertex), t = FloatAt(f, vertex + 4);
            if (!outside && !(s >= 0 && s <= 1 && t >= 0 && t <= 1)) {
                r.Warn(where, "texture coordinates outside 0..1 (" + std::to_string(s) + ", " + std::to_string(t) + ")");
                outside = true;  // once is enough to say
            }
            indices.push_back(index);
        }
        for (int64_t n = 2; n < count; n++) {
            const int64_t a = fan ? 0 : n - 2 + n % 2, b = fan ? n - 1 : n - 1 - n % 2;
            triangles->push_back({indices[size_t(a)], indices[size_t(b)], indices[size_t(n)]});
        }
        at += 1 + 3 * count;
    }
    if (!ended) r.Error(At(base), "the list has no 0 word within its " + std::to_string(words) + " words");
}

// Rotated so that the smallest index comes first: the same triangle, same winding.
std::array<int32_t, 3> Canonical(std::array<int32_t, 3> t) {
    while (t[0] > t[1] || t[0] > t[2]) std::rotate(t.begin(), t.begin() + 1, t.end());
    return t;
}

void CheckTriangleTable(const Md2File& f, Report& r, std::vector<std::array<int32_t, 3>> fromCommands) {
    const int64_t at = f.header[kOffsetTriangles], count = f.header[kNumTriangles];
    if (count <= 0) return;
    if (!InFile(f, at, 12 * count)) {
        r.Warn(At(at), "the triangle table runs past the end of the file");
        return;
    }
    std::vector<std::array<int32_t, 3>> table;
    for (int64_t i = 0; i < count; i++) {
        const unsigned char* b = &f.bytes[size_t(at + 12 * i)];
        table.push_back({int16_t(b[0] | b[1] << 8), int16_t(b[2] | b[3] << 8), int16_t(b[4] | b[5] << 8)});
    }
    for (auto* list : {&table, &fromCommands}) {
        for (auto& t : *list) t = Canonical(t);
        std::sort(list->begin(), list->end());
    }
    if (table != fromCommands)
        r.Warn(At(f.header[kOffsetGlCommands]), "the GL commands draw " + std::to_string(fromCommands.size()) +
                                                   " triangles that are not the triangle table's " +
                                                   std::to_string(table.size()));
}

void CheckFrames(const Md2File& f, Report& r) {
    for (int32_t frame = 0; frame < f.header[kNumFrames]; frame++) {
        const int64_t at = int64_t(f.header[kOffsetFrames]) + int64_t(frame) * f.header[kFrameSize];
        const std::string where = "frame " + std::to_string(frame) + " (" + At(at) + ")";
        const unsigned char* name = &f.bytes[size_t(at + 24)];
        const unsigned char* end = static_cast<const unsigned char*>(std::memchr(name, 0, 16));
        if (!end) r.Warn(where, "its name fills all 16 bytes with no terminator");
        else if (std::any_of(end, name + 16, [](unsigned char c) { return c != 0; }))
            r.Warn(where, "its name has bytes after the terminator");
        for (int32_t k = 0; k < f.header[kNumVertices]; k++)
            if (f.bytes[size_t(at + 40 + 4 * k + 3)] >= kNumNormals) {
                r.Warn(where, "vertex " + std::to_string(k) + " has normal index " +
                                  std::to_string(f.bytes[size_t(at + 40 + 4 * k + 3)]) + ", beyond the 162 normals");
                break;
            }
    }
}

void CheckSkinNames(const Md2File& f, Report& r) {
    const int64_t at = f.header[kOffsetSkins], count = f.header[kNumSkins];
    if (count <= 0) return;
    if (!InFile(f, at, 64 * count)) {
        r.Warn(At(at), "the skin names run past the end of the file");
        return;
    }
    const std::filesystem::path folder = std::filesystem::path(f.path).parent_path();
    for (int64_t i = 0; i < count; i++) {
        const char* name = reinterpret_cast<const char*>(&f.bytes[size_t(at + 64 * i)]);
        const std::string where = "skin " + std::to_string(i) + " (" + At(at + 64 * i) + ")";
        if (!std::memchr(name, 0, 64)) {
            r.Warn(where, "its name has no terminator");
            continue;
        }
        const std::string file = std::filesystem::path(name).filename().string();
        std::error_code error;
        if (!std::filesystem::exists(folder / file, error))
            r.Warn(where, "\"" + std::string(name) + "\" is not beside the model");
    }
}

}  // namespace

std::vector<Finding> CheckModel(const Md2File& f) {
    Report r;
    if (f.bytes.size() < 68) {
        r.Error(At(0), "the file is shorter than the 68-byte header");
        return r.findings;
    }
    CheckHeader(f, r);
    if (ErrorsSoFar(r)) return r.findings;  // nothing beyond the header can be trusted
    std::vector<std::array<int32_t, 3>> triangles;
    CheckCommands(f, r, &triangles);
    CheckFrames(f, r);
    CheckSkinNames(f, r);
    if (!ErrorsSoFar(r)) CheckTriangleTable(f, r, triangles);
    return r.findings;
}

std::vector<Finding> CheckSkin(const std::string& path) {
    Report r;
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    RgbImage image{};
    if (!LoadPCX(path.c_str(), &image)) {
        r.Error(path, "the viewer would refuse this skin (not an 8-bit, one-plane PCX with a palette at its end)");
        return r.findings;
    }
    std::free(image.pixels);
    const int width = (bytes[8] | bytes[9] << 8) + 1, bytesPerLine = bytes[66] | bytes[67] << 8;
    if (bytesPerLine > width)
        r.Warn(path, "scan lines of " + std::to_string(bytesPerLine) + " bytes for a width of " +
                         std::to_string(width) + ": the viewer decodes it skewed");
    return r.findings;
}
