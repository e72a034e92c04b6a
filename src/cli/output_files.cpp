#include "output_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

std::string CannotWrite(const std::string& path, const std::string& reason) {
    return "cannot write " + path + ": " + reason;
}

// What fopen would give a new file: 0666 less the process's umask.
mode_t NewFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

}  // namespace

std::string OutputRefusal(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) return CannotWrite(path, "it is a folder");
        if (!S_ISREG(info.st_mode)) return CannotWrite(path, "it is not a regular file");
        return "";
    }
    if (errno != ENOENT) return CannotWrite(path, std::strerror(errno));
    const fs::path folder = fs::path(path).parent_path();
    std::error_code error;
    if (!folder.empty() && !fs::is_directory(folder, error)) return CannotWrite(path, "no folder " + folder.string());
    return "";
}

std::string StageOutput(StagedOutputs* staged, const std::string& path,
                        const std::function<bool(const std::string& temporary)>& write) {
    // ".NAME.XXXXXX.EXT" beside the final file: hidden, and of the same type.
    const fs::path final(path);
    const std::string extension = final.extension().string();
    std::string name = (final.parent_path() / ("." + final.stem().string() + ".XXXXXX" + extension)).string();
    const int descriptor = mkstemps(name.data(), int(extension.size()));
    if (descriptor < 0) return CannotWrite(path, std::strerror(errno));
    const bool moded = fchmod(descriptor, NewFileMode()) == 0;
    close(descriptor);
    staged->temporaries.push_back(name);
    staged->finals.push_back(path);
    errno = 0;
    if (moded && write(name)) return "";
    const int reason = errno;
    DiscardOutputs(staged);
    return CannotWrite(path, reason ? std::strerror(reason) : "the file could not be written");
}

std::string StageBytes(StagedOutputs* staged, const std::string& path, const void* bytes, size_t size) {
    return StageOutput(staged, path, [bytes, size](const std::string& temporary) {
        FILE* file = std::fopen(temporary.c_str(), "wb");
        if (!file) return false;
        const bool written = std::fwrite(bytes, 1, size, file) == size && std::fflush(file) == 0;
        const int reason = errno;
        const bool closed = std::fclose(file) == 0;
        if (!written) errno = reason;
        return written && closed;
    });
}

std::string CommitOutputs(StagedOutputs* staged) {
    // Every final name is checked again first, so that none is replaced
    // when another would then fail.
    for (const std::string& path : staged->finals) {
        const std::string refusal = OutputRefusal(path);
        if (!refusal.empty()) {
            DiscardOutputs(staged);
            return refusal;
        }
    }
    std::string problem;
    for (size_t i = 0; i < staged->finals.size() && problem.empty(); i++)
        if (std::rename(staged->temporaries[i].c_str(), staged->finals[i].c_str()) != 0)
            problem = CannotWrite(staged->finals[i], std::strerror(errno));
        else
            staged->temporaries[i].clear();
    DiscardOutputs(staged);
    return problem;
}

void DiscardOutputs(StagedOutputs* staged) {
    for (const std::string& temporary : staged->temporaries)
        if (!temporary.empty()) std::remove(temporary.c_str());
    staged->temporaries.clear();
    staged->finals.clear();
}
