#include "check.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>

#include "formats/little_endian.h"
#include "formats/md2.h"
#include "formats/pcx.h"
#include "input_files.h"
#include "skin_lookup.h"

namespace {

const int kNumNormals = 162;  // Quake 2's table of vertex normals
// Frames whose 255 steps span less or more than these many units: Quake 2's
// models are tens of units across, and a picture of one a thousandth of a
// unit or a million units across shows nothing.
const double kSmallestFrame = 1e-3, kLargestFrame = 1e6;

std::string At(int64_t offset) { return "offset " + std::to_string(offset); }
std::string Field(Md2Field field) { return At(4 * int64_t(field)); }

// A model file read whole, with its header's fields.
struct Md2File {
    std::string path;
    std::vector<unsigned char> bytes;
    int32_t header[kMd2FieldCount];
};

bool InFile(const Md2File& file, int64_t offset, int64_t size) {
    return offset >= 0 && size >= 0 && offset <= int64_t(file.bytes.size()) &&
           size <= int64_t(file.bytes.size()) - offset;
}

struct Report {
    std::vector<Finding> findings;
    void Error(const std::string& where, const std::string& text) { findings.push_back({true, where, text}); }
    void Warn(const std::string& where, const std::string& text) { findings.push_back({false, where, text}); }
};

// What the header says that the viewer tolerates; the rules it refuses by
// are the parser's alone.
void CheckHeader(const Md2File& f, Report& r) {
    const int32_t* h = f.header;
    const struct {
        Md2Field field;
        int32_t limit;
    } limits[] = {{kMd2NumTriangles, kMd2MaxTriangles}, {kMd2NumSkins, kMd2MaxSkins}};
    for (const auto& l : limits)
        if (h[l.field] > l.limit)
            r.Warn(Field(l.field), std::string(kMd2FieldNames[l.field]) + " " + std::to_string(h[l.field]) +
                                       " is above Quake 2's limit of " + std::to_string(l.limit) +
                                       " (unused by the viewer; other readers may refuse the file)");
    const int64_t needed = kMd2FrameHeadSize + kMd2VertexSize * int64_t(h[kMd2NumVertices]);
    if (h[kMd2NumVertices] >= 0 && h[kMd2FrameSize] > needed)
        r.Warn(Field(kMd2FrameSize), "frame size " + std::to_string(h[kMd2FrameSize]) +
                                         " is not 40 + 4 x vertices (" + std::to_string(needed) + ")");
}

float FloatOf(int32_t word) {
    float value;
    std::memcpy(&value, &word, 4);
    return value;
}

// The parsed command list, walked as drawing walks it, for what drawing tolerates.
void CheckCommands(const Md2File& f, const Md2Model& model, Report& r,
                   std::vector<std::array<int32_t, 3>>* triangles) {
    const int64_t base = f.header[kMd2OffsetGlCommands];
    bool outside = false;
    int32_t cursor = 0;
    Md2Command command;
    for (int number = 0;; number++) {
        const std::string where = "command " + std::to_string(number) + " (" + At(base + 4 * int64_t(cursor)) + ")";
        if (!NextMd2Command(model, &cursor, &command)) break;
        const int32_t count = command.vertexCount;
        if (count < 3)
            r.Warn(where, "a " + std::string(command.isFan ? "fan" : "strip") + " of " + std::to_string(count) +
                              " vertices draws nothing");
        std::vector<int32_t> indices;
        for (int32_t v = 0; v < count; v++) {
            const int32_t* words = command.vertexWords + 3 * size_t(v);
            const float s = FloatOf(words[0]), t = FloatOf(words[1]);
            if (!outside && !(s >= 0 && s <= 1 && t >= 0 && t <= 1)) {
                r.Warn(where, "texture coordinates outside 0..1 (" + std::to_string(s) + ", " + std::to_string(t) + ")");
                outside = true;  // once is enough to say
            }
            indices.push_back(words[2]);
        }
        for (int32_t n = 2; n < count; n++) {
            const int32_t a = command.isFan ? 0 : n - 2 + n % 2, b = command.isFan ? n - 1 : n - 1 - n % 2;
            triangles->push_back({indices[size_t(a)], indices[size_t(b)], indices[size_t(n)]});
        }
    }
}

// Rotated so that the smallest index comes first: the same triangle, same winding.
std::array<int32_t, 3> Canonical(std::array<int32_t, 3> t) {
    while (t[0] > t[1] || t[0] > t[2]) std::rotate(t.begin(), t.begin() + 1, t.end());
    return t;
}

void CheckTriangleTable(const Md2File& f, Report& r, std::vector<std::array<int32_t, 3>> fromCommands) {
    const int64_t at = f.header[kMd2OffsetTriangles], count = f.header[kMd2NumTriangles];
    if (count <= 0) return;
    if (!InFile(f, at, kMd2TriangleSize * count)) {
        r.Warn(At(at), "the triangle table runs past the end of the file");
        return;
    }
    std::vector<std::array<int32_t, 3>> table;
    for (int64_t i = 0; i < count; i++) {
        const unsigned char* b = &f.bytes[size_t(at + kMd2TriangleSize * i)];
        table.push_back({int16_t(ReadLe16(b)), int16_t(ReadLe16(b + 2)), int16_t(ReadLe16(b + 4))});
    }
    for (auto* list : {&table, &fromCommands}) {
        for (auto& t : *list) t = Canonical(t);
        std::sort(list->begin(), list->end());
    }
    if (table != fromCommands)
        r.Warn(At(f.header[kMd2OffsetGlCommands]), "the GL commands draw " + std::to_string(fromCommands.size()) +
                                                   " triangles that are not the triangle table's " +
                                                   std::to_string(table.size()));
}

// A frame's size, 255 steps of its largest scale: one a viewer cannot draw.
void WarnOfSize(const unsigned char* frame, const std::string& where, Report& r) {
    float scale[3];
    std::memcpy(scale, frame, sizeof scale);
    double across = 0;
    for (float s : scale) across = std::max(across, 255.0 * std::fabs(double(s)));
    if (across < kSmallestFrame)
        r.Warn(where, "its scale makes the model " + std::to_string(across) + " units across: it vanishes");
    else if (across > kLargestFrame)
        r.Warn(where, "its scale makes the model " + std::to_string(across) + " units across: too large to draw");
}

void CheckFrames(const Md2File& f, Report& r) {
    for (int32_t frame = 0; frame < f.header[kMd2NumFrames]; frame++) {
        const int64_t at = Md2FrameOffset(f.header, frame);
        const std::string where = "frame " + std::to_string(frame) + " (" + At(at) + ")";
        const std::string unusable = NonFiniteFrameText(&f.bytes[size_t(at)]);
        if (!unusable.empty()) r.Error(where, unusable);
        else WarnOfSize(&f.bytes[size_t(at)], where, r);
        const unsigned char* name = &f.bytes[size_t(at + kMd2FrameNameAt)];
        const unsigned char* end = static_cast<const unsigned char*>(std::memchr(name, 0, kMd2FrameNameSize));
        if (!end) r.Warn(where, "its name fills all 16 bytes with no terminator");
        else if (std::any_of(end, name + kMd2FrameNameSize, [](unsigned char c) { return c != 0; }))
            r.Warn(where, "its name has bytes after the terminator");
        for (int32_t k = 0; k < f.header[kMd2NumVertices]; k++) {
            const unsigned char normal = f.bytes[size_t(at + kMd2FrameHeadSize + kMd2VertexSize * k + 3)];
            if (normal >= kNumNormals) {
                r.Warn(where, "vertex " + std::to_string(k) + " has normal index " + std::to_string(normal) +
                                  ", beyond the 162 normals");
                break;
            }
        }
    }
}

void CheckSkinNames(const Md2File& f, Report& r) {
    const int64_t at = f.header[kMd2OffsetSkins], count = f.header[kMd2NumSkins];
    if (count <= 0) return;
    if (!InFile(f, at, kMd2SkinNameSize * count)) {
        r.Warn(At(at), "the skin names run past the end of the file");
        return;
    }
    for (int64_t i = 0; i < count; i++) {
        const char* name = reinterpret_cast<const char*>(&f.bytes[size_t(at + kMd2SkinNameSize * i)]);
        const std::string where = "skin " + std::to_string(i) + " (" + At(at + kMd2SkinNameSize * i) + ")";
        if (!std::memchr(name, 0, kMd2SkinNameSize)) {
            r.Warn(where, "its name has no terminator");
            continue;
        }
        if (FindNamedSkin(f.path, name).empty())
            r.Warn(where, "\"" + std::string(name) +
                              "\" is found neither in the game folder its path leads to nor beside the model");
    }
}

}  // namespace

