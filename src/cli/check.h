#pragma once

// The lint: every problem of a model (and its skin), with a severity and
// where it is. Errors are the reasons the viewer refuses the file, found one
// by one; warnings are what it tolerates.

#include <cstdint>
#include <string>
#include <vector>

struct Finding {
    bool error;
    std::string where;  // "offset 36", "frame 3", "command 2", ...
    std::string text;
};

// Reads the model file whole and checks it; `path` also places the skins it names.
std::vector<Finding> CheckModel(const std::string& path);
// The whole file; false when it cannot be read, is not a regular file or is
// longer than `most` bytes.
bool ReadBytes(const std::string& path, uint64_t most, std::vector<unsigned char>* bytes);
// Why a frame (its bytes from its start) cannot be drawn or exported
// faithfully: its scale or translate is infinite or not a number; "" if fine.
std::string NonFiniteFrameText(const unsigned char* frame);
// A parser's refusal as velmorin-cli words it: "refused: offset N: TEXT".
std::string RefusalMessage(int64_t offset, const char* text);
std::vector<Finding> CheckSkin(const std::string& path);
