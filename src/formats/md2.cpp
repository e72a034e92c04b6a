#include "md2.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "little_endian.h"

namespace {

// The fields the parser reads, as byte offsets; the others are not used.
enum HeaderField : int32_t {
    kFrameSizeAt = 4 * kMd2FrameSize, kNumSkinsAt = 4 * kMd2NumSkins, kNumVerticesAt = 4 * kMd2NumVertices,
    kNumTexCoordsAt = 4 * kMd2NumTexCoords, kNumTrianglesAt = 4 * kMd2NumTriangles,
    kNumGlCommandsAt = 4 * kMd2NumGlCommands, kNumFramesAt = 4 * kMd2NumFrames,
    kOffsetFramesAt = 4 * kMd2OffsetFrames, kOffsetGlCommandsAt = 4 * kMd2OffsetGlCommands,
};

struct Md2Header {
    int32_t frameSize;
    int32_t numVertices;
    int32_t numGlCommands;
    int32_t numFrames;
    int32_t offsetFrames;
    int32_t offsetGlCommands;
};

Md2Verdict Verdict(Md2Refusal refusal, int64_t offset) { return Md2Verdict{refusal, offset}; }

// Every refusal leaves the model unloaded and holding no buffer.
void HoldNothing(Md2Model* model) {
    model->loaded = 0;
    model->glCommands = nullptr;
    model->frames = nullptr;
}

bool BlockFitsFile(int64_t offset, int64_t size, int64_t fileLength) {
    return offset >= 0 && offset < fileLength && size <= fileLength - offset;
}

// The header's rules; `bytes` holds the file's first min(fileLength, 68)
// bytes. All arithmetic in 64 bits: 32-bit products of these fields can wrap.
Md2Verdict CheckHeader(const unsigned char* bytes, int64_t fileLength, Md2Header* h) {
    if (fileLength < kMd2HeaderSize) return Verdict(kMd2ShorterThanHeader, fileLength);
    for (int32_t at : {kFrameSizeAt, kNumSkinsAt, kNumVerticesAt, kNumTexCoordsAt, kNumTrianglesAt,
                       kNumGlCommandsAt, kNumFramesAt})
        if (ReadLe32(bytes + at) < 0) return Verdict(kMd2NegativeCount, at);
    h->frameSize = ReadLe32(bytes + kFrameSizeAt);
    h->numVertices = ReadLe32(bytes + kNumVerticesAt);
    h->numGlCommands = ReadLe32(bytes + kNumGlCommandsAt);
    h->numFrames = ReadLe32(bytes + kNumFramesAt);
    h->offsetFrames = ReadLe32(bytes + kOffsetFramesAt);
    h->offsetGlCommands = ReadLe32(bytes + kOffsetGlCommandsAt);
    if (h->numFrames == 0) return Verdict(kMd2NoFrames, kNumFramesAt);
    if (h->numVertices == 0) return Verdict(kMd2NoVertices, kNumVerticesAt);
    if (h->numGlCommands == 0) return Verdict(kMd2NoGlCommands, kNumGlCommandsAt);
    // Vertices and frames size what drawing reads and allocates; the triangle
    // and skin counts are never used, so their limits are only warned about.
    if (h->numVertices > kMd2MaxVertices) return Verdict(kMd2TooManyVertices, kNumVerticesAt);
    if (h->numFrames > kMd2MaxFrames) return Verdict(kMd2TooManyFrames, kNumFramesAt);
    if (h->frameSize < kMd2FrameHeadSize + kMd2VertexSize * int64_t{h->numVertices}) return Verdict(kMd2FrameTooSmall, kFrameSizeAt);
    if (!BlockFitsFile(h->offsetFrames, int64_t{h->frameSize} * h->numFrames, fileLength))
        return Verdict(kMd2FramesOutsideFile, kOffsetFramesAt);
    if (!BlockFitsFile(h->offsetGlCommands, 4 * int64_t{h->numGlCommands}, fileLength))
        return Verdict(kMd2GlCommandsOutsideFile, kOffsetGlCommandsAt);
    return Verdict(kMd2Accepted, 0);
}

// Walks the list once so that drawing can trust it: every command's vertex
// words lie inside the list, every index names a vertex of the frame, and a
// 0 word ends the walk inside the list.
Md2Verdict CheckCommandList(const unsigned char* list, int64_t listAt, int32_t numWords, int32_t numVertices) {
    int64_t at = 0;
    while (at < numWords) {
        int64_t count = ReadLe32(list + 4 * at);
        if (count == 0) return Verdict(kMd2Accepted, 0);
        if (count < 0) count = -count;  // 64-bit, so INT32_MIN negates safely
        if (count > (numWords - at - 1) / 3) return Verdict(kMd2CommandOverrunsList, listAt + 4 * at);
        for (int64_t v = 0; v < count; v++) {
            const int64_t word = at + 1 + 3 * v + 2;
            const int32_t index = ReadLe32(list + 4 * word);
            if (index < 0 || index >= numVertices) return Verdict(kMd2VertexIndexOutsideFrame, listAt + 4 * word);
        }
        at += 1 + 3 * count;
    }
    return Verdict(kMd2ListNotEnded, listAt);
}

// The model's two buffers, sized by a header that passed its rules.
struct Md2Blocks {
    unsigned char* frames;
    int32_t* commands;
    size_t frameBytes, commandBytes;
};

Md2Verdict TakeBlocks(const Md2Header& h, Md2Blocks* blocks) {
    blocks->frameBytes = size_t(h.frameSize) * size_t(h.numFrames);
    blocks->commandBytes = 4 * size_t(h.numGlCommands);
    blocks->frames = static_cast<unsigned char*>(std::malloc(blocks->frameBytes));
    blocks->commands = static_cast<int32_t*>(std::malloc(blocks->commandBytes));
    if (blocks->frames && blocks->commands) return Verdict(kMd2Accepted, 0);
    std::free(blocks->frames);
    std::free(blocks->commands);
    *blocks = {};
    return Verdict(kMd2OutOfMemory, 0);
}

// The words are used as stored: the file's little-endian order is the host's.
void GiveBlocks(const Md2Header& h, const Md2Blocks& blocks, Md2Model* model) {
    model->frames = blocks.frames;
    model->glCommands = blocks.commands;
    model->numFrames = h.numFrames;
    model->numGlCommands = h.numGlCommands;
    model->frameSize = h.frameSize;
    model->loaded = 1;
}

// An unbuffered stream and where it stands, so that a block that follows the
// last one is read without a seek (each call is a system call).
struct BlockReader {
    FILE* file;
    int64_t position;
};

bool ReadAt(BlockReader* reader, int64_t offset, void* buffer, size_t size) {
    if (offset != reader->position && std::fseek(reader->file, long(offset), SEEK_SET) != 0) return false;
    reader->position = -1;
    if (std::fread(buffer, 1, size, reader->file) != size) return false;
    reader->position = offset + int64_t(size);
    return true;
}

}  // namespace

