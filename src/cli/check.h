#pragma once

// The lint: every problem of a model (and its skin), with a severity and
// where it is. Errors are the reasons the viewer refuses the file, found one
// by one; warnings are what it tolerates.

#include <string>
#include <vector>

#include "md2_file.h"

struct Finding {
    bool error;
    std::string where;  // "offset 36", "frame 3", "command 2", ...
    std::string text;
};

std::vector<Finding> CheckModel(const Md2File& file);
// A parser's refusal as velmorin-cli words it: "refused: offset N: TEXT".
std::string RefusalMessage(int64_t offset, const char* text);
std::vector<Finding> CheckSkin(const std::string& path);
