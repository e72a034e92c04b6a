#pragma once

// An MD2 file read whole for inspection: every header field, and bounded
// readers for the rest. Nothing here trusts the file.

#include <cstdint>
#include <string>
#include <vector>

struct Md2File {
    std::string path;
    std::vector<unsigned char> bytes;
    int32_t header[17] = {};  // in file order: ident, version, skin width, ...; 0s for a shorter file
};

enum Md2Field {
    kIdent, kVersion, kSkinWidth, kSkinHeight, kFrameSize, kNumSkins, kNumVertices, kNumTexCoords,
    kNumTriangles, kNumGlCommands, kNumFrames, kOffsetSkins, kOffsetTexCoords, kOffsetTriangles,
    kOffsetFrames, kOffsetGlCommands, kOffsetEnd
};

extern const char* const kMd2FieldNames[17];

bool ReadMd2File(const std::string& path, Md2File* file);  // false: cannot be read
bool InFile(const Md2File& file, int64_t offset, int64_t size);
int32_t Word(const Md2File& file, int64_t offset);  // caller checks InFile
