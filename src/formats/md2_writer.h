#pragma once

// Writing MD2: every table of the format from a plain record, in the file
// order Quake 2's own tools use (header, skins, texture coordinates,
// triangles, frames, GL commands). What it writes, ParseMD2 reads back.

#include <cstdint>
#include <string>
#include <vector>

#include "md2.h"

struct Md2FrameContents {
    float scale[3], translate[3];
    std::string name;                     // at most 15 bytes; cut there
    std::vector<unsigned char> vertices;  // 4 bytes a vertex: x, y, z, normal index
};

struct Md2Contents {
    int32_t skinWidth = 0, skinHeight = 0;
    std::vector<std::string> skins;      // each at most 63 bytes; cut there
    std::vector<int16_t> texCoords;      // s, t in skin pixels, a pair a coordinate
    std::vector<int16_t> triangles;      // vertex a, b, c, then texture coordinate a, b, c
    int32_t numVertices = 0;
    std::vector<Md2FrameContents> frames;
    std::vector<int32_t> glCommands;     // the whole list, its final 0 included
};

// The file's bytes.
std::vector<unsigned char> WriteMD2(const Md2Contents& contents);
