#pragma once

// velmorin-cli thumbnail: a model's first frame as a square PNG for file
// managers (the freedesktop thumbnailer convention): a transparent
// background, a camera fitted to the model's bounds from a three-quarter
// view, the skin on when one is found, else a neutral grey lit so that the
// shape reads. Drawn on the CPU: no display and no GL are needed.

#include <string>

const int kLargestThumbnail = 4096;

// Returns "" when OUT is written, else why not (then nothing is written).
std::string MakeThumbnail(const std::string& model, const std::string& output, int size);

// The skin a thumbnail puts on: the header's first skin path (relative, with
// no .. step) from the game folder its own folders lead down from
// (models/x/skin.pcx from baseq2/models/x/tris.md2: baseq2), then inside the
// model's folder, then its file name beside the model; else the only .pcx
// beside the model. Never a file outside that tree, even through a link.
// "" when none is found.
std::string FindSkin(const std::string& model, const std::string& headerSkinPath);
