#include "md2.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "little_endian.h"

namespace {

const int kHeaderSize = 68;
const int kFrameHeadSize = 40;  // scale, translate, name
const int kFrameNameOffset = 24;

struct Md2Header {
    int32_t frameSize;
    int32_t numSkins;
    int32_t numVertices;
    int32_t numTexCoords;
    int32_t numTriangles;
    int32_t numGlCommands;
    int32_t numFrames;
    int32_t offsetFrames;
    int32_t offsetGlCommands;
};

Md2Header DecodeHeader(const unsigned char* bytes) {
    // Ident, version, skin size and the unread tables' offsets are not used.
    Md2Header header;
    header.frameSize = ReadLe32(bytes + 16);
    header.numSkins = ReadLe32(bytes + 20);
    header.numVertices = ReadLe32(bytes + 24);
    header.numTexCoords = ReadLe32(bytes + 28);
    header.numTriangles = ReadLe32(bytes + 32);
    header.numGlCommands = ReadLe32(bytes + 36);
    header.numFrames = ReadLe32(bytes + 40);
    header.offsetFrames = ReadLe32(bytes + 56);
    header.offsetGlCommands = ReadLe32(bytes + 60);
    return header;
}

bool BlockFitsFile(int64_t offset, int64_t size, int64_t fileLength) {
    return offset >= 0 && offset < fileLength && size <= fileLength - offset;
}

// All arithmetic in 64 bits: 32-bit products of these fields can wrap.
bool HeaderFitsFile(const Md2Header& h, int64_t fileLength) {
    if (h.numSkins < 0 || h.numVertices < 1 || h.numTexCoords < 0 || h.numTriangles < 0 ||
        h.numGlCommands < 1 || h.numFrames < 1 || h.frameSize < 0)
        return false;
    if (h.numSkins > kMd2MaxSkins || h.numVertices > kMd2MaxVertices ||
        h.numTriangles > kMd2MaxTriangles || h.numFrames > kMd2MaxFrames)
        return false;
    if (h.frameSize < kFrameHeadSize + 4 * int64_t{h.numVertices}) return false;
    return BlockFitsFile(h.offsetFrames, int64_t{h.frameSize} * h.numFrames, fileLength) &&
           BlockFitsFile(h.offsetGlCommands, 4 * int64_t{h.numGlCommands}, fileLength);
}

// Walks the list once so that drawing can trust it: every command's vertex
// words lie inside the list, every index names a vertex of the frame, and a
// 0 word ends the walk inside the list.
bool CommandListIsSound(const int32_t* words, int32_t numWords, int32_t numVertices) {
    int64_t at = 0;
    while (at < numWords) {
        int64_t count = words[at];
        if (count == 0) return true;
        if (count < 0) count = -count;  // 64-bit, so INT32_MIN negates safely
        if (count > (numWords - at - 1) / 3) return false;
        for (int64_t v = 0; v < count; v++) {
            int32_t index = words[at + 1 + 3 * v + 2];
            if (index < 0 || index >= numVertices) return false;
        }
        at += 1 + 3 * count;
    }
    return false;
}

bool ReadBlock(FILE* file, int32_t offset, void* buffer, size_t size) {
    return std::fseek(file, offset, SEEK_SET) == 0 && std::fread(buffer, 1, size, file) == size;
}

}  // namespace

int LoadMD2(const char* path, Md2Model* model) {
    model->loaded = 0;
    model->glCommands = nullptr;
    model->frames = nullptr;

    unsigned char headerBytes[kHeaderSize];
    Md2Header header;
    unsigned char* frames = nullptr;
    int32_t* commands = nullptr;
    int64_t fileLength = -1;
    size_t frameBytes = 0;
    size_t commandBytes = 0;
    int ok = 0;

    FILE* file = std::fopen(path, "rb");
    if (!file) return 0;
    if (std::fseek(file, 0, SEEK_END) == 0) fileLength = std::ftell(file);
    if (fileLength < kHeaderSize) goto done;
    if (!ReadBlock(file, 0, headerBytes, kHeaderSize)) goto done;
    header = DecodeHeader(headerBytes);
    if (!HeaderFitsFile(header, fileLength)) goto done;

    frameBytes = size_t(header.frameSize) * size_t(header.numFrames);
    commandBytes = 4 * size_t(header.numGlCommands);
    frames = static_cast<unsigned char*>(std::malloc(frameBytes));
    commands = static_cast<int32_t*>(std::malloc(commandBytes));
    if (!frames || !commands) goto done;
    if (!ReadBlock(file, header.offsetFrames, frames, frameBytes)) goto done;
    if (!ReadBlock(file, header.offsetGlCommands, commands, commandBytes)) goto done;
    // The words are used as read: the file's little-endian order is the host's.
    if (!CommandListIsSound(commands, header.numGlCommands, header.numVertices)) goto done;
    ok = 1;

done:
    std::fclose(file);
    if (!ok) {
        std::free(frames);
        std::free(commands);
        return 0;
    }
    model->frames = frames;
    model->glCommands = commands;
    model->numFrames = header.numFrames;
    model->numGlCommands = header.numGlCommands;
    model->frameSize = header.frameSize;
    model->loaded = 1;
    return 1;
}

void ReleaseModel(Md2Model* model) {
    std::free(model->glCommands);
    std::free(model->frames);
    model->glCommands = nullptr;
    model->frames = nullptr;
    model->numGlCommands = 0;
    model->numFrames = 0;
    model->frameSize = 0;
    model->loaded = 0;
}

int NextMd2Command(const Md2Model& model, int32_t* cursor, Md2Command* command) {
    int64_t at = *cursor;
    if (at < 0 || at >= model.numGlCommands) return 0;
    int64_t count = model.glCommands[at];
    if (count == 0) return 0;
    command->isFan = count < 0;
    if (count < 0) count = -count;
    if (count > (model.numGlCommands - at - 1) / 3) return 0;
    command->vertexCount = int32_t(count);
    command->vertexWords = model.glCommands + at + 1;
    *cursor = int32_t(at + 1 + 3 * count);
    return 1;
}

const unsigned char* Md2FrameData(const Md2Model& model, int32_t index) {
    return model.frames + size_t(index) * size_t(model.frameSize);
}

Md2Vertex DecodeMd2Vertex(const unsigned char* frame, const Md2Command& command, int32_t n) {
    const int32_t* words = command.vertexWords + 3 * size_t(n);
    float scale[3], translate[3];
    std::memcpy(scale, frame, sizeof scale);
    std::memcpy(translate, frame + 12, sizeof translate);
    const unsigned char* v = frame + kFrameHeadSize + 4 * size_t(words[2]);

    Md2Vertex out;
    out.x = float(v[0] * double(scale[0]) + translate[0]);
    out.y = float(v[2] * double(scale[2]) + translate[2]);
    out.z = float(-(v[1] * double(scale[1]) + translate[1]));
    std::memcpy(&out.s, &words[0], sizeof out.s);  // s and t are floats, bit for bit
    std::memcpy(&out.t, &words[1], sizeof out.t);
    return out;
}

void CopyMd2FrameName(const unsigned char* frame, char name[17]) {
    std::memcpy(name, frame + kFrameNameOffset, 16);
    name[16] = '\0';
}
