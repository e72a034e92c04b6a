// Start-up, the window, and shutting down.
#include "shell_test.h"

TEST_F(ShellTest, StartsWithWelcomeMipmapsCheckedAndOnlyTheClearColour) {
    RECT frame = {};
    headless::Picture shown;
    EXPECT_EQ(Run({[&] {
                       EXPECT_EQ(Status(), "Welcome!");
                       EXPECT_TRUE(Checked(IDM_MIPMAP));
                       EXPECT_FALSE(Checked(IDM_WIREFRAME));
                       EXPECT_FALSE(Checked(IDM_TEXTURED_NEAREST));
                       EXPECT_FALSE(Checked(IDM_TEXTURED_LINEAR));
                       GetWindowRect(viewer.hWnd, &frame);
                       shown = headless::ShownPicture(viewer.hWnd);
                   },
                   Key('Q', headless::kAlt)}),
              1);
    // Centred on the 1280 x 1024 screen, 400 x 500.
    EXPECT_EQ(frame.left, 440);
    EXPECT_EQ(frame.top, 262);
    EXPECT_EQ(frame.right - frame.left, 400);
    EXPECT_EQ(frame.bottom - frame.top, 500);
    ASSERT_GT(shown.width, 0);
    for (size_t i = 0; i < shown.rgb.size(); i++) ASSERT_EQ(shown.rgb[i], 0) << i;
    EXPECT_EQ(viewer.gamma, 0.7f);
    EXPECT_EQ(viewer.timerId, 1);
}

TEST_F(ShellTest, ClosingDuringPlaybackEndsWithoutFurtherDrawing) {
    int swapsAtClose = 0;
    headless::AnswerFile(SamplePath("lantern.md2"));
    EXPECT_EQ(Run({Command(IDM_OPEN_MODEL), Command(IDM_PLAY), [] { headless::RunFor(350); },
                   [&] {
                       EXPECT_EQ(viewer.currentFrame, 3);
                       swapsAtClose = headless::SwapCount();
                       PostMessageA(viewer.hWnd, WM_CLOSE, 0, 0);
                       headless::RunFor(1000);  // ticks would come now, if any timer were left
                   }}),
              1);
    EXPECT_EQ(headless::SwapCount(), swapsAtClose);
    EXPECT_EQ(viewer.currentFrame, 3);
}
