#pragma once

// A glTF 2.0 file (read by tinygltf) as the frames of one MD2 model: every
// triangle primitive of every mesh of the default scene, with its node's
// world transform, skin and morph targets, at each frame's time. Each glTF
// animation gives a run of frames sampled at 10 a second from its first key
// to its last, the last included unless it repeats the first (a closed
// loop); a file velmorin-cli export made gives back its own frames (frame 0
// and one morph target a frame, named by extras.targetNames).
// Positions are in MD2's axes, Quake's front (+X) as glTF's (+Z): glTF
// (x, y, z) is MD2 (z, x, y).

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// What to take of the file.
struct SceneRequest {
    double scale = 1;
    std::vector<std::string> animations;  // only these, in this order (as the file or import names them); none: all
    std::string merge;                    // all those played at once, as one animation of this name
    bool keepLoopEnd = false;             // keep a closed loop's last frame (its first pose again)
};

// An animation as imported: its name, its frames, and whether its last
// frame was left out as a closed loop's repeat of its first.
struct ImportedAnimation {
    std::string name;
    int frames;
    bool loopEndDropped;
};

// A material's base colour: its factor, times its texture where it has one
// (with KHR_texture_transform's offset, rotation and scale).
struct ImportedMaterial {
    float factor[4] = {1, 1, 1, 1};
    int width = 0, height = 0;
    std::vector<unsigned char> texture;  // R, G, B, top row first; empty: the factor alone
    double offset[2] = {0, 0}, scale[2] = {1, 1}, rotation = 0;
    bool transformed = false;
};

struct ImportedFrame {
    std::string name;
    std::vector<float> positions;  // x, y, z of every vertex
};

struct ImportedMesh {
    std::vector<float> texCoords;    // s, t of every vertex (0 where a primitive has none)
    std::vector<float> colours;      // R, G, B of every vertex, 0 to 1 (1 where a primitive has none)
    std::vector<uint32_t> triangles;  // three vertices each, counter-clockwise as glTF has them
    std::vector<int> triangleMaterials;  // each triangle's, an index into materials
    std::vector<ImportedMaterial> materials;
    std::vector<ImportedFrame> frames;
    // The skin: one texture as it is, or every material baked into an atlas
    // (then cornerTexCoords, s, t of each triangle's three corners, replace
    // texCoords). R, G, B, top row first; empty: no skin.
    int textureWidth = 0, textureHeight = 0;
    std::vector<unsigned char> texture;
    std::vector<float> cornerTexCoords;
    std::vector<std::string> warnings;   // what was read with a doubt, or left out
    std::vector<std::string> filesRead;  // the files the glTF named, as read
    std::vector<ImportedAnimation> animations;
    std::vector<std::string> notCarried;  // what the file has and an MD2 cannot hold, named once each
};

// Returns "" with `mesh` filled, else why the file cannot be imported. The
// files it names are read from its folder only (see gltf_files.h).
std::string ReadGltfScene(const std::string& path, const SceneRequest& request, ImportedMesh* mesh);
// The same from the file's bytes (a .glb by its magic, else .gltf text),
// the files it names taken from `files` by relative path: for the fuzzer.
std::string ReadGltfSceneFromMemory(const unsigned char* bytes, size_t size,
                                    const std::map<std::string, std::vector<unsigned char>>& files,
                                    const SceneRequest& request, ImportedMesh* mesh);
