#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "../../res/resource.h"
#include "headless/headless.h"
#include "state/viewer_state.h"

using headless::Step;

// Runs the program's own WinMain on the headless backend under a script.
class ShellTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    int Run(std::vector<Step> script);
};

std::string SamplePath(const char* name);  // lantern.md2 or lantern.pcx
Step Command(WORD id);                     // as the menu sends it
Step Key(int virtualKey, unsigned modifiers = 0);
Step Close();                              // the window's close box
std::string Status();                      // the status bar's text
bool Checked(UINT item);
const headless::ShownModal* LastShown();
