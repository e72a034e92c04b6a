// A whole program, written only against the Windows headers, run by its
// WinMain under a script: menus, toolbar, status bar, timer, dialogs, GL.
#include <commctrl.h>

#include "fixtures/sample_resource.h"
#include "platform_test.h"
#include "sample_app.h"

using headless::Step;

namespace {

Step Close() {
    return [] { PostMessageA(sample.window, WM_CLOSE, 0, 0); };
}

}  // namespace

TEST_F(Platform, SampleProgramRunsUnderAScript) {
    headless::Picture first, red, resized;
    RECT client = {};
    headless::AnswerDialog({headless::SetItemText(IDC_LEVEL, "2.5"), headless::PressButton(IDOK)}, 350);
    const int exitCode = headless::RunWinMain({
        [&] {
            first = headless::ShownPicture(sample.window);
            GetClientRect(sample.window, &client);
            headless::ClickToolbarButton(sample.toolbar, 0);  // red
        },
        [&] { red = headless::ShownPicture(sample.window); },
        [] { headless::PressKey('P'); },  // timer on
        [] { headless::RunFor(250); },
        [] { SendMessageA(sample.window, WM_COMMAND, IDM_LEVEL, 0); },
        [] { headless::ResizeWindow(sample.window, 300, 200); },
        [&] { resized = headless::ShownPicture(sample.window); },
        Close(),
    });
    EXPECT_EQ(exitCode, 7);
    EXPECT_TRUE(headless::Problems().empty()) << headless::Problems().front();

    EXPECT_FALSE(sample.windowKnownDuringCreate);
    ASSERT_GE(sample.events.size(), 3u);
    EXPECT_EQ(sample.events[0], "create");
    EXPECT_EQ(sample.events[1], "size 384x241");  // 400 x 300 less borders, caption and menu bar

    // The picture covers the client area, bars included, in the clear colour.
    EXPECT_EQ(first.width, client.right);
    EXPECT_EQ(first.height, client.bottom);
    EXPECT_EQ(first.Pixel(0, 0), RGB(0, 0, 255));
    EXPECT_EQ(red.Pixel(first.width - 1, first.height - 1), RGB(255, 0, 0));
    EXPECT_TRUE(headless::MenuItemChecked(sample.menu, IDM_RED));
    EXPECT_FALSE(headless::MenuItemChecked(sample.menu, IDM_BLUE));

    // Two ticks before the dialog, four more (300 to 600 ms) while it stayed open, ...
    EXPECT_EQ(sample.level, "2.5");
    EXPECT_EQ(sample.ticks, 6);
    const std::vector<std::string> texts = headless::StatusTexts();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[0], "Ready");
    EXPECT_EQ(texts[1], "tick 1");
    // ... and the surface followed the resize.
    EXPECT_EQ(resized.width, 284);
    EXPECT_EQ(resized.height, 141);
    EXPECT_EQ(resized.Pixel(283, 140), RGB(255, 0, 0));
}

TEST_F(Platform, AScriptThatRunsOutIsAProblem) {
    EXPECT_EQ(headless::RunWinMain({}), -1);
    ASSERT_EQ(headless::Problems().size(), 1u);
    EXPECT_EQ(headless::Problems()[0], "the script ran out while the program waited");
}

// Where the menu bar has no room its items wrap onto rows, as on Windows, and
// the client area loses those rows; "&Help" stays at the right of its row.
TEST_F(Platform, ANarrowWindowsMenuBarWrapsOntoRowsTakenFromTheClientArea) {
    RECT narrow = {}, wide = {}, narrowBar = {}, wideBar = {};  // the toolbar lies at the client's top
    const int exitCode = headless::RunWinMain({
        [&] {
            MoveWindow(sample.window, 10, 20, 100, 300, TRUE);
            GetClientRect(sample.window, &narrow);
            GetWindowRect(sample.toolbar, &narrowBar);
        },
        [&] {
            MoveWindow(sample.window, 10, 20, 300, 300, TRUE);
            GetClientRect(sample.window, &wide);
            GetWindowRect(sample.toolbar, &wideBar);
        },
        Close(),
    });
    EXPECT_EQ(exitCode, 7);
    // 300 high: 8-pixel borders, a 23-pixel caption, and 20 pixels a menu row.
    // 84 pixels across hold "File" (42), then "Colour" (56) and "Help" (42)
    // a row each.
    EXPECT_EQ(narrow.right, 84);
    EXPECT_EQ(narrow.bottom, 300 - 8 - 23 - 8 - 3 * 20);
    EXPECT_EQ(narrowBar.top, 20 + 8 + 23 + 3 * 20);
    EXPECT_EQ(wide.bottom, 300 - 8 - 23 - 8 - 20);
    EXPECT_EQ(wideBar.top, 20 + 8 + 23 + 20);
}
