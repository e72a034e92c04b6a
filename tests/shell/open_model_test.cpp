// The open-model command: success, cancel, failure, and playback across it.
#include "../fixtures/temp_files.h"
#include "shell_test.h"

namespace {

std::string BadModel() { return WriteTempFile("bad.md2", Bytes(40, 7)); }

}  // namespace

TEST_F(ShellTest, OpeningAModelShowsFrameZeroInWireFrame) {
    headless::AnswerFile(SamplePath("lantern.md2"));
    headless::Picture before, after;
    Run({[&] {
             before = headless::ShownPicture(viewer.hWnd);
             headless::PressKey('O', headless::kAlt);
         },
         [&] {
             EXPECT_EQ(viewer.model.loaded, 1);
             EXPECT_EQ(viewer.currentFrame, 0);
             EXPECT_TRUE(Checked(IDM_WIREFRAME));
             EXPECT_EQ(Status(), "spin01");  // drawn by the paint that followed the dialog
             after = headless::ShownPicture(viewer.hWnd);
         },
         Close()});
    EXPECT_NE(before.rgb, after.rgb);
    const headless::ShownModal* dialog = LastShown();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->kind, headless::Shown::OpenFile);
    EXPECT_EQ(dialog->title, "Open MD2");
    EXPECT_EQ(dialog->filters, (std::vector<std::pair<std::string, std::string>>{
                                   {"Quake 2 MD2 file (*.md2)", "*.md2"}}));
    EXPECT_EQ(dialog->filterIndex, 1u);
    EXPECT_EQ(dialog->flags, 0x1804u);
    EXPECT_EQ(dialog->initialFile, "");
    EXPECT_EQ(dialog->owner, viewer.hWnd);
}

TEST_F(ShellTest, CancellingKeepsALoadedModelAndResetsTheFrame) {
    headless::AnswerCancel();  // no model yet: stays without one
    headless::AnswerFile(SamplePath("lantern.md2"));
    headless::AnswerCancel();
    Run({Command(IDM_OPEN_MODEL), [] { EXPECT_EQ(viewer.model.loaded, 0); }, Command(IDM_OPEN_MODEL),
         Command(IDM_NEXT_FRAME), Command(IDM_NEXT_FRAME),
         [] {
             EXPECT_EQ(viewer.currentFrame, 2);
             EXPECT_EQ(Status(), "spin03");
         },
         Command(IDM_OPEN_MODEL),
         [] {
             EXPECT_EQ(viewer.model.loaded, 1);
             EXPECT_EQ(viewer.currentFrame, 0);
             EXPECT_EQ(Status(), "spin01");
         },
         Close()});
}

TEST_F(ShellTest, AFailedOpenLeavesNoModelAndShowsNothing) {
    headless::AnswerFile(SamplePath("lantern.md2"));
    headless::AnswerFile(BadModel());
    headless::Picture afterFailure;
    Run({Command(IDM_OPEN_MODEL), Command(IDM_OPEN_MODEL),
         [&] {
             EXPECT_EQ(viewer.model.loaded, 0);
             EXPECT_EQ(viewer.model.frames, nullptr);
             afterFailure = headless::ShownPicture(viewer.hWnd);
         },
         Close()});
    EXPECT_EQ(headless::ShownModals().size(), 2u);  // the two choosers, no message
    for (unsigned char byte : afterFailure.rgb) ASSERT_EQ(byte, 0);
}

TEST_F(ShellTest, PlaybackGoesOnAcrossAnOpen) {
    headless::AnswerFile(SamplePath("lantern.md2"));
    headless::AnswerFile(BadModel());
    headless::AnswerFile(SamplePath("lantern.md2"));
    Run({Command(IDM_OPEN_MODEL), Command(IDM_PLAY), [] { headless::RunFor(250); },
         Command(IDM_OPEN_MODEL),  // fails: the timer runs on with nothing to show
         [] { headless::RunFor(300); },
         [] { EXPECT_EQ(viewer.currentFrame, 0); }, Command(IDM_OPEN_MODEL),
         [] { headless::RunFor(200); },
         [] {
             EXPECT_EQ(viewer.currentFrame, 2);
             EXPECT_EQ(viewer.playing, 1);
         },
         Close()});
}
