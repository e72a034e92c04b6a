// Message boxes, the common dialogs and template dialogs: each runs a nested
// loop that keeps delivering paint and timer messages, is logged as shown,
// and leaves a repaint behind when it closes.
#include <commdlg.h>

#include <filesystem>

#include "fixtures/sample_resource.h"
#include "platform_test.h"

namespace {

std::string levelSeen;
RECT levelClient, levelEdit;  // as WM_INITDIALOG found them

INT_PTR CALLBACK LevelProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        GetClientRect(dialog, &levelClient);
        GetWindowRect(GetDlgItem(dialog, IDC_LEVEL), &levelEdit);
        SetDlgItemTextA(dialog, IDC_LEVEL, reinterpret_cast<const char*>(lParam));
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        char text[20];
        GetDlgItemTextA(dialog, IDC_LEVEL, text, 4);  // at most 3 characters
        levelSeen = text;
        EndDialog(dialog, LOWORD(wParam) == IDOK ? 11 : 22);
        return TRUE;
    }
    return FALSE;
}

OPENFILENAMEA OpenRequest(HWND owner, char* path, DWORD size) {
    OPENFILENAMEA request = {};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.lpstrFilter = "Quake 2 MD2 file (*.md2)\0*.md2\0All (*.*)\0*.*\0";
    request.nFilterIndex = 1;
    request.lpstrFile = path;
    request.nMaxFile = size;
    request.lpstrTitle = "Open MD2";
    request.Flags = 0x1804;
    return request;
}

}  // namespace

TEST_F(Platform, MessageBoxKeepsTimersAndPaintGoingThenRepaintsItsOwner) {
    HWND window = CreateRecordedWindow("w");
    SetTimer(window, 1, 100, nullptr);
    headless::PumpUntilIdle();
    recorded.clear();
    InvalidateRect(window, nullptr, FALSE);
    headless::AnswerOk(250);
    EXPECT_EQ(MessageBoxA(nullptr, "Please open a model first", nullptr, MB_OK), IDOK);
    // While it was open: the paint that was due, and ticks at 100 and 200.
    EXPECT_EQ(RecordedMessages(WM_PAINT).size(), 1u);
    EXPECT_EQ(RecordedMessages(WM_TIMER).size(), 2u);
    EXPECT_EQ(headless::Now(), 250u);
    headless::PumpUntilIdle();
    EXPECT_EQ(RecordedMessages(WM_PAINT).size(), 2u);  // for the area it uncovered

    ASSERT_EQ(headless::ShownModals().size(), 1u);
    const headless::ShownModal& shown = headless::ShownModals()[0];
    EXPECT_EQ(shown.kind, headless::Shown::MessageBox);
    EXPECT_EQ(shown.owner, nullptr);
    EXPECT_EQ(shown.text, "Please open a model first");
    EXPECT_EQ(shown.title, "Error");  // Windows' caption when none is given
    EXPECT_EQ(shown.type, UINT(MB_OK));
    EXPECT_TRUE(headless::Problems().empty());
}

TEST_F(Platform, FileChoosersAreLoggedAndAnswered) {
    HWND window = CreateRecordedWindow("w");
    char path[256] = "";
    OPENFILENAMEA request = OpenRequest(window, path, sizeof path);
    headless::AnswerFile("/models/run/tris.md2", 2);
    ASSERT_TRUE(GetOpenFileNameA(&request));
    EXPECT_STREQ(path, "/models/run/tris.md2");
    EXPECT_EQ(request.nFilterIndex, 2u);
    EXPECT_EQ(request.nFileOffset, 12);
    EXPECT_EQ(request.nFileExtension, 17);

    std::snprintf(path, sizeof path, "run1.bmp");
    request.lpstrTitle = "Save Screen shot";
    headless::AnswerCancel();
    EXPECT_FALSE(GetSaveFileNameA(&request));
    headless::AnswerFile(std::string(300, 'x'));  // longer than the buffer
    EXPECT_FALSE(GetOpenFileNameA(&request));

    const auto& shown = headless::ShownModals();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].kind, headless::Shown::OpenFile);
    EXPECT_EQ(shown[0].title, "Open MD2");
    EXPECT_EQ(shown[0].owner, window);
    EXPECT_EQ(shown[0].flags, 0x1804u);
    EXPECT_EQ(shown[0].filterIndex, 1u);
    EXPECT_EQ(shown[0].filters, (std::vector<std::pair<std::string, std::string>>{
                                    {"Quake 2 MD2 file (*.md2)", "*.md2"}, {"All (*.*)", "*.*"}}));
    EXPECT_EQ(shown[1].kind, headless::Shown::SaveFile);
    EXPECT_EQ(shown[1].initialFile, "run1.bmp");

    COLORREF custom[16] = {};
    CHOOSECOLORA colour = {};
    colour.lStructSize = sizeof colour;
    colour.hwndOwner = window;
    colour.lpCustColors = custom;
    colour.Flags = CC_FULLOPEN;
    headless::AnswerColor(RGB(10, 20, 30));
    ASSERT_TRUE(ChooseColorA(&colour));
    EXPECT_EQ(colour.rgbResult, RGB(10, 20, 30));
    EXPECT_EQ(headless::ShownModals().back().flags, DWORD(CC_FULLOPEN));

    // "Add to Custom Colors" writes into the caller's array, column by
    // column of its two rows of eight; each opening starts at the first.
    headless::AnswerColor(RGB(40, 80, 160), 0, {RGB(1, 1, 1), RGB(2, 2, 2), RGB(3, 3, 3)});
    ASSERT_TRUE(ChooseColorA(&colour));
    EXPECT_EQ(custom[0], RGB(1, 1, 1));
    EXPECT_EQ(custom[8], RGB(2, 2, 2));
    EXPECT_EQ(custom[1], RGB(3, 3, 3));
    headless::AnswerColor(RGB(40, 80, 160), 0, {RGB(4, 4, 4)});
    ASSERT_TRUE(ChooseColorA(&colour));
    EXPECT_EQ(custom[0], RGB(4, 4, 4));
    EXPECT_EQ(custom[8], RGB(2, 2, 2));
    EXPECT_TRUE(headless::Problems().empty());
}

