// Keys through accelerator tables, the mouse and cursor, and the two common
// controls: status bar and toolbar.
#include <commctrl.h>

#include "fixtures/sample_resource.h"
#include "platform_test.h"

namespace {

// Runs the message loop as WinMain does, with the fixture's accelerators.
std::vector<WORD> CommandsFromKeys(HWND window) {
    HACCEL table = LoadAcceleratorsA(nullptr, MAKEINTRESOURCE(IDR_ACCELERATORS));
    MSG message;
    headless::PressKey(VK_ESCAPE);  // marks the end of the keys
    while (GetMessageA(&message, nullptr, 0, 0)) {
        if (message.message == WM_KEYUP && message.wParam == VK_ESCAPE) break;
        TranslateAcceleratorA(window, table, &message);
        DispatchMessageA(&message);
    }
    std::vector<WORD> commands;
    for (const Recorded& r : recorded)
        if (r.message == WM_COMMAND) commands.push_back(LOWORD(r.wParam));
    return commands;
}

}  // namespace

TEST_F(Platform, AcceleratorsMatchVirtualKeysWithTheirModifiersOnly) {
    HWND window = CreateRecordedWindow("w");
    headless::PumpUntilIdle();
    recorded.clear();
    headless::PressKey('O', headless::kAlt);
    headless::PressKey('O');                                      // needs Alt
    headless::PressKey('N');
    headless::PressKey('N', headless::kShift);                    // Shift not in the entry
    headless::PressKey(VK_OEM_COMMA);                             // "," is a character entry
    headless::PressKey(VK_ADD);
    headless::PressKey(VK_F12);
    headless::PressKey('Q', headless::kControl | headless::kShift);
    headless::PressKey('Q', headless::kControl);
    EXPECT_EQ(CommandsFromKeys(window), (std::vector<WORD>{IDM_OPEN, IDM_NEXT, IDM_ZOOM_IN, IDM_SAVE, IDM_QUIT}));
    EXPECT_TRUE(RecordedMessages(WM_CHAR).empty());
    EXPECT_TRUE(RecordedMessages(WM_SYSCHAR).empty());
    EXPECT_EQ(RecordedMessages(WM_SYSKEYDOWN).size(), 1u);  // Alt+O arrives as a system key
}

TEST_F(Platform, MouseMessagesCarryButtonsAndCursorWarpsReportAMove) {
    HWND window = CreateRecordedWindow("w");
    headless::PumpUntilIdle();
    headless::MoveCursorToClient(window, 10, 20);
    headless::MouseDown(MK_LBUTTON);
    headless::MoveCursorToClient(window, 15, 20);
    headless::MouseDown(MK_RBUTTON);
    headless::PumpUntilIdle();
    recorded.clear();

    POINT cursor;
    GetCursorPos(&cursor);
    RECT frame;
    GetWindowRect(window, &frame);
    EXPECT_EQ(cursor.x, frame.left + 8 + 15);  // screen coordinates
    EXPECT_EQ(cursor.y, frame.top + 31 + 20);
    SetCursorPos(cursor.x - 5, cursor.y);  // as the orbit does: the pointer goes back
    headless::PumpUntilIdle();
    ASSERT_EQ(RecordedMessages(), std::vector<UINT>{WM_MOUSEMOVE});
    EXPECT_EQ(recorded[0].wParam, WPARAM(MK_LBUTTON | MK_RBUTTON));
    EXPECT_EQ(recorded[0].lParam, MAKELPARAM(10, 20));
    headless::MouseUp(MK_LBUTTON);
    headless::MouseUp(MK_RBUTTON);
    headless::PumpUntilIdle();
    EXPECT_EQ(RecordedMessages(), (std::vector<UINT>{WM_MOUSEMOVE, WM_LBUTTONUP, WM_RBUTTONUP}));
    EXPECT_EQ(recorded[2].wParam, 0u);
}

TEST_F(Platform, StatusBarReadsPostedTextWhenDeliveredAndBarsRefit) {
    HWND window = CreateRecordedWindow("w", 400, 300);
    HWND status = CreateWindowExA(WS_EX_TOPMOST, STATUSCLASSNAMEA, "", 0x50000100, 0, 0, 0, 0, window,
                                  HMENU(100), nullptr, nullptr);
    HWND toolbar = CreateWindowExA(0, TOOLBARCLASSNAMEA, "", 0x50000120, 0, 0, 0, 0, window, HMENU(107), nullptr,
                                   nullptr);
    int edge = -1;
    EXPECT_TRUE(SendMessageA(status, SB_SETPARTS, 1, LPARAM(&edge)));
    char text[16] = "first";
    PostMessageA(status, SB_SETTEXT, 0, LPARAM(text));
    std::snprintf(text, sizeof text, "second");  // changed before delivery
    EXPECT_EQ(headless::StatusText(status, 0), "");
    headless::PumpUntilIdle();
    EXPECT_EQ(headless::StatusText(status, 0), "second");
    EXPECT_EQ(headless::StatusTexts(), std::vector<std::string>{"second"});

    RECT client, bar;
    GetClientRect(window, &client);  // the whole client area, bars included
    EXPECT_EQ(client.right, 384);
    EXPECT_EQ(client.bottom, 261);
    headless::ResizeWindow(window, 500, 400);
    MoveWindow(status, 0, 0, 0, 0, TRUE);
    MoveWindow(toolbar, 0, 0, 0, 0, TRUE);
    GetClientRect(status, &bar);
    EXPECT_EQ(bar.right, 484);
    EXPECT_EQ(bar.bottom, 20);
    GetClientRect(toolbar, &bar);
    EXPECT_EQ(bar.right, 484);
    EXPECT_EQ(bar.bottom, 26);
    RECT statusOnScreen, windowOnScreen;
    GetWindowRect(status, &statusOnScreen);
    GetWindowRect(window, &windowOnScreen);
    EXPECT_EQ(statusOnScreen.bottom, windowOnScreen.bottom - 8);  // at the client area's bottom edge
}

TEST_F(Platform, ToolbarClicksBecomeCommandsToItsParent) {
    HWND window = CreateRecordedWindow("w", 400, 300);
    HWND toolbar = CreateWindowExA(0, TOOLBARCLASSNAMEA, "", 0x50000120, 0, 0, 0, 0, window, HMENU(107), nullptr,
                                   nullptr);
    TBBUTTON buttons[2] = {{0, 501, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0},
                           {1, 502, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0}};
    SendMessageA(toolbar, TB_BUTTONSTRUCTSIZE, 20, 0);  // the 32-bit size, wrong here
    EXPECT_FALSE(SendMessageA(toolbar, TB_ADDBUTTONS, 2, LPARAM(buttons)));
    SendMessageA(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    TBADDBITMAP bitmap = {nullptr, IDB_TOOLBAR};
    EXPECT_EQ(SendMessageA(toolbar, TB_ADDBITMAP, 13, LPARAM(&bitmap)), 0);
    EXPECT_TRUE(SendMessageA(toolbar, TB_ADDBUTTONS, 2, LPARAM(buttons)));
    EXPECT_EQ(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0), 2);
    headless::PumpUntilIdle();
    recorded.clear();
    headless::ClickToolbarButton(toolbar, 1);
    headless::ClickToolbarButton(toolbar, 0);
    headless::PumpUntilIdle();
    std::vector<WPARAM> commands;
    for (const Recorded& r : recorded)
        if (r.message == WM_COMMAND) {
            commands.push_back(r.wParam);
            EXPECT_EQ(HWND(r.lParam), toolbar);
        }
    EXPECT_EQ(commands, (std::vector<WPARAM>{502, 501}));
}
