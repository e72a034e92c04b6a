#pragma once

// The kinds of picture render writes, by the output's extension in any case.

#include <string>

bool IsGif(const std::string& path);  // an animated GIF is asked for
bool IsPng(const std::string& path);
bool IsTga(const std::string& path);