// As on Windows, a chosen file's folder becomes the current one (where the
// next dialog without a folder starts), unless the request says not to.
TEST_F(Platform, AChosenFileMakesItsFolderCurrentUnlessAskedNot) {
    const std::filesystem::path start = std::filesystem::current_path();
    const std::filesystem::path models = std::filesystem::temp_directory_path() / "velmorin-modal-folder";
    std::filesystem::create_directories(models / "skins");
    char path[256] = "";
    OPENFILENAMEA request = OpenRequest(nullptr, path, sizeof path);
    headless::AnswerFile((models / "tris.md2").string());
    ASSERT_TRUE(GetOpenFileNameA(&request));
    EXPECT_EQ(std::filesystem::current_path(), models);

    request.Flags |= OFN_NOCHANGEDIR;
    headless::AnswerFile((models / "skins" / "skin.pcx").string());
    ASSERT_TRUE(GetOpenFileNameA(&request));
    EXPECT_EQ(std::filesystem::current_path(), models);
    request.Flags &= ~DWORD(OFN_NOCHANGEDIR);
    headless::AnswerCancel();
    EXPECT_FALSE(GetOpenFileNameA(&request));
    EXPECT_EQ(std::filesystem::current_path(), models);
    headless::AnswerFile((models / "skins" / "skin.pcx").string());
    ASSERT_TRUE(GetSaveFileNameA(&request));
    EXPECT_EQ(std::filesystem::current_path(), models / "skins");
    std::filesystem::current_path(start);
}

TEST_F(Platform, TemplateDialogRunsItsProcedureUnderAScript) {
    HWND window = CreateRecordedWindow("w");
    headless::AnswerDialog({headless::SetItemText(IDC_LEVEL, "1.25"), headless::PressButton(IDOK)});
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCE(IDD_LEVEL), window, LevelProc, LPARAM("0.7")), 11);
    EXPECT_EQ(levelSeen, "1.2");
    const headless::ShownModal& shown = headless::ShownModals().back();
    EXPECT_EQ(shown.kind, headless::Shown::Dialog);
    EXPECT_EQ(shown.templateId, IDD_LEVEL);
    EXPECT_EQ(shown.title, "Level");
    const auto item = std::find(shown.items.begin(), shown.items.end(), std::make_pair(IDC_LEVEL, std::string("0.7")));
    EXPECT_NE(item, shown.items.end()) << "the text WM_INITDIALOG set";
    // Dialog units through the font's base units (6 x 13 here), rounded as
    // MapDialogRect rounds: 100 x 42 units, and the edit box's 28 x 12.
    EXPECT_EQ(levelClient.right, 150);
    EXPECT_EQ(levelClient.bottom, 68);
    EXPECT_EQ(levelEdit.right - levelEdit.left, 42);
    EXPECT_EQ(levelEdit.bottom - levelEdit.top, 20) << "19.5 pixels round up";

    headless::AnswerCancel();
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCE(IDD_LEVEL), window, LevelProc, LPARAM("abc")), 22);
    EXPECT_EQ(levelSeen, "abc");
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCE(999), window, LevelProc, 0), -1);
    EXPECT_TRUE(headless::Problems().empty());
}

TEST_F(Platform, AModalWithoutAnAnswerIsAProblemAndIsCancelled) {
    HWND window = CreateRecordedWindow("w");
    char path[256] = "";
    OPENFILENAMEA request = OpenRequest(window, path, sizeof path);
    EXPECT_FALSE(GetOpenFileNameA(&request));
    headless::AnswerColor(RGB(1, 2, 3));  // does not fit a message box
    EXPECT_EQ(MessageBoxA(window, "x", "y", MB_OK), IDCANCEL);
    EXPECT_EQ(headless::Problems().size(), 2u);
}
