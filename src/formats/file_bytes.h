#pragma once

#include <cstddef>

// The whole file in one read, into a buffer the caller frees; null when the
// file cannot be opened, measured or read, or the buffer cannot be had.
unsigned char* ReadFileBytes(const char* path, size_t* length);
