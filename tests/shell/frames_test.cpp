// Frame stepping and playback.
#include "shell_test.h"

TEST_F(ShellTest, SteppingStopsAtTheEnds) {
    headless::AnswerFile(SamplePath("lantern.md2"));
    Run({Command(IDM_PREV_FRAME), [] { EXPECT_EQ(viewer.currentFrame, 0); },  // no model: nothing
         Command(IDM_OPEN_MODEL), Command(IDM_PREV_FRAME), [] { EXPECT_EQ(viewer.currentFrame, 0); },
         Command(IDM_LAST_FRAME),
         [] {
             EXPECT_EQ(viewer.currentFrame, 11);
             EXPECT_EQ(Status(), "breathe04");
         },
         Command(IDM_NEXT_FRAME), [] { EXPECT_EQ(viewer.currentFrame, 11); }, Command(IDM_FIRST_FRAME),
         Command(IDM_NEXT_FRAME), [] { EXPECT_EQ(Status(), "spin02"); }, Close()});
}

TEST_F(ShellTest, PlaybackWrapsAfterTheLastFrameAndStops) {
    headless::AnswerFile(SamplePath("lantern.md2"));
    Run({Command(IDM_PLAY),
         [] {
             EXPECT_EQ(viewer.playing, 1);  // no model: no timer
             headless::RunFor(500);
         },
         [] { EXPECT_EQ(viewer.currentFrame, 0); }, Command(IDM_OPEN_MODEL), Command(IDM_PLAY),
         Command(IDM_LAST_FRAME), [] { headless::RunFor(100); },
         [] {
             EXPECT_EQ(viewer.currentFrame, 0);  // wrapped
             EXPECT_EQ(Status(), "spin01");
         },
         [] { headless::RunFor(300); }, [] { EXPECT_EQ(viewer.currentFrame, 3); }, Key('S'),
         [] { headless::RunFor(1000); },
         [] {
             EXPECT_EQ(viewer.currentFrame, 3);
             EXPECT_EQ(viewer.playing, 0);
         },
         Close()});
}

TEST_F(ShellTest, TheScreenshotRestartsTheTimerOnlyWhilePlaying) {
    headless::AnswerOk();  // no model yet: the refusal
    headless::AnswerFile(SamplePath("lantern.md2"));
    headless::AnswerCancel();  // the save dialog, while stopped
    Run({Command(IDM_PLAY), Command(IDM_SCREENSHOT),
         [] {
             EXPECT_EQ(LastShown()->text, "A black screen is no fun to look at.  Load a model first.");
         },
         Command(IDM_OPEN_MODEL), [] { headless::RunFor(200); },
         [] {
             EXPECT_EQ(viewer.currentFrame, 2);  // the screenshot command started the timer
         },
         Command(IDM_STOP), Command(IDM_SCREENSHOT), [] { headless::RunFor(500); },
         [] { EXPECT_EQ(viewer.currentFrame, 2); }, Close()});
}
