#pragma once

// Records the immediate-mode calls the program makes (and passes each on to
// GL): this test program defines those GL functions itself, so the program's
// calls reach these first.

#include <GL/gl.h>

#include <string>
#include <vector>

struct GlCall {
    std::string name;  // "begin", "end", "texcoord", "vertex", "clear", "flush"
    GLenum mode = 0;   // begin's primitive, clear's mask
    float values[3] = {0, 0, 0};
};

void StartRecordingGl();
std::vector<GlCall> StopRecordingGl();