bool ReadBytes(const std::string& path, uint64_t most, std::vector<unsigned char>* bytes) {
    return ReadInputFile(path, most, bytes).empty();
}

std::vector<Finding> CheckModel(const std::string& path) {
    Report r;
    Md2File f;
    f.path = path;
    if (!ReadBytes(path, kLargestMd2File, &f.bytes)) {
        r.Error(At(0), Md2RefusalText(kMd2Unreadable));
        return r.findings;
    }
    ReadMd2Header(f.bytes.data(), f.bytes.size(), f.header);
    CheckHeader(f, r);
    Md2Model model{};
    const Md2Verdict verdict = ParseMD2(f.bytes.data(), f.bytes.size(), &model);
    if (verdict.refusal != kMd2Accepted) {
        r.Error(At(verdict.offset), Md2RefusalText(verdict.refusal));
        return r.findings;  // nothing beyond the refusal can be trusted
    }
    std::vector<std::array<int32_t, 3>> triangles;
    CheckCommands(f, model, r, &triangles);
    ReleaseModel(&model);
    CheckFrames(f, r);
    CheckSkinNames(f, r);
    CheckTriangleTable(f, r, triangles);
    return r.findings;
}

std::vector<Finding> CheckSkin(const std::string& path) {
    Report r;
    std::vector<unsigned char> bytes;
    if (!ReadBytes(path, kLargestPcxFile, &bytes)) {
        r.Error(path, PcxRefusalText(kPcxUnreadable));
        return r.findings;
    }
    RgbImage image{};
    const PcxVerdict verdict = ParsePCX(bytes.data(), bytes.size(), &image);
    if (verdict.refusal != kPcxAccepted) {
        r.Error(path + " " + At(verdict.offset), PcxRefusalText(verdict.refusal));
        return r.findings;
    }
    std::free(image.pixels);
    const int width = ReadLe16(&bytes[8]) + 1, bytesPerLine = ReadLe16(&bytes[66]);
    if (bytesPerLine > width)
        r.Warn(path, "scan lines of " + std::to_string(bytesPerLine) + " bytes for a width of " +
                         std::to_string(width) + ": the viewer decodes it skewed");
    return r.findings;
}
