#pragma once

// velmorin-cli thumbnail: a model's first frame as a square PNG for file
// managers (the freedesktop thumbnailer convention): a transparent
// background, a camera fitted to the model's bounds from a three-quarter
// view, the skin on when one is found, else a neutral grey lit so that the
// shape reads; and a PCX skin's, scaled to fit. Drawn on the CPU: no display
// and no GL are needed.

#include <string>
#include <vector>

const int kLargestThumbnail = 4096;

// A thumbnail's pixels, top row first: RGBA for a model, RGB for a PCX.
struct ThumbnailPicture {
    int width = 0, height = 0;
    bool alpha = false;
    std::vector<unsigned char> pixels;
};

// The thumbnail of a model's or an 8-bit PCX's bytes (a PCX by its first
// byte): "" with `picture` filled, else why not. A model's skin is looked
// for from `modelPath` as MakeThumbnail does; with no path (bytes from a
// stream) the model is grey. `skinPath` gets the skin used, if any.
std::string ThumbnailPixels(const std::vector<unsigned char>& bytes, const std::string& modelPath, int size,
                            ThumbnailPicture* picture, std::string* skinPath);

// A model's thumbnail, or an 8-bit PCX's (by its first byte): returns ""
// when OUT is written, else why not (then nothing is written). OUT is
// written in place, as file managers expect (see WriteInPlace).
std::string MakeThumbnail(const std::string& input, const std::string& output, int size);
