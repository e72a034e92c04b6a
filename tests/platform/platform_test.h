#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "headless/headless.h"

// Each test starts on an empty layer, and leaves nothing behind.
class Platform : public ::testing::Test {
protected:
    void SetUp() override { headless::Reset(); }
    void TearDown() override { headless::Reset(); }
};

// A window whose procedure records every message it is given.
struct Recorded {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
extern std::vector<Recorded> recorded;
HWND CreateRecordedWindow(const char* title, int width = 300, int height = 200);
std::vector<UINT> RecordedMessages(UINT only = 0);  // 0: all
