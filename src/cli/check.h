#pragma once

// The lint: every problem of a model (and its skin), with a severity and
// where it is. Errors are the reasons the viewer refuses the file, found one
// by one; warnings are what it tolerates.

#include <cstdint>
#include <string>
#include <vector>

#include "refusals.h"

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
std::vector<Finding> CheckSkin(const std::string& path);
