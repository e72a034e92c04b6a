// velmorin-cli's entry point on Windows: the arguments as the wide-character
// API gives them, in UTF-8 as the commands hold names; its output the same
// bytes as on Linux.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "main.h"
#include "windows_paths.h"

int wmain(int argc, wchar_t** argv) {
    SetConsoleOutputCP(CP_UTF8);
    // The same bytes as on Linux: JSON and text with "\n" line ends.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    std::vector<std::string> args;
    for (int i = 1; i < argc; i++) args.push_back(Utf8Path(argv[i]));
    return RunGuarded(args);
}
