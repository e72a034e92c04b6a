// Reading and comparing input files on Windows, through the wide-character
// API so that any name reaches the file system.
#include <windows.h>

#include <algorithm>

#include "input_files.h"
#include "windows_paths.h"

namespace {

// Opened for reading its information and bytes; a folder opens too, so that
// it is named as one.
HANDLE OpenToRead(const std::string& path) {
    return CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

}  // namespace

std::string ReadInputFile(const std::string& path, uint64_t most, std::vector<unsigned char>* bytes) {
    const HANDLE file = OpenToRead(path);
    if (file == INVALID_HANDLE_VALUE) return WindowsErrorText(GetLastError());
    std::string problem;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(file, &info);
    const uint64_t size = uint64_t(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
    if (!known) problem = WindowsErrorText(GetLastError());
    else if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) problem = "it is a folder";
    else if (GetFileType(file) != FILE_TYPE_DISK) problem = "it is not a regular file";  // a pipe, a device
    else if (size > most)
        problem = "it is " + std::to_string(size) + " bytes, more than the " + std::to_string(most) +
                  " such a file can need";
    if (problem.empty()) {
        bytes->resize(size_t(size));
        size_t done = 0;
        while (done < bytes->size()) {
            DWORD got = 0;
            const DWORD ask = DWORD(std::min<size_t>(bytes->size() - done, 1u << 30));
            if (!ReadFile(file, bytes->data() + done, ask, &got, nullptr) || got == 0) {
                problem = got == 0 ? "it ended early" : WindowsErrorText(GetLastError());
                break;
            }
            done += got;
        }
    }
    CloseHandle(file);
    if (!problem.empty()) bytes->clear();
    return problem;
}

// One file under two names: the same volume and file index.
bool SameFile(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION info[2];
    const std::string* names[2] = {&a, &b};
    for (int i = 0; i < 2; i++) {
        const HANDLE file = CreateFileW(WidePath(*names[i]).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        const BOOL known = GetFileInformationByHandle(file, &info[i]);
        CloseHandle(file);
        if (!known) return false;
    }
    return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
           info[0].nFileIndexHigh == info[1].nFileIndexHigh && info[0].nFileIndexLow == info[1].nFileIndexLow;
}
