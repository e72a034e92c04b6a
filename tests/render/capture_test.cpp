// Screenshots and the background colour.
#include <filesystem>

#include "../fixtures/temp_files.h"
#include "render/capture.h"
#include "render/scene.h"
#include "render_test.h"

namespace {

// A model whose one frame "run1" draws a small wire-frame triangle.
Bytes TriangleModel() {
    Md2Parts parts;
    parts.frameNames = {"run1"};
    parts.commands = CommandWords({0, 1, 2});
    parts.commands.push_back(0);
    return BuildMd2(parts);
}

// The drawing area of the back buffer, top row first, as ImageMagick lists it.
Bytes BackBufferTopFirst() {
    const DrawingArea area = MeasureDrawingArea();
    Bytes rows(size_t(area.width) * area.height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(area.x, area.y, area.width, area.height, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    Bytes topFirst;
    for (int r = area.height - 1; r >= 0; r--)
        topFirst.insert(topFirst.end(), &rows[size_t(r) * area.width * 3], &rows[size_t(r + 1) * area.width * 3]);
    return topFirst;
}

}  // namespace

TEST_F(RenderTest, WithoutAModelTheScreenshotIsRefusedWithoutADialog) {
    EXPECT_EQ(SaveScreenShot(), 2);
    ASSERT_EQ(headless::ShownModals().size(), 1u);
    EXPECT_EQ(headless::ShownModals()[0].kind, headless::Shown::MessageBox);
    EXPECT_EQ(headless::ShownModals()[0].text, "A black screen is no fun to look at.  Load a model first.");
    EXPECT_EQ(headless::ShownModals()[0].owner, nullptr);
}

TEST_F(RenderTest, ScreenshotHoldsTheDrawingAreaInTheBackgroundColour) {
    LoadModel(TriangleModel());
    headless::AnswerColor(RGB(40, 80, 120));
    ChooseBackgroundColor();
    RenderScene();
    const std::string path = TempPath("shot.tga");
    headless::AnswerFile(path, 2);  // the Targa filter, whatever the name says
    ASSERT_EQ(SaveScreenShot(), 1);

    const headless::ShownModal& dialog = headless::ShownModals().back();
    EXPECT_EQ(dialog.kind, headless::Shown::SaveFile);
    EXPECT_EQ(dialog.title, "Save Screen shot");
    EXPECT_EQ(dialog.initialFile, "run1.bmp");
    EXPECT_EQ(dialog.flags, DWORD(OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST));
    EXPECT_EQ(dialog.owner, viewer.hWnd);
    EXPECT_EQ(dialog.filters.size(), 2u);

    const Bytes file = ReadWholeFile(path);
    ASSERT_GE(file.size(), 18u);
    EXPECT_EQ(file[2], 2);  // a Targa file
    EXPECT_EQ(file[12] | file[13] << 8, 384);
    EXPECT_EQ(file[14] | file[15] << 8, 395);
    Bytes theirs;
    ASSERT_TRUE(RunCommand("convert " + ShellQuote(path) + " -auto-orient rgb:-", &theirs));
    const Bytes shown = BackBufferTopFirst();
    EXPECT_TRUE(theirs == shown);
    EXPECT_EQ(Bytes(theirs.begin(), theirs.begin() + 3), (Bytes{40, 80, 120}));  // a corner: background
    size_t drawn = 0;
    for (size_t i = 0; i < theirs.size(); i += 3) drawn += theirs[i] != 40;
    EXPECT_GT(drawn, 0u);  // and the model's lines

    headless::AnswerCancel();
    EXPECT_EQ(SaveScreenShot(), 2);
}

TEST_F(RenderTest, AScreenshotThatCannotBeWrittenIsReportedAndLeavesNoFile) {
    LoadModel(TriangleModel());
    RenderScene();
    const std::string path = TempPath("missing-folder/shot.bmp");
    headless::AnswerFile(path, 1);
    EXPECT_EQ(SaveScreenShot(), 0);
    EXPECT_EQ(headless::ShownModals().back().kind, headless::Shown::MessageBox);
    EXPECT_EQ(headless::ShownModals().back().text, "Could not save the screen shot as " + path);
    EXPECT_FALSE(std::filesystem::exists(path));

    // A window no taller than its bars has nothing to save.
    MoveWindow(viewer.hWnd, 0, 0, 400, 105, TRUE);
    const std::string empty = TempPath("empty.bmp");
    headless::AnswerFile(empty, 1);
    EXPECT_EQ(SaveScreenShot(), 2);
    EXPECT_FALSE(std::filesystem::exists(empty));
}

TEST_F(RenderTest, CancellingTheColourChooserChangesNothing) {
    headless::AnswerCancel();
    const int swaps = headless::SwapCount();
    ChooseBackgroundColor();
    EXPECT_EQ(headless::SwapCount(), swaps);
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[0], 0);
    const headless::ShownModal& shown = headless::ShownModals().back();
    EXPECT_EQ(shown.kind, headless::Shown::Color);
    EXPECT_EQ(shown.flags, DWORD(CC_FULLOPEN));
}
