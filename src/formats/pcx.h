#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "rgb_image.h"

// Largest image the decoder takes: 4096 x 4096 pixels (48 MiB of RGB), the
// largest texture older GL drivers take and far beyond any MD2 skin. It keeps
// every buffer size well inside 32 bits, and the decoding of a tiny file that
// claims a huge image short.
const int64_t kMaxPcxPixels = int64_t{1} << 24;
// The longest file such an image needs: the header, two bytes a pixel at
// worst, the marker and the palette. Longer files are refused unread.
const uint64_t kLargestPcxFile = 128 + 2 * uint64_t(kMaxPcxPixels) + 769;

// Why a file is refused: one reason per rule, each with a fixed text.
enum PcxRefusal : int32_t {
    kPcxAccepted = 0,
    kPcxUnreadable,           // the file cannot be opened or read
    kPcxTooShort,             // no room for the header, the marker and the palette
    kPcxNotPcx,               // manufacturer byte other than 10
    kPcxNot8BitOnePlane,
    kPcxNoPaletteMarker,      // no 12 just before the last 768 bytes
    kPcxTooLarge,             // above kMaxPcxPixels
    kPcxOutOfMemory,
};

struct PcxVerdict {
    PcxRefusal refusal;
    int64_t offset;  // where in the file the refusal applies
};

const char* PcxRefusalText(PcxRefusal refusal);

// Decodes the `length` bytes of an 8-bit, one-plane PCX file with a
// 256-colour palette into RGB, top row first; `image` is filled only when the
// file is accepted (the caller frees its pixels). Run-length data is read
// from byte 128 to the end of the file: runs carry across scan lines, a run
// byte of 0xC0 gives 256 pixels, scan lines are taken to be `width` bytes
// (padded files decode skewed), and pixels past the end of the data are
// palette entry 255.
PcxVerdict ParsePCX(const unsigned char* bytes, size_t length, RgbImage* image);

// Reads a PCX file whole and decodes it by ParsePCX; a file that cannot be
// opened or read, or is longer than kLargestPcxFile, is kPcxUnreadable.
PcxVerdict ReadPCX(const char* path, RgbImage* image);

// ReadPCX's answer as the viewer takes it: 1 with `image` filled, 0 on failure.
int LoadPCX(const char* path, RgbImage* image);

// An 8-bit, one-plane PCX file of `width` x `height` palette indices, top row
// first, run-length encoded, with its 256-colour palette after them.
std::vector<unsigned char> WritePCX(int32_t width, int32_t height, const unsigned char* indices,
                                   const unsigned char palette[768]);
