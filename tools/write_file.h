#pragma once

// Writes `bytes` as the whole of the file at `path`; false if any of it failed.

#include <cstdio>
#include <string>

inline bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}
