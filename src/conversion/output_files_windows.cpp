// Output files on Windows: each written into a new folder of its own beside
// its destination (created with the folder's inherited permissions), then
// moved over the destination together once all are whole. Names go through
// the wide-character API.
#include <windows.h>

#include <atomic>
#include <filesystem>

#include "output_files.h"
#include "output_files_system.h"
#include "windows_paths.h"

namespace {

namespace fs = std::filesystem;

std::string FolderOf(const std::string& path) {
    const fs::path folder = fs::u8path(path).parent_path();
    return folder.empty() ? "." : folder.u8string();
}

// A new folder beside `path` and an empty temporary file of the same name
// in it, open for writing; INVALID_HANDLE_VALUE with the last error set.
HANDLE CreateTemporary(StagedOutputs* staged, const std::string& path) {
    static std::atomic<unsigned> made{0};
    const std::string name = fs::u8path(path).filename().u8string();
    for (int attempt = 0; attempt < 100; attempt++) {
        const std::string folder = (fs::u8path(FolderOf(path)) /
                                    fs::u8path("." + name + "." + std::to_string(GetCurrentProcessId()) + "-" +
                                               std::to_string(made++)))
                                       .u8string();
        if (!CreateDirectoryW(WidePath(folder).c_str(), nullptr)) {
            if (GetLastError() == ERROR_ALREADY_EXISTS) continue;
            return INVALID_HANDLE_VALUE;
        }
        staged->folders.push_back(folder);
        const std::string temporary = (fs::u8path(folder) / fs::u8path(name)).u8string();
        const HANDLE file = CreateFileW(WidePath(temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return file;
        staged->temporaries.push_back(temporary);
        staged->finals.push_back(path);
        return file;
    }
    SetLastError(ERROR_ALREADY_EXISTS);
    return INVALID_HANDLE_VALUE;
}

// Writes `size` bytes and closes the file: 0, or the error of the failure.
DWORD WriteAll(HANDLE file, const void* bytes, size_t size) {
    const unsigned char* at = static_cast<const unsigned char*>(bytes);
    DWORD error = 0;
    for (size_t done = 0; done < size && !error;) {
        DWORD wrote = 0;
        const DWORD ask = DWORD(std::min<size_t>(size - done, 1u << 30));
        if (!WriteFile(file, at + done, ask, &wrote, nullptr) || wrote == 0) error = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
        done += wrote;
    }
    if (!CloseHandle(file) && !error) error = GetLastError();
    return error;
}

std::string Failed(StagedOutputs* staged, const std::string& path, DWORD error) {
    DiscardOutputs(staged);
    return CannotWrite(path, error ? WindowsErrorText(error) : "the file could not be written");
}

}  // namespace

std::string OutputRefusal(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) return CannotWrite(path, "it is a folder");
        if (attributes & FILE_ATTRIBUTE_DEVICE) return CannotWrite(path, "it is not a regular file");
        return "";
    }
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return CannotWrite(path, WindowsErrorText(error));
    const fs::path folder = fs::u8path(path).parent_path();
    std::error_code ignored;
    if (!folder.empty() && !fs::is_directory(folder, ignored)) return CannotWrite(path, "no folder " + folder.u8string());
    return "";
}

std::string StageOutput(StagedOutputs* staged, const std::string& path,
                        const std::function<bool(const std::string& temporary)>& write) {
    const HANDLE file = CreateTemporary(staged, path);
    if (file == INVALID_HANDLE_VALUE) return Failed(staged, path, GetLastError());
    CloseHandle(file);
    SetLastError(0);
    if (write(staged->temporaries.back())) return "";
    return Failed(staged, path, GetLastError());
}

FILE* OpenStagedStream(const std::string& temporary) { return _wfopen(WidePath(temporary).c_str(), L"wb"); }

std::string StageBytes(StagedOutputs* staged, const std::string& path, const void* bytes, size_t size) {
    const HANDLE file = CreateTemporary(staged, path);
    if (file == INVALID_HANDLE_VALUE) return Failed(staged, path, GetLastError());
    const DWORD error = WriteAll(file, bytes, size);
    return error ? Failed(staged, path, error) : "";
}

// Explorer's thumbnails come through a COM handler, not a file: an empty or
// missing file is written where it is, a file with content replaced whole.
std::string WriteInPlace(const std::string& path, const void* bytes, size_t size) {
    const std::string refusal = OutputRefusal(path);
    if (!refusal.empty()) return refusal;
    WIN32_FILE_ATTRIBUTE_DATA info;
    const bool existed = GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &info);
    if (existed && (info.nFileSizeHigh || info.nFileSizeLow)) {
        StagedOutputs staged;
        const std::string problem = StageBytes(&staged, path, bytes, size);
        return problem.empty() ? CommitOutputs(&staged) : problem;
    }
    const HANDLE file = CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return CannotWrite(path, WindowsErrorText(GetLastError()));
    const DWORD error = WriteAll(file, bytes, size);
    if (!error) return "";
    if (!existed) DeleteFileW(WidePath(path).c_str());
    return CannotWrite(path, WindowsErrorText(error));
}

// Why moving onto `path` would fail, checked before anything is moved: a
// read-only file is not replaced.
std::string RenameRefusal(const std::string& path) {
    const std::string refusal = OutputRefusal(path);
    if (!refusal.empty()) return refusal;
    const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return CannotWrite(path, "it is read-only");
    return "";
}

std::string MoveIntoPlace(const std::string& temporary, const std::string& path) {
    return MoveFileExW(WidePath(temporary).c_str(), WidePath(path).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? ""
               : CannotWrite(path, WindowsErrorText(GetLastError()));
}

void RemoveFile(const std::string& path) { DeleteFileW(WidePath(path).c_str()); }
void RemoveFolder(const std::string& folder) { RemoveDirectoryW(WidePath(folder).c_str()); }
