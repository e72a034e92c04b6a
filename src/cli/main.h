#pragma once

// velmorin-cli's commands, run from each system's entry point with the
// arguments as UTF-8: the exit status.

#include <string>
#include <vector>

int RunGuarded(const std::vector<std::string>& args);
