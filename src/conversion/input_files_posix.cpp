// Reading and comparing input files on POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "input_files.h"

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

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first, second;
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}
