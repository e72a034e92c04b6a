#pragma once

// A glTF 2.0 file (read by tinygltf) as the frames of one MD2 model: every
// triangle primitive of every mesh of the default scene, with its node's
// world transform, skin and morph targets, at each frame's time. Each glTF
// animation gives a run of frames sampled at 10 a second from 0 to its end,
// the end included; a file velmorin-cli export made gives back its own
// frames (frame 0 and one morph target a frame, named by extras.targetNames).
// Positions are in MD2's axes: glTF (x, y, z) is MD2 (x, -z, y).

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct ImportedFrame {
    std::string name;
    std::vector<float> positions;  // x, y, z of every vertex
};

struct ImportedMesh {
    std::vector<float> texCoords;    // s, t of every vertex (0 where a primitive has none)
    std::vector<uint32_t> triangles;  // three vertices each, counter-clockwise as glTF has them
    std::vector<ImportedFrame> frames;
    // The first base-colour texture found, decoded: R, G, B, top row first.
    int textureWidth = 0, textureHeight = 0;
    std::vector<unsigned char> texture;
    std::vector<std::string> warnings;   // what was read with a doubt, or left out
    std::vector<std::string> filesRead;  // the files the glTF named, as read
};

// Returns "" with `mesh` filled, else why the file cannot be imported. The
// files it names are read from its folder only (see gltf_files.h).
std::string ReadGltfScene(const std::string& path, double scale, ImportedMesh* mesh);
// The same from the file's bytes (a .glb by its magic, else .gltf text),
// the files it names taken from `files` by relative path: for the fuzzer.
std::string ReadGltfSceneFromMemory(const unsigned char* bytes, size_t size,
                                    const std::map<std::string, std::vector<unsigned char>>& files, double scale,
                                    ImportedMesh* mesh);
