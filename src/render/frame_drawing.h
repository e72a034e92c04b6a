#pragma once

#include "../formats/md2.h"

// Sends frame `frameIndex` of `model` to GL as its strips and fans, clears
// first and flushes after; posts the frame's name to the status bar.
void DrawFrame(Md2Model model, int32_t frameIndex);
