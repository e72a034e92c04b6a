#pragma once

// Windows only: the UTF-8 paths the commands hold, as the wide-character
// file API takes them, and its errors in words.

#include <string>

std::wstring WidePath(const std::string& utf8);
std::string Utf8Path(const std::wstring& wide);
std::string WindowsErrorText(unsigned long error);  // FormatMessage's text, without its full stop
