#include "file_bytes.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

unsigned char* ReadFileBytes(const char* path, size_t most, size_t* length) {
    FILE* file = std::fopen(path, "rb");
    if (!file) return nullptr;
    unsigned char* bytes = nullptr;
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
    if (size >= 0 && uint64_t(size) <= most && std::fseek(file, 0, SEEK_SET) == 0) {
        // One byte more than asked for, so that an empty file is no special case.
        bytes = static_cast<unsigned char*>(std::malloc(size_t(size) + 1));
        if (bytes && std::fread(bytes, 1, size_t(size), file) != size_t(size)) {
            std::free(bytes);
            bytes = nullptr;
        }
    }
    std::fclose(file);
    if (bytes) *length = size_t(size);
    return bytes;
}
