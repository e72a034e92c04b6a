#pragma once

// What each system's output files (output_files_posix.cpp,
// output_files_windows.cpp) give the part they share (output_files.cpp).

#include <string>

std::string CannotWrite(const std::string& path, const std::string& reason);  // "cannot write PATH: REASON"
// Why moving a staged file onto `path` would fail, checked before any is moved; "" when it would not.
std::string RenameRefusal(const std::string& path);
std::string MoveIntoPlace(const std::string& temporary, const std::string& path);  // "" or CannotWrite's text
void RemoveFile(const std::string& path);
void RemoveFolder(const std::string& folder);
