#include "gltf_import.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <tuple>
#include <unordered_map>

#include "colour_palette.h"
#include "formats/md2_writer.h"
#include "formats/pcx.h"
#include "gl_commands.h"
#include "gltf_scene.h"
#include "input_files.h"
#include "md2_normals.h"
#include "output_files.h"

namespace {

const int kUntexturedSkinSide = 256;  // texture coordinates need a skin size to be in pixels
const int64_t kLargestSkin = int64_t{1} << 24;  // what the PCX reader takes

std::string OverLimit(const char* what, size_t count, int32_t limit, const char* advice) {
    return std::string("more ") + what + " than Quake 2's limit of " + std::to_string(limit) + ": " +
           std::to_string(count) + "; " + advice;
}

// The MD2 vertex of each glTF vertex that a triangle uses: one for all
// whose positions agree in every frame; -1 for the unused.
std::vector<int32_t> Weld(const ImportedMesh& mesh, int32_t* count) {
    const size_t vertices = mesh.texCoords.size() / 2;
    std::vector<bool> used(vertices, false);
    for (uint32_t v : mesh.triangles) used[v] = true;
    std::unordered_map<std::string, int32_t> byPositions;
    std::vector<int32_t> welded(vertices, -1);
    *count = 0;
    for (size_t v = 0; v < vertices; v++) {
        if (!used[v]) continue;
        std::string key;
        for (const ImportedFrame& frame : mesh.frames)
            key.append(reinterpret_cast<const char*>(&frame.positions[3 * v]), 3 * sizeof(float));
        const auto found = byPositions.emplace(key, *count);
        if (found.second) ++*count;
        welded[v] = found.first->second;
    }
    return welded;
}

int NearestNormal(const double n[3]) {
    int best = 0;
    double bestDot = -2;
    for (int i = 0; i < 162; i++) {
        const double dot = n[0] * kMd2Normals[i][0] + n[1] * kMd2Normals[i][1] + n[2] * kMd2Normals[i][2];
        if (dot > bestDot) bestDot = dot, best = i;
    }
    return best;
}

// One frame: scale and translate from its bounds, each coordinate rounded
// to its byte, and each vertex's normal index from its faces' normals.
std::string QuantiseFrame(const ImportedFrame& in, const std::vector<int32_t>& welded, int32_t vertices,
                          const std::vector<uint32_t>& triangles, Md2FrameContents* out) {
    std::vector<double> position(3 * size_t(vertices), 0);
    for (size_t v = 0; v < welded.size(); v++)
        if (welded[v] >= 0)
            for (int c = 0; c < 3; c++) position[3 * size_t(welded[v]) + size_t(c)] = in.positions[3 * v + size_t(c)];
    for (double p : position)
        if (!std::isfinite(p)) return "frame " + in.name + " has positions that are not finite numbers";
    out->name = in.name;
    for (int c = 0; c < 3; c++) {
        double low = position[size_t(c)], high = low;
        for (int32_t v = 0; v < vertices; v++)
            low = std::min(low, position[3 * size_t(v) + size_t(c)]), high = std::max(high, position[3 * size_t(v) + size_t(c)]);
        out->scale[c] = float((high - low) / 255);
        out->translate[c] = float(low);
        if (!std::isfinite(out->scale[c])) return "frame " + in.name + " is larger than a float holds";
    }
    // Area-weighted face normals, the faces as glTF winds them (outwards).
    std::vector<double> normals(3 * size_t(vertices), 0);
    for (size_t t = 0; t + 2 < triangles.size(); t += 3) {
        const double* a = &position[3 * size_t(welded[triangles[t]])];
        const double* b = &position[3 * size_t(welded[triangles[t + 1]])];
        const double* c = &position[3 * size_t(welded[triangles[t + 2]])];
        const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]}, w[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        const double n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
        for (uint32_t corner : {triangles[t], triangles[t + 1], triangles[t + 2]})
            for (int k = 0; k < 3; k++) normals[3 * size_t(welded[corner]) + size_t(k)] += n[k];
    }
    out->vertices.resize(4 * size_t(vertices));
    for (int32_t v = 0; v < vertices; v++) {
        for (int c = 0; c < 3; c++) {
            const double p = position[3 * size_t(v) + size_t(c)];
            const double step = out->scale[c] > 0 ? std::round((p - double(out->translate[c])) / double(out->scale[c])) : 0;
            out->vertices[4 * size_t(v) + size_t(c)] = uint8_t(std::min(255.0, std::max(0.0, step)));
        }
        out->vertices[4 * size_t(v) + 3] = uint8_t(NearestNormal(&normals[3 * size_t(v)]));
    }
    return "";
}

