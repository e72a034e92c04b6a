// velmorin-cli's entry point on POSIX systems.
#include <csignal>

#include "main.h"

int main(int argc, char** argv) {
    // A file-size limit fails the write (EFBIG) instead of killing the
    // process, so that the temporary files are cleaned up and the reason said.
    std::signal(SIGXFSZ, SIG_IGN);
    return RunGuarded(std::vector<std::string>(argv + 1, argv + argc));
}