const char* const kMd2FieldNames[kMd2FieldCount] = {
    "ident", "version", "skinWidth", "skinHeight", "frameSize", "numSkins", "numVertices", "numTexCoords",
    "numTriangles", "numGlCommands", "numFrames", "offsetSkins", "offsetTexCoords", "offsetTriangles",
    "offsetFrames", "offsetGlCommands", "offsetEnd"};

void ReadMd2Header(const unsigned char* bytes, size_t length, int32_t fields[kMd2FieldCount]) {
    for (int32_t i = 0; i < kMd2FieldCount; i++) fields[i] = length < size_t(kMd2HeaderSize) ? 0 : ReadLe32(bytes + 4 * i);
}

int64_t Md2FrameOffset(const int32_t fields[kMd2FieldCount], int32_t index) {
    return int64_t{fields[kMd2OffsetFrames]} + int64_t{index} * fields[kMd2FrameSize];
}

const char* Md2RefusalText(Md2Refusal refusal) {
    switch (refusal) {
    case kMd2Accepted: return "accepted";
    case kMd2Unreadable: return "the file cannot be read";
    case kMd2ShorterThanHeader: return "the file is shorter than the 68-byte header";
    case kMd2NegativeCount: return "a count or the frame size is negative";
    case kMd2NoFrames: return "the model has no frames";
    case kMd2NoVertices: return "the frames have no vertices";
    case kMd2NoGlCommands: return "the GL command list is empty";
    case kMd2TooManyVertices: return "more vertices than the format's limit of 2048";
    case kMd2TooManyFrames: return "more frames than the format's limit of 512";
    case kMd2FrameTooSmall: return "the frame size cannot hold 40 bytes and 4 per vertex";
    case kMd2FramesOutsideFile: return "the frame block does not lie inside the file";
    case kMd2GlCommandsOutsideFile: return "the GL command list does not lie inside the file";
    case kMd2CommandOverrunsList: return "a command's vertices run past the end of the list";
    case kMd2VertexIndexOutsideFrame: return "a command names a vertex the frames do not have";
    case kMd2ListNotEnded: return "the GL command list has no 0 word within its count";
    case kMd2OutOfMemory: return "not enough memory for the model";
    }
    return "unknown refusal";
}

