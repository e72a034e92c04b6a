#include "md2_writer.h"

#include <algorithm>
#include <cstring>

#include "little_endian.h"

namespace {

const int32_t kIdp2 = 0x32504449;  // "IDP2", little-endian
const int32_t kFormatVersion = 8;

void PutFloat(std::vector<unsigned char>& out, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    AppendLe32(&out, bits);
}

// A name in a fixed field: cut to leave its terminator, padded with zeros.
void PutName(std::vector<unsigned char>& out, const std::string& name, size_t field) {
    const size_t kept = std::min(name.size(), field - 1);
    out.insert(out.end(), name.begin(), name.begin() + long(kept));
    out.insert(out.end(), field - kept, 0);
}

}  // namespace

std::vector<unsigned char> WriteMD2(const Md2Contents& c) {
    const int32_t frameSize = kMd2FrameHeadSize + kMd2VertexSize * c.numVertices;
    int32_t fields[kMd2FieldCount] = {};
    fields[kMd2Ident] = kIdp2;
    fields[kMd2Version] = kFormatVersion;
    fields[kMd2SkinWidth] = c.skinWidth;
    fields[kMd2SkinHeight] = c.skinHeight;
    fields[kMd2FrameSize] = frameSize;
    fields[kMd2NumSkins] = int32_t(c.skins.size());
    fields[kMd2NumVertices] = c.numVertices;
    fields[kMd2NumTexCoords] = int32_t(c.texCoords.size() / 2);
    fields[kMd2NumTriangles] = int32_t(c.triangles.size() / 6);
    fields[kMd2NumGlCommands] = int32_t(c.glCommands.size());
    fields[kMd2NumFrames] = int32_t(c.frames.size());
    fields[kMd2OffsetSkins] = kMd2HeaderSize;
    fields[kMd2OffsetTexCoords] = fields[kMd2OffsetSkins] + kMd2SkinNameSize * fields[kMd2NumSkins];
    fields[kMd2OffsetTriangles] = fields[kMd2OffsetTexCoords] + 4 * fields[kMd2NumTexCoords];
    fields[kMd2OffsetFrames] = fields[kMd2OffsetTriangles] + kMd2TriangleSize * fields[kMd2NumTriangles];
    fields[kMd2OffsetGlCommands] = fields[kMd2OffsetFrames] + frameSize * fields[kMd2NumFrames];
    fields[kMd2OffsetEnd] = fields[kMd2OffsetGlCommands] + 4 * fields[kMd2NumGlCommands];

    std::vector<unsigned char> out;
    out.reserve(size_t(fields[kMd2OffsetEnd]));
    for (int32_t field : fields) AppendLe32(&out, uint32_t(field));
    for (const std::string& skin : c.skins) PutName(out, skin, kMd2SkinNameSize);
    for (int16_t value : c.texCoords) AppendLe16(&out, uint16_t(value));
    for (int16_t value : c.triangles) AppendLe16(&out, uint16_t(value));
    for (const Md2FrameContents& frame : c.frames) {
        for (float v : frame.scale) PutFloat(out, v);
        for (float v : frame.translate) PutFloat(out, v);
        PutName(out, frame.name, kMd2FrameNameSize);
        const size_t bytes = size_t(kMd2VertexSize) * size_t(c.numVertices), kept = std::min(bytes, frame.vertices.size());
        out.insert(out.end(), frame.vertices.begin(), frame.vertices.begin() + long(kept));
        out.insert(out.end(), bytes - kept, 0);
    }
    for (int32_t word : c.glCommands) AppendLe32(&out, uint32_t(word));
    return out;
}
