#pragma once

// velmorin-cli thumbnail: a model's first frame as a square PNG for file
// managers (the freedesktop thumbnailer convention): a transparent
// background, a camera fitted to the model's bounds from a three-quarter
// view, the skin on when one is found, else a neutral grey lit so that the
// shape reads; and a PCX skin's, scaled to fit. Drawn on the CPU: no display
// and no GL are needed.

#include <string>

const int kLargestThumbnail = 4096;

// A model's thumbnail, or an 8-bit PCX's (by its first byte): returns ""
// when OUT is written, else why not (then nothing is written). OUT is
// written in place, as file managers expect (see WriteInPlace).
std::string MakeThumbnail(const std::string& input, const std::string& output, int size);
