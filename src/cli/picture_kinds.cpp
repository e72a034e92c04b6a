#include "picture_kinds.h"

#include <cctype>
#include <filesystem>

namespace {

std::string ExtensionOf(const std::string& path) {
    std::string extension = std::filesystem::u8path(path).extension().u8string();
    for (char& c : extension) c = char(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

}  // namespace

bool IsGif(const std::string& path) { return ExtensionOf(path) == ".gif"; }
bool IsPng(const std::string& path) { return ExtensionOf(path) == ".png"; }
bool IsTga(const std::string& path) { return ExtensionOf(path) == ".tga"; }
