#pragma once

#include <cstdint>
#include <cstdio>

#include "rgb_image.h"

// Both writers take an image whose first row is the bottom of the picture and
// return 1 when the whole file was written, 0 otherwise (nothing is left
// behind then). They refuse an image whose size their header cannot hold.
int WriteBMP(const char* path, RgbImage image);
int WriteTGA(const char* path, RgbImage image);
// The same files written to an open stream, which the caller closes: 1 when
// the stream took every byte.
int WriteBMPTo(FILE* stream, RgbImage image);
int WriteTGATo(FILE* stream, RgbImage image);

// Little-endian fields.
void WriteWord(uint32_t value, FILE* stream);
void WriteDword(uint32_t value, FILE* stream);
