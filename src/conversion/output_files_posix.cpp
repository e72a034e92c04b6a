// Output files on POSIX systems: a private folder (0700) beside each output,
// writes through the descriptor that made the file, modes kept.
#include "output_files.h"
#include "output_files_system.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

// A replaced file's permission bits; else what fopen would give a new file:
// 0666 less the process's umask.
mode_t ModeFor(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return info.st_mode & 0777;
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

std::string FolderOf(const std::string& path) {
    const fs::path folder = fs::path(path).parent_path();
    return folder.empty() ? "." : folder.string();
}

// A private folder beside `path` and the temporary file's name in it,
// created empty with `mode`; the open descriptor, or -1 with errno set.
int CreateTemporary(StagedOutputs* staged, const std::string& path, mode_t mode) {
    const fs::path final(path);
    std::string folder = (fs::path(FolderOf(path)) / ("." + final.filename().string() + ".XXXXXX")).string();
    if (!mkdtemp(folder.data())) return -1;
    staged->folders.push_back(folder);
    const std::string temporary = (fs::path(folder) / final.filename()).string();
    const int descriptor = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (descriptor < 0) return -1;
    staged->temporaries.push_back(temporary);
    staged->finals.push_back(path);
    if (fchmod(descriptor, mode) != 0) {
        const int reason = errno;
        close(descriptor);
        errno = reason;
        return -1;
    }
    return descriptor;
}

// Writes `size` bytes and closes the descriptor: 0, or the errno of the failure.
int WriteAll(int descriptor, const void* bytes, size_t size) {
    const unsigned char* at = static_cast<const unsigned char*>(bytes);
    for (size_t done = 0; done < size;) {
        const ssize_t wrote = ::write(descriptor, at + done, size - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) {
            const int reason = wrote < 0 ? errno : EIO;
            close(descriptor);
            return reason;
        }
        done += size_t(wrote);
    }
    return close(descriptor) == 0 ? 0 : errno;
}

std::string Failed(StagedOutputs* staged, const std::string& path, int reason) {
    DiscardOutputs(staged);
    return CannotWrite(path, reason ? std::strerror(reason) : "the file could not be written");
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
    const int descriptor = CreateTemporary(staged, path, ModeFor(path));
    if (descriptor < 0) return Failed(staged, path, errno);
    close(descriptor);
    errno = 0;
    // No one else can enter the private folder, so the name still means the file made.
    if (write(staged->temporaries.back())) return "";
    return Failed(staged, path, errno);
}

FILE* OpenStagedStream(const std::string& temporary) { return std::fopen(temporary.c_str(), "wb"); }

std::string StageBytes(StagedOutputs* staged, const std::string& path, const void* bytes, size_t size) {
    const int descriptor = CreateTemporary(staged, path, ModeFor(path));
    if (descriptor < 0) return Failed(staged, path, errno);
    const int reason = WriteAll(descriptor, bytes, size);
    if (reason) return Failed(staged, path, reason);
    return "";
}

std::string WriteInPlace(const std::string& path, const void* bytes, size_t size) {
    const std::string refusal = OutputRefusal(path);
    if (!refusal.empty()) return refusal;
    struct stat info;
    const bool existed = lstat(path.c_str(), &info) == 0;
    if (existed && S_ISREG(info.st_mode) && info.st_size > 0) {
        StagedOutputs staged;
        const std::string problem = StageBytes(&staged, path, bytes, size);
        return problem.empty() ? CommitOutputs(&staged) : problem;
    }
    const int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (descriptor < 0) return CannotWrite(path, std::strerror(errno));
    const int reason = WriteAll(descriptor, bytes, size);
    if (!reason) return "";
    if (!existed) unlink(path.c_str());
    return CannotWrite(path, std::strerror(reason));
}

// Why renaming onto `path` would fail, checked before any file is renamed:
// its folder must take new names, and in a sticky folder (/tmp) a file of
// another user's cannot be replaced.
std::string RenameRefusal(const std::string& path) {
    const std::string refusal = OutputRefusal(path);
    if (!refusal.empty()) return refusal;
    const std::string folder = FolderOf(path);
    if (access(folder.c_str(), W_OK | X_OK) != 0) return CannotWrite(path, "its folder is not writable");
    struct stat folderInfo, fileInfo;
    const uid_t me = geteuid();
    if (stat(folder.c_str(), &folderInfo) == 0 && (folderInfo.st_mode & S_ISVTX) && me != 0 &&
        folderInfo.st_uid != me && stat(path.c_str(), &fileInfo) == 0 && fileInfo.st_uid != me)
        return CannotWrite(path, "it belongs to another user in a sticky folder");
    return "";
}

std::string MoveIntoPlace(const std::string& temporary, const std::string& path) {
    return std::rename(temporary.c_str(), path.c_str()) == 0 ? "" : CannotWrite(path, std::strerror(errno));
}

void RemoveFile(const std::string& path) { std::remove(path.c_str()); }
void RemoveFolder(const std::string& folder) { rmdir(folder.c_str()); }
