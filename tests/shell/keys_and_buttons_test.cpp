// Every accelerator and toolbar button reaches its command.
#include "shell_test.h"

TEST_F(ShellTest, EveryAcceleratorButTheCommaReachesItsCommand) {
    headless::AnswerFile(SamplePath("lantern.md2"));  // Alt+O
    headless::AnswerCancel();                          // Alt+S: the skin chooser
    headless::AnswerCancel();                          // F12: the save chooser
    Run({Key('O', headless::kAlt),
         [] { EXPECT_EQ(viewer.model.loaded, 1); }, Key('N'), [] { EXPECT_EQ(viewer.currentFrame, 1); },
         Key(VK_OEM_COMMA), [] { EXPECT_EQ(viewer.currentFrame, 1); },  // never fires
         Key(VK_RIGHT), [] { EXPECT_EQ(viewer.currentFrame, 11); }, Key(VK_LEFT),
         [] { EXPECT_EQ(viewer.currentFrame, 0); }, Key('P'), [] { EXPECT_EQ(viewer.playing, 1); }, Key('S'),
         [] { EXPECT_EQ(viewer.playing, 0); }, Key('S', headless::kAlt),
         [] { EXPECT_EQ(LastShown()->title, "Open PCX Skin"); }, Key(VK_ADD),
         [] { EXPECT_FLOAT_EQ(viewer.eye.x, 90); }, Key(VK_SUBTRACT), [] { EXPECT_FLOAT_EQ(viewer.eye.x, 100); },
         Key(VK_F12), [] { EXPECT_EQ(LastShown()->title, "Save Screen shot"); }, Key('Q', headless::kAlt)});
    EXPECT_EQ(headless::ShownModals().size(), 3u);
}

// Keys no accelerator takes go on to the window, as on Windows: Alt+letter
// pulls down the menu with that mnemonic (File, Help), F10 and a lone Alt
// the first one; the program's accelerators keep priority and open no menu,
// not even when Alt is let go after one.
TEST_F(ShellTest, MenuKeysPullDownTheirMenusAndAcceleratorsKeepPriority) {
    headless::AnswerCancel();  // Alt+O's open dialog
    headless::AnswerCancel();  // the second, with Alt held down around it
    const Step altDown = [] { headless::KeyDown(VK_MENU); };
    const Step altUp = [] { headless::KeyUp(VK_MENU, headless::kAlt); };
    Run({Key('F', headless::kAlt), Key('H', headless::kAlt), Key(VK_F10), Key('O', headless::kAlt),
         Key('X', headless::kAlt), Key('N'), altDown, altUp, altDown, Key('O', headless::kAlt), altUp, altDown,
         Key('X', headless::kAlt), altUp, Close()});
    EXPECT_EQ(headless::MenusPulledDown(), (std::vector<int>{0, 2, 0, 0}));
    ASSERT_EQ(headless::ShownModals().size(), 2u);
    EXPECT_EQ(headless::ShownModals()[0].title, "Open MD2");
}

TEST_F(ShellTest, EveryToolbarButtonReachesItsCommand) {
    headless::AnswerFile(SamplePath("lantern.md2"));
    headless::AnswerCancel();
    auto click = [](int index) -> Step { return [index] { headless::ClickToolbarButton(viewer.hToolbar, index); }; };
    Run({Command(IDM_OPEN_MODEL), click(5), [] { EXPECT_EQ(viewer.currentFrame, 11); }, click(3),
         [] { EXPECT_EQ(viewer.currentFrame, 10); }, click(2), [] { EXPECT_EQ(viewer.currentFrame, 0); }, click(4),
         [] { EXPECT_EQ(viewer.currentFrame, 1); }, click(0), [] { EXPECT_EQ(viewer.playing, 1); }, click(1),
         [] { EXPECT_EQ(viewer.playing, 0); }, click(6), [] { EXPECT_FLOAT_EQ(viewer.eye.x, 90); }, click(7),
         [] { EXPECT_FLOAT_EQ(viewer.eye.x, 100); }, click(8),
         [] { EXPECT_EQ(LastShown()->kind, headless::Shown::SaveFile); }, Close()});
}
