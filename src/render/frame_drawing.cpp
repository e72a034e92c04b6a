#include "frame_drawing.h"

#include <windows.h>

#include <GL/gl.h>

#include <algorithm>

#include "../state/viewer_state.h"

namespace {

// Vertices of one command between decoding and emission; no allocation per frame.
const int32_t kScratchSize = 64;
typedef Md2Vertex VertexScratch[kScratchSize];

}  // namespace

void DrawFrame(Md2Model model, int32_t frameIndex) {
    if (frameIndex < 0 || frameIndex >= model.numFrames) return;
    const unsigned char* frame = Md2FrameData(model, frameIndex);
    CopyMd2FrameName(frame, viewer.currentFrameName);
    SetStatusText(viewer.currentFrameName, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    VertexScratch scratch;
    int32_t cursor = 0;
    Md2Command command;
    while (NextMd2Command(model, &cursor, &command)) {
        // A command longer than the scratch goes through it in pieces, all
        // inside one begin/end, so it stays the strip or fan it describes.
        for (int32_t first = 0; first < command.vertexCount; first += kScratchSize) {
            const int32_t count = std::min(kScratchSize, command.vertexCount - first);
            for (int32_t k = 0; k < count; k++) scratch[k] = DecodeMd2Vertex(frame, command, first + k);
            if (first == 0) glBegin(command.isFan ? GL_TRIANGLE_FAN : GL_TRIANGLE_STRIP);
            for (int32_t k = 0; k < count; k++) {
                glTexCoord2f(scratch[k].s, scratch[k].t);
                glVertex3f(scratch[k].x, scratch[k].y, scratch[k].z);
            }
        }
        glEnd();
    }
    glFlush();
}
