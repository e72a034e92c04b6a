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
// pulls down the menu with that mnemonic, F10 and a lone Alt highlight the
// bar; in the menu loop Left and Right go round the whole bar, Up and Down
// round a menu (past its separator), a letter opens its menu, Escape backs
// out a level at a time. The program's accelerators keep priority and open
// no menu, not even when Alt is let go after one.
TEST_F(ShellTest, MenuKeysRunWindowsMenuLoopAndAcceleratorsKeepPriority) {
    const Step altDown = [] { headless::KeyDown(VK_MENU); };
    const Step altUp = [] { headless::KeyUp(VK_MENU, headless::kAlt); };
    struct Case {
        std::vector<Step> keys;
        std::vector<std::string> states;
        int dialogShown;  // the template of the dialog the loop's choice opened, or 0 for none
    };
    const Case cases[] = {
        {{Key('F', headless::kAlt), Key(VK_RIGHT), Key(VK_RIGHT), Key(VK_RETURN)},
         {"&File pulled down: Open Model", "Options pulled down: Gamma...", "&Help pulled down: About", "done"},
         IDD_ABOUT},
        {{altDown, altUp, Key('H'), Key(VK_RETURN)}, {"&File", "&Help pulled down: About", "done"}, IDD_ABOUT},
        {{Key('H', headless::kAlt), Key(VK_ESCAPE), Key(VK_ESCAPE)},
         {"&Help pulled down: About", "&Help", "done"}, 0},
        {{Key(VK_F10), Key(VK_RIGHT), Key(VK_DOWN), Key(VK_UP), Key(VK_UP), Key(VK_UP), Key(VK_UP), Key(VK_DOWN),
          Key(VK_RIGHT), Key(VK_RIGHT), Key(VK_ESCAPE), Key(VK_LEFT), Key('X'), Key(VK_F10)},
         {"&File", "Options", "Options pulled down: Gamma...", "Options pulled down: Textured - Linear",
          "Options pulled down: Textured - Nearest", "Options pulled down: Wire-frame",
          "Options pulled down: Mipmap Textures", "Options pulled down: Wire-frame", "&Help pulled down: About",
          "System menu pulled down: &Restore", "System menu", "&Help", "done"}, 0},
        // The system menu: after Help and before File; Alt+Space pulls it
        // down, and its Maximize maximises, after which Maximize is grayed
        // (its letter selects it, the menu stays).
        {{Key(VK_F10), Key(VK_LEFT), Key(VK_RIGHT), Key(VK_ESCAPE), Key(VK_SPACE, headless::kAlt), Key(VK_UP),
          Key(VK_UP), Key(VK_RETURN), Key(VK_SPACE, headless::kAlt), Key('X'), Key(VK_UP), Key(VK_RETURN)},
         {"&File", "System menu", "&File", "done", "System menu pulled down: &Restore",
          "System menu pulled down: &Close", "System menu pulled down: Ma&ximize", "done",
          "System menu pulled down: &Restore", "System menu pulled down: Ma&ximize",
          "System menu pulled down: Mi&nimize", "done"}, 0},
        {{altDown, altUp, altDown, altUp}, {"&File", "done"}, 0},
        {{Key('O', headless::kAlt), Key('X', headless::kAlt), Key('N'), altDown, Key('O', headless::kAlt), altUp,
          altDown, Key('X', headless::kAlt), altUp},
         {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.states.empty() ? "accelerators" : c.states.front());
        TearDown();
        SetUp();
        headless::AnswerCancel();  // the About box, or the Open dialogs of the accelerators
        headless::AnswerCancel();
        std::vector<Step> script = c.keys;
        script.push_back(Close());
        Run(script);
        EXPECT_EQ(headless::MenuLoopStates(), c.states);
        const bool shown = !headless::ShownModals().empty();
        const bool aboutShown = shown && LastShown()->templateId == IDD_ABOUT;
        if (!c.states.empty()) {
            EXPECT_EQ(aboutShown, c.dialogShown == IDD_ABOUT);
        }
    }
    EXPECT_EQ(headless::ShownModals().size(), 2u);  // the last case's two Alt+O
}

// The mouse: a press on a bar item pulls its menu down, a release over an
// item picks it; a press outside the menu leaves it and reaches nothing.
TEST_F(ShellTest, MenusOpenAndPickWithTheMouse) {
    headless::AnswerCancel();  // the Open MD2 dialog
    RECT frame;
    auto at = [&](int x, int y) -> Step {  // from the menu bar's top left corner (borders 8, caption 23)
        return [&frame, x, y] {
            GetWindowRect(viewer.hWnd, &frame);
            headless::MoveCursor(POINT{frame.left + 8 + x, frame.top + 31 + y});
        };
    };
    const Step down = [] { headless::MouseDown(MK_LBUTTON); };
    const Step up = [] { headless::MouseUp(MK_LBUTTON); };
    // File's menu starts under the bar's 20 pixels, inside a 3-pixel frame.
    Run({at(10, 10), down, up, at(30, 20 + 3 + 8), down, up, at(10, 10), down, up, at(100, 200), down, up,
         Close()});
    EXPECT_EQ(headless::MenuLoopStates(),
              (std::vector<std::string>{"&File pulled down", "&File pulled down: Open Model", "done",
                                        "&File pulled down", "done"}));
    ASSERT_EQ(headless::ShownModals().size(), 1u);
    EXPECT_EQ(headless::ShownModals()[0].title, "Open MD2");
    EXPECT_EQ(viewer.eye.x, 100);  // the press that left the menu did not turn the camera
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