int16_t Pixel(float coordinate, int side) {
    const double p = std::round(double(coordinate) * side);
    return int16_t(std::min(32767.0, std::max(-32768.0, std::isfinite(p) ? p : 0)));
}

// Everything but the skin's pixels: vertices welded, triangles, texture
// coordinates, frames and GL commands, within Quake 2's limits.
std::string BuildContents(const ImportedMesh& mesh, Md2Contents* c) {
    int32_t vertices = 0;
    const std::vector<int32_t> welded = Weld(mesh, &vertices);
    if (vertices > kMd2MaxVertices)
        return OverLimit("vertices", size_t(vertices), kMd2MaxVertices, "use a lower-poly mesh");
    if (mesh.frames.size() > size_t(kMd2MaxFrames))
        return OverLimit("frames", mesh.frames.size(), kMd2MaxFrames, "use fewer or shorter animations");
    c->numVertices = vertices;
    std::vector<uint32_t> kept;  // triangles that keep three distinct vertices
    std::vector<size_t> keptFrom;  // and where each was among the mesh's
    for (size_t t = 0; t + 2 < mesh.triangles.size(); t += 3) {
        const int32_t a = welded[mesh.triangles[t]], b = welded[mesh.triangles[t + 1]], d = welded[mesh.triangles[t + 2]];
        if (a == b || b == d || a == d) continue;
        kept.insert(kept.end(), {mesh.triangles[t], mesh.triangles[t + 1], mesh.triangles[t + 2]});
        keptFrom.push_back(t / 3);
    }
    if (kept.empty()) return "the model has no triangle with three distinct vertices";
    if (kept.size() / 3 > size_t(kMd2MaxTriangles))
        return OverLimit("triangles", kept.size() / 3, kMd2MaxTriangles, "use a lower-poly mesh");

    // Corners (a vertex with its texture coordinates) and the texture-coordinate table.
    std::vector<GlCorner> corners;
    std::map<std::tuple<int32_t, float, float>, uint32_t> cornerOf;
    std::map<std::pair<int16_t, int16_t>, int16_t> texCoordOf;
    std::vector<uint32_t> glTriangles;
    for (size_t t = 0; t < kept.size(); t += 3) {
        // MD2 winds its triangles the other way round from glTF.
        for (size_t k : {size_t(0), size_t(2), size_t(1)}) {
            const uint32_t v = kept[t + k];
            // A baked skin gives each corner its own coordinates; else each vertex has its.
            const float* uv = mesh.cornerTexCoords.empty() ? &mesh.texCoords[2 * v]
                                                           : &mesh.cornerTexCoords[6 * keptFrom[t / 3] + 2 * k];
            const float s = uv[0], tt = uv[1];
            const auto corner = cornerOf.emplace(std::make_tuple(welded[v], s, tt), uint32_t(corners.size()));
            if (corner.second) corners.push_back({welded[v], s, tt});
            glTriangles.push_back(corner.first->second);
            const std::pair<int16_t, int16_t> pixel = {Pixel(s, c->skinWidth), Pixel(tt, c->skinHeight)};
            const auto coordinate = texCoordOf.emplace(pixel, int16_t(c->texCoords.size() / 2));
            if (coordinate.second) c->texCoords.insert(c->texCoords.end(), {pixel.first, pixel.second});
            c->triangles.push_back(int16_t(welded[v]));
            c->triangles.push_back(coordinate.first->second);
        }
        // The table holds three vertices, then three coordinates.
        int16_t* last = &*(c->triangles.end() - 6);
        const int16_t entry[6] = {last[0], last[2], last[4], last[1], last[3], last[5]};
        std::copy(entry, entry + 6, last);
    }
    if (c->texCoords.size() / 2 > 32767) return "more texture coordinates than an MD2 can number";
    for (const ImportedFrame& frame : mesh.frames) {
        Md2FrameContents quantised;
        const std::string problem = QuantiseFrame(frame, welded, vertices, kept, &quantised);
        if (!problem.empty()) return problem;
        c->frames.push_back(std::move(quantised));
    }
    c->glCommands = BuildGlCommands(corners, glTriangles);
    if (c->glCommands.size() > size_t(kMd2MostGlCommandWords))
        return "more GL command words than Quake 2's model compiler holds (" + std::to_string(kMd2MostGlCommandWords) +
               "): " + std::to_string(c->glCommands.size()) + "; use a lower-poly mesh";
    return "";
}

