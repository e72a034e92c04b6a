#include "md2_file.h"

#include <cstring>
#include <fstream>
#include <iterator>

const char* const kMd2FieldNames[17] = {
    "ident", "version", "skinWidth", "skinHeight", "frameSize", "numSkins", "numVertices", "numTexCoords",
    "numTriangles", "numGlCommands", "numFrames", "offsetSkins", "offsetTexCoords", "offsetTriangles",
    "offsetFrames", "offsetGlCommands", "offsetEnd"};

bool ReadMd2File(const std::string& path, Md2File* file) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    file->path = path;
    file->bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (file->bytes.size() >= sizeof file->header)
        for (int i = 0; i < 17; i++) file->header[i] = Word(*file, 4 * i);
    return true;
}

bool InFile(const Md2File& file, int64_t offset, int64_t size) {
    return offset >= 0 && size >= 0 && offset <= int64_t(file.bytes.size()) &&
           size <= int64_t(file.bytes.size()) - offset;
}

int32_t Word(const Md2File& file, int64_t offset) {
    const unsigned char* b = &file.bytes[size_t(offset)];
    return int32_t(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
}
