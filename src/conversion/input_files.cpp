// What input files may name, alike on every system; reading and comparing
// files is each system's own (input_files_posix.cpp, input_files_windows.cpp).
#include "input_files.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

Md2Verdict ReadMd2Input(const std::string& path, Md2Model* model) {
    std::vector<unsigned char> bytes;
    if (!ReadInputFile(path, kLargestMd2File, &bytes).empty()) return Md2Verdict{kMd2Unreadable, 0};  // model untouched
    return ParseMD2(bytes.data(), bytes.size(), model);
}

PcxVerdict ReadPcxInput(const std::string& path, RgbImage* image, unsigned char palette[768]) {
    std::vector<unsigned char> bytes;
    if (!ReadInputFile(path, kLargestPcxFile, &bytes).empty()) return PcxVerdict{kPcxUnreadable, 0};
    const PcxVerdict verdict = ParsePCX(bytes.data(), bytes.size(), image);
    if (verdict.refusal == kPcxAccepted && palette) std::memcpy(palette, bytes.data() + bytes.size() - 768, 768);
    return verdict;
}

std::string RelativeSteps(const std::string& named, bool allowUp, std::vector<std::string>* steps) {
    steps->clear();
    if (named.empty()) return "an empty path";
    if (named.find('\0') != std::string::npos) return "a path with a zero byte";
    if (named[0] == '/') return "an absolute path";
    // Windows' separators, drives and every scheme (file:, http:) are refused
    // alike: a relative path of our own never holds them.
    if (named.find('\\') != std::string::npos) return "a path with a backslash";
    if (named.find(':') != std::string::npos) return "a path with a drive or scheme";
    size_t start = 0;
    while (start <= named.size()) {
        const size_t end = std::min(named.find('/', start), named.size());
        const std::string step = named.substr(start, end - start);
        start = end + 1;
        if (step.empty() || step == ".") continue;
        if (step == "..") {
            if (!allowUp) return "a path with a .. step";
            if (steps->empty()) return "a path that leaves its folder";
            steps->pop_back();
            continue;
        }
        steps->push_back(step);
    }
    if (steps->empty()) return "a path that names no file";
    return "";
}

std::string ResolveInside(const std::string& root, const std::vector<std::string>& steps, std::string* resolved) {
    std::error_code error;
    // UTF-8 names, which Windows' narrow paths would take for its code page.
    const fs::path top = fs::canonical(fs::u8path(root.empty() ? "." : root), error);
    if (error) return "no folder " + root;
    fs::path joined = top;
    for (const std::string& step : steps) joined /= fs::u8path(step);
    const fs::path real = fs::weakly_canonical(joined, error);
    if (error) return error.message();
    // Inside when the folder's parts start the file's.
    const auto mismatch = std::mismatch(top.begin(), top.end(), real.begin(), real.end());
    if (mismatch.first != top.end() || mismatch.second == real.end()) return "a link that leaves its folder";
    *resolved = real.u8string();
    return "";
}

std::string InputAsOutput(const std::vector<std::string>& inputs, const std::vector<std::string>& outputs) {
    for (const std::string& output : outputs)
        for (const std::string& input : inputs)
            if (!input.empty() && SameFile(input, output))
                return "cannot write " + output + ": it is " + (input == output ? "an input" : "the input " + input);
    return "";
}