// The texture as palette indices: the palette of --palette's PCX, or the
// texture's own (exact up to 256 colours, median cut beyond).
std::string SkinIndices(const ImportedMesh& mesh, const std::string& palettePath, std::vector<uint8_t>* indices,
                        unsigned char palette[768]) {
    const size_t pixels = size_t(mesh.textureWidth) * size_t(mesh.textureHeight);
    std::vector<PaletteColour> colours;
    if (!palettePath.empty()) {
        RgbImage image{};
        const PcxVerdict verdict = ReadPcxInput(palettePath, &image, palette);
        std::free(image.pixels);
        if (verdict.refusal != kPcxAccepted)
            return palettePath + ": refused: offset " + std::to_string(verdict.offset) + ": " + PcxRefusalText(verdict.refusal);
        for (int e = 0; e < 256; e++) colours.push_back({palette[3 * e], palette[3 * e + 1], palette[3 * e + 2]});
    } else {
        colours = PaletteOf(mesh.texture.data(), pixels, 256);
        std::memset(palette, 0, 768);
        for (size_t e = 0; e < colours.size(); e++) std::copy(colours[e].begin(), colours[e].end(), palette + 3 * e);
    }
    *indices = NearestEntries(mesh.texture.data(), pixels, colours);
    return "";
}

// --height and --origin on every frame alike, from frame 0's bounds; returns
// frame 0's height (its z extent) after them.
double Place(const ImportRequest& r, std::vector<ImportedFrame>* frames) {
    if (frames->empty()) return 0;
    const auto bounds = [](const ImportedFrame& frame, double low[3], double high[3]) {
        for (int c = 0; c < 3; c++) low[c] = HUGE_VAL, high[c] = -HUGE_VAL;
        for (size_t i = 0; i < frame.positions.size(); i++)
            low[i % 3] = std::min(low[i % 3], double(frame.positions[i])),
            high[i % 3] = std::max(high[i % 3], double(frame.positions[i]));
    };
    double low[3], high[3];
    bounds(frames->front(), low, high);
    const double factor = r.height > 0 && high[2] > low[2] ? r.height / (high[2] - low[2]) : 1;
    double shift[3] = {0, 0, 0};
    if (r.origin != "keep")
        for (int c = 0; c < 3; c++) shift[c] = -(low[c] + high[c]) / 2 * factor;
    if (r.origin == "feet") shift[2] = kQuakeFeet - low[2] * factor;
    if (factor != 1 || r.origin != "keep")
        for (ImportedFrame& frame : *frames)
            for (size_t i = 0; i < frame.positions.size(); i++)
                frame.positions[i] = float(frame.positions[i] * factor + shift[i % 3]);
    return (high[2] - low[2]) * factor;
}

std::string Counted(size_t count, int32_t limit, const char* what) {
    return std::to_string(count) + " " + what + " of " + std::to_string(limit);
}

