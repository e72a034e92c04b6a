#pragma once

#include <cstdint>
#include <vector>

// Little-endian fields assembled byte by byte: independent of host order and
// of the alignment of the bytes.
inline uint16_t ReadLe16(const unsigned char* bytes) {
    return uint16_t(bytes[0] | bytes[1] << 8);
}

inline int32_t ReadLe32(const unsigned char* bytes) {
    return int32_t(uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
                   uint32_t(bytes[3]) << 24);
}

inline void WriteLe16(unsigned char* bytes, uint16_t value) {
    bytes[0] = uint8_t(value);
    bytes[1] = uint8_t(value >> 8);
}

inline void WriteLe32(unsigned char* bytes, uint32_t value) {
    WriteLe16(bytes, uint16_t(value));
    WriteLe16(bytes + 2, uint16_t(value >> 16));
}

// Appended to a file being built in memory.
inline void AppendLe16(std::vector<unsigned char>* out, uint16_t value) {
    out->resize(out->size() + 2);
    WriteLe16(&(*out)[out->size() - 2], value);
}

inline void AppendLe32(std::vector<unsigned char>* out, uint32_t value) {
    out->resize(out->size() + 4);
    WriteLe32(&(*out)[out->size() - 4], value);
}
