#include "input_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

std::string ReadInputFile(const std::string& path, uint64_t most, std::vector<unsigned char>* bytes) {
    const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) return std::strerror(errno);
    std::string problem;
    struct stat info;
    if (fstat(descriptor, &info) != 0) problem = std::strerror(errno);
    else if (S_ISDIR(info.st_mode)) problem = "it is a folder";
    else if (!S_ISREG(info.st_mode)) problem = "it is not a regular file";
    else if (uint64_t(info.st_size) > most)
        problem = "it is " + std::to_string(info.st_size) + " bytes, more than the " + std::to_string(most) +
                  " such a file can need";
    if (problem.empty()) {
        bytes->resize(size_t(info.st_size));
        size_t done = 0;
        while (done < bytes->size()) {
            const ssize_t got = read(descriptor, bytes->data() + done, bytes->size() - done);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) {
                problem = got < 0 ? std::strerror(errno) : "it ended early";
                break;
            }
            done += size_t(got);
        }
    }
    close(descriptor);
    if (!problem.empty()) bytes->clear();
    return problem;
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
    const fs::path top = fs::canonical(root.empty() ? "." : root, error);
    if (error) return "no folder " + root;
    fs::path joined = top;
    for (const std::string& step : steps) joined /= step;
    const fs::path real = fs::weakly_canonical(joined, error);
    if (error) return error.message();
    // Inside when the folder's parts start the file's.
    const auto mismatch = std::mismatch(top.begin(), top.end(), real.begin(), real.end());
    if (mismatch.first != top.end() || mismatch.second == real.end()) return "a link that leaves its folder";
    *resolved = real.string();
    return "";
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first, second;
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

std::string InputAsOutput(const std::vector<std::string>& inputs, const std::vector<std::string>& outputs) {
    for (const std::string& output : outputs)
        for (const std::string& input : inputs)
            if (!input.empty() && SameFile(input, output))
                return "cannot write " + output + ": it is " + (input == output ? "an input" : "the input " + input);
    return "";
}
