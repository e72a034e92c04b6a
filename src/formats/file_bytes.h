#pragma once

#include <cstddef>

// The whole file in one read, into a buffer the caller frees; null when the
// file cannot be opened, measured or read, is longer than `most` bytes, or
// the buffer cannot be had.
unsigned char* ReadFileBytes(const char* path, size_t most, size_t* length);