Md2Verdict ParseMD2(const unsigned char* bytes, size_t length, Md2Model* model) {
    HoldNothing(model);
    Md2Header header;
    Md2Verdict verdict = CheckHeader(bytes, int64_t(length), &header);
    if (verdict.refusal == kMd2Accepted)
        verdict = CheckCommandList(bytes + header.offsetGlCommands, header.offsetGlCommands, header.numGlCommands,
                                   header.numVertices);
    Md2Blocks blocks = {};
    if (verdict.refusal == kMd2Accepted) verdict = TakeBlocks(header, &blocks);
    if (verdict.refusal != kMd2Accepted) return verdict;
    std::memcpy(blocks.frames, bytes + header.offsetFrames, blocks.frameBytes);
    std::memcpy(blocks.commands, bytes + header.offsetGlCommands, blocks.commandBytes);
    GiveBlocks(header, blocks, model);
    return verdict;
}

// The same rules as ParseMD2, with each block read straight into the buffer
// that keeps it: a whole-file buffer would cost a second copy of the frames
// (half as long again as the read itself).
Md2Verdict ReadMD2(const char* path, Md2Model* model) {
    HoldNothing(model);
    FILE* file = std::fopen(path, "rb");
    if (!file) return Verdict(kMd2Unreadable, 0);
    std::setvbuf(file, nullptr, _IONBF, 0);  // no stream buffer between the file and the blocks
    BlockReader reader = {file, 0};
    unsigned char headerBytes[kMd2HeaderSize];
    Md2Header header;
    Md2Blocks blocks = {};
    Md2Verdict verdict = Verdict(kMd2Unreadable, 0);
    // The header first, where the file opens; a short file reads short.
    const size_t headerRead = std::fread(headerBytes, 1, kMd2HeaderSize, file);
    int64_t length = -1;
    if (!std::ferror(file) && std::fseek(file, 0, SEEK_END) == 0) length = std::ftell(file);
    reader.position = length;
    if (length >= 0 && int64_t(headerRead) == std::min<int64_t>(length, kMd2HeaderSize))
        verdict = CheckHeader(headerBytes, length, &header);
    if (verdict.refusal == kMd2Accepted) verdict = TakeBlocks(header, &blocks);
    if (verdict.refusal == kMd2Accepted &&
        (!ReadAt(&reader, header.offsetFrames, blocks.frames, blocks.frameBytes) ||
         !ReadAt(&reader, header.offsetGlCommands, blocks.commands, blocks.commandBytes)))
        verdict = Verdict(kMd2Unreadable, 0);
    if (verdict.refusal == kMd2Accepted)
        verdict = CheckCommandList(reinterpret_cast<const unsigned char*>(blocks.commands), header.offsetGlCommands,
                                   header.numGlCommands, header.numVertices);
    std::fclose(file);
    if (verdict.refusal != kMd2Accepted) {
        std::free(blocks.frames);
        std::free(blocks.commands);
        return verdict;
    }
    GiveBlocks(header, blocks, model);
    return verdict;
}

int LoadMD2(const char* path, Md2Model* model) { return ReadMD2(path, model).refusal == kMd2Accepted; }

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
    std::memcpy(translate, frame + kMd2FrameTranslateAt, sizeof translate);
    const unsigned char* v = frame + kMd2FrameHeadSize + kMd2VertexSize * size_t(words[2]);

    Md2Vertex out;
    out.x = float(v[0] * double(scale[0]) + translate[0]);
    out.y = float(v[2] * double(scale[2]) + translate[2]);
    out.z = float(-(v[1] * double(scale[1]) + translate[1]));
    std::memcpy(&out.s, &words[0], sizeof out.s);  // s and t are floats, bit for bit
    std::memcpy(&out.t, &words[1], sizeof out.t);
    return out;
}

void CopyMd2FrameName(const unsigned char* frame, char name[17]) {
    std::memcpy(name, frame + kMd2FrameNameAt, kMd2FrameNameSize);
    name[kMd2FrameNameSize] = '\0';
}
