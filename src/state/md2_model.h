#pragma once

#include <cstdint>

// The one loaded model, embedded in the viewer's state. The two buffers are
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
