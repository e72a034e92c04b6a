#pragma once

#include <cstddef>
#include <cstdint>

// The format's limits, as Quake 2's qfiles.h defines them (MAX_VERTS,
// MAX_FRAMES, MAX_TRIANGLES, MAX_MD2SKINS).
const int32_t kMd2MaxVertices = 2048;
const int32_t kMd2MaxFrames = 512;
const int32_t kMd2MaxTriangles = 4096;
const int32_t kMd2MaxSkins = 32;

// The file's layout: a header of 17 little-endian 32-bit fields in this
// order; each frame a 40-byte head (scale and translate as three floats
// each, a 16-byte name) and 4 bytes a vertex (x, y, z, normal index).
enum Md2Field : int32_t {
    kMd2Ident, kMd2Version, kMd2SkinWidth, kMd2SkinHeight, kMd2FrameSize, kMd2NumSkins, kMd2NumVertices,
    kMd2NumTexCoords, kMd2NumTriangles, kMd2NumGlCommands, kMd2NumFrames, kMd2OffsetSkins, kMd2OffsetTexCoords,
    kMd2OffsetTriangles, kMd2OffsetFrames, kMd2OffsetGlCommands, kMd2OffsetEnd, kMd2FieldCount
};
extern const char* const kMd2FieldNames[kMd2FieldCount];  // "ident", "version", "skinWidth", ...
const int32_t kMd2HeaderSize = 4 * kMd2FieldCount;
const int32_t kMd2FrameTranslateAt = 12;
const int32_t kMd2FrameNameAt = 24;
const int32_t kMd2FrameNameSize = 16;
const int32_t kMd2FrameHeadSize = 40;
const int32_t kMd2VertexSize = 4;
const int32_t kMd2TriangleSize = 12;  // three 16-bit vertex and three texture-coordinate indices
const int32_t kMd2SkinNameSize = 64;

// The header's fields as stored, from the first `length` bytes of a file;
// all 0 when the file is shorter than the header.
void ReadMd2Header(const unsigned char* bytes, size_t length, int32_t fields[kMd2FieldCount]);

// Where frame `index` starts in the file, by the header's fields.
int64_t Md2FrameOffset(const int32_t fields[kMd2FieldCount], int32_t index);

// A loaded model (the viewer keeps one in its state). The two buffers are
// owned by the record from a successful load until ReleaseModel.
struct Md2Model {
    int32_t loaded;          // 1 while a model is held
    char skinPath[256];      // last skin chosen successfully; survives a new model
    int32_t textureLoaded;   // set by every skin upload
    int32_t numGlCommands;   // 32-bit words in glCommands
    int32_t* glCommands;
    int32_t frameSize;       // bytes per frame
    int32_t numFrames;
    unsigned char* frames;   // numFrames * frameSize bytes, frames back to back
};

// Why a file is refused: one reason per rule, each with a fixed text.
enum Md2Refusal : int32_t {
    kMd2Accepted = 0,
    kMd2Unreadable,             // the file cannot be opened or read
    kMd2ShorterThanHeader,
    kMd2NegativeCount,          // a count or the frame size below 0
    kMd2NoFrames,
    kMd2NoVertices,
    kMd2NoGlCommands,
    kMd2TooManyVertices,
    kMd2TooManyFrames,
    kMd2FrameTooSmall,          // cannot hold 40 bytes and 4 per vertex
    kMd2FramesOutsideFile,
    kMd2GlCommandsOutsideFile,
    kMd2CommandOverrunsList,
    kMd2VertexIndexOutsideFrame,
    kMd2ListNotEnded,           // no 0 word within the list's count
    kMd2OutOfMemory,
};

struct Md2Verdict {
    Md2Refusal refusal;
    int64_t offset;  // where in the file the refusal applies
};

const char* Md2RefusalText(Md2Refusal refusal);

// Parses the `length` bytes of an MD2 file into `model`: its GL command list
// and frame block are copied into buffers the model then owns, and `loaded`
// becomes 1. A file is accepted only when everything drawing will read lies
// inside it. On a refusal `model->loaded` is 0 and no buffer is held; the
// model's skin path and texture flag are never touched.
Md2Verdict ParseMD2(const unsigned char* bytes, size_t length, Md2Model* model);

// Reads an MD2 file by ParseMD2's rules and contract, each block straight
// into the model's buffer; a file that cannot be opened or read whole is
// kMd2Unreadable.
Md2Verdict ReadMD2(const char* path, Md2Model* model);

// ReadMD2's answer as the viewer takes it: 1 on success, 0 on failure.
int LoadMD2(const char* path, Md2Model* model);

// Frees the model's buffers and marks it unloaded.
void ReleaseModel(Md2Model* model);

// One triangle strip or fan of the GL command list.
struct Md2Command {
    int32_t isFan;
    int32_t vertexCount;
    const int32_t* vertexWords;  // vertexCount records of s, t, vertex index
};

// A vertex in viewer space (Y up), with its texture coordinates.
struct Md2Vertex {
    float x, y, z, s, t;
};

// Reads the command at word `*cursor` and steps the cursor past it. Returns 0
// at the end of the list: a 0 count word, or a command that would not fit
// inside numGlCommands (which a loaded model never has).
int NextMd2Command(const Md2Model& model, int32_t* cursor, Md2Command* command);

// Start of frame `index`; the caller keeps 0 <= index < numFrames.
const unsigned char* Md2FrameData(const Md2Model& model, int32_t index);

// Decodes vertex `n` of a command against a frame: model (x, y, z) becomes
// viewer (x, z, -y), each coordinate computed in double and rounded once.
Md2Vertex DecodeMd2Vertex(const unsigned char* frame, const Md2Command& command, int32_t n);

// Copies the frame's 16-byte name field and terminates it, so a name that
// fills all 16 bytes stays bounded.
void CopyMd2FrameName(const unsigned char* frame, char name[17]);
