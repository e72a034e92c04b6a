// The Gamma Correction dialog and the About box.
#include "shell/shell.h"
#include "shell_test.h"

namespace {

std::string GammaShown(size_t which) {
    for (const auto& [id, text] : headless::ShownModals().at(which).items)
        if (id == IDC_GAMMA) return text;
    return "";
}

}  // namespace

TEST_F(ShellTest, GammaShowsOneDecimalAndTakesWhatIsTyped) {
    headless::AnswerDialogText(IDC_GAMMA, " 1.25xyz");
    headless::AnswerDialogText(IDC_GAMMA, "abc");
    headless::AnswerDialog({headless::SetItemText(IDC_GAMMA, "5"), headless::PressButton(IDCANCEL)});
    headless::AnswerDialog({headless::PressDialogKey(VK_ESCAPE)});
    Run({Command(IDM_GAMMA), [] { EXPECT_FLOAT_EQ(viewer.gamma, 1.25f); }, Command(IDM_GAMMA),
         [] { EXPECT_EQ(viewer.gamma, 0.0f); }, Command(IDM_GAMMA), Command(IDM_GAMMA), Close()});
    EXPECT_EQ(GammaShown(0), "0.7");
    EXPECT_EQ(GammaShown(1), "1.2");  // "%1.1f" of 1.25
    EXPECT_EQ(GammaShown(2), "0.0");
    EXPECT_EQ(GammaShown(3), "0.0");  // Cancel kept it
    EXPECT_EQ(headless::ShownModals()[0].title, "Gamma Correction");
    EXPECT_EQ(headless::ShownModals()[0].templateId, IDD_GAMMA);
    EXPECT_EQ(viewer.gamma, 0.0f);
}

TEST_F(ShellTest, GammaReadsAtMostNineteenCharacters) {
    headless::AnswerDialogText(IDC_GAMMA, "0.000000000000000012345");
    Run({Command(IDM_GAMMA), Close()});
    EXPECT_FLOAT_EQ(viewer.gamma, 1e-17f);  // "0.00000000000000001" and no more
}

TEST_F(ShellTest, ReadDecimalFollowsTheDecimalRule) {
    EXPECT_EQ(ReadDecimal("  2.5"), 2.5);
    EXPECT_EQ(ReadDecimal("-.5e1x"), -5);
    EXPECT_EQ(ReadDecimal("3e"), 3);
    EXPECT_EQ(ReadDecimal("1,5"), 1);
    EXPECT_EQ(ReadDecimal("inf"), 0);  // not a decimal number
    EXPECT_EQ(ReadDecimal("0x10"), 0);
    EXPECT_EQ(ReadDecimal(""), 0);
    EXPECT_EQ(ReadDecimal("."), 0);
}

// Each About box makes five windows; closed, their records are freed once
// the program is back in its own loop.
TEST_F(ShellTest, ClosedDialogsLeaveNoWindowRecordsBehind) {
    size_t before = 0, after = 0;
    std::vector<headless::Step> steps = {[&before] { before = headless::WindowRecords(); }};
    for (int box = 0; box < 20; box++) {
        headless::AnswerDialog({headless::PressButton(IDOK)});
        steps.push_back(Command(IDM_ABOUT));
        headless::AnswerDialogText(IDC_GAMMA, "1.0");
        steps.push_back(Command(IDM_GAMMA));
    }
    steps.push_back([&after] { after = headless::WindowRecords(); });
    steps.push_back(Close());
    Run(steps);
    EXPECT_EQ(headless::ShownModals().size(), 40u);
    EXPECT_GT(before, 0u);
    EXPECT_EQ(after, before);
}

TEST_F(ShellTest, AboutClosesWithOkAndWithEscape) {
    headless::AnswerDialog({headless::PressButton(IDOK)});
    headless::AnswerDialog({headless::PressDialogKey(VK_ESCAPE)});
    Run({Command(IDM_ABOUT), Command(IDM_ABOUT), Close()});
    ASSERT_EQ(headless::ShownModals().size(), 2u);
    EXPECT_EQ(headless::ShownModals()[0].title, "Velmorin");
    EXPECT_EQ(headless::ShownModals()[0].templateId, IDD_ABOUT);
}