// The summary of an import: counts against Quake 2's limits, the frames of
// each animation, the skin, the height, what was not carried, and a hint
// where the model is too small or too large for Quake 2's world.
std::vector<std::string> Summary(const ImportRequest& r, const ImportedMesh& mesh, const Md2Contents& c, size_t colours,
                                 double tall) {
    std::vector<std::string> lines = {
        r.output + ": " + Counted(size_t(c.numVertices), kMd2MaxVertices, "vertices") + ", " +
        Counted(c.triangles.size() / 6, kMd2MaxTriangles, "triangles") + ", " +
        Counted(c.glCommands.size(), kMd2MostGlCommandWords, "GL command words")};
    std::string frames = Counted(c.frames.size(), kMd2MaxFrames, "frames");
    for (size_t a = 0; a < mesh.animations.size(); a++) {
        const ImportedAnimation& animation = mesh.animations[a];
        frames += (a ? ", " : ": ") + animation.name + " " + std::to_string(animation.frames);
        if (animation.loopEndDropped) frames += " (a closed loop: its last frame, the first again, left out)";
    }
    lines.push_back(frames);
    if (colours)
        lines.push_back("skin " + ImportedSkinPath(r) + ": " + std::to_string(mesh.textureWidth) + " x " +
                        std::to_string(mesh.textureHeight) + ", " + std::to_string(colours) + " colours");
    else
        lines.push_back("no skin: the model has no base-colour texture");
    char height[64];
    std::snprintf(height, sizeof height, "%.1f units tall (frame 0)", tall);
    lines.push_back(height);
    std::string notCarried;
    for (const std::string& what : mesh.notCarried) notCarried += (notCarried.empty() ? "" : ", ") + what;
    if (!notCarried.empty()) lines.push_back("not carried: " + notCarried);
    if (tall < 8 || tall > 1000)
        lines.push_back(std::string("hint: Quake 2's player is about 56 units tall; ") +
                        (tall < 8 ? "this model would be a speck" : "this model would tower over its world") +
                        ": try --height 56 (or --scale)");
    return lines;
}

}  // namespace

std::string ImportedSkinPath(const ImportRequest& r) {
    const std::filesystem::path output = std::filesystem::u8path(r.output);
    if (r.skinPath.empty()) return std::filesystem::path(output).replace_extension(".pcx").u8string();
    return (output.parent_path() / std::filesystem::u8path(r.skinPath).filename()).u8string();
}

std::string ConvertImported(const ImportedMesh& read, const ImportRequest& r, std::vector<unsigned char>* md2,
                            std::vector<unsigned char>* pcx, std::vector<std::string>* summary) {
    ImportedMesh mesh = read;
    const double tall = Place(r, &mesh.frames);
    const bool skinned = !mesh.texture.empty();
    if (skinned && int64_t{mesh.textureWidth} * mesh.textureHeight > kLargestSkin)
        return "the texture is " + std::to_string(mesh.textureWidth) + " x " + std::to_string(mesh.textureHeight) +
               " pixels, more than the 4096 x 4096 a PCX skin is read with; scale it down";
    Md2Contents contents;
    contents.skinWidth = skinned ? mesh.textureWidth : kUntexturedSkinSide;
    contents.skinHeight = skinned ? mesh.textureHeight : kUntexturedSkinSide;
    if (skinned || !r.skinPath.empty())
        contents.skins.push_back(r.skinPath.empty() ? std::filesystem::u8path(ImportedSkinPath(r)).filename().u8string()
                                                    : r.skinPath);
    std::string problem = BuildContents(mesh, &contents);
    if (!problem.empty()) return problem;
    size_t colours = 0;
    if (skinned) {
        std::vector<uint8_t> indices;
        unsigned char palette[768];
        problem = SkinIndices(mesh, r.palette, &indices, palette);
        if (!problem.empty()) return problem;
        *pcx = WritePCX(mesh.textureWidth, mesh.textureHeight, indices.data(), palette);
        std::vector<bool> used(256, false);
        for (uint8_t index : indices) colours += !used[index], used[index] = true;
    }
    *md2 = WriteMD2(contents);
    if (summary) *summary = Summary(r, mesh, contents, skinned ? colours : 0, tall);
    return "";
}

std::string ImportModel(const ImportRequest& r, ImportReport* report) {
    ImportedMesh mesh;
    std::string problem = ReadGltfScene(r.input, r.scene, &mesh);
    report->warnings = mesh.warnings;
    std::vector<unsigned char> md2, pcx;
    if (problem.empty()) problem = ConvertImported(mesh, r, &md2, &pcx, &report->summary);
    std::vector<std::string> inputs = mesh.filesRead;
    inputs.insert(inputs.end(), {r.input, r.palette});
    if (problem.empty()) problem = InputAsOutput(inputs, {r.output, ImportedSkinPath(r)});
    if (!problem.empty()) return problem;
    StagedOutputs staged;
    problem = StageBytes(&staged, r.output, md2.data(), md2.size());
    if (problem.empty() && !pcx.empty()) problem = StageBytes(&staged, ImportedSkinPath(r), pcx.data(), pcx.size());
    return problem.empty() ? CommitOutputs(&staged) : problem;
}
