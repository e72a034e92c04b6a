// Windows' message semantics that the program relies on: creation messages,
// posted and sent messages, retrieval order, timers and paint.
#include "platform_test.h"

namespace {

HWND created = nullptr;
bool sizeSeenBeforeReturn = false;
bool handleKnownInCreate = true;
std::vector<std::string> creationOrder;

LRESULT CALLBACK CreationProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        creationOrder.push_back("create");
        handleKnownInCreate = created != nullptr;
    } else if (message == WM_SIZE) {
        creationOrder.push_back("size " + std::to_string(LOWORD(lParam)) + "x" + std::to_string(HIWORD(lParam)));
        sizeSeenBeforeReturn = created == nullptr;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

TEST_F(Platform, CreationSendsCreateThenSizeBeforeReturning) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = CreationProc;
    windowClass.lpszClassName = "Creation";
    ASSERT_NE(RegisterClassA(&windowClass), 0);
    EXPECT_EQ(RegisterClassA(&windowClass), 0);
    creationOrder.clear();
    created = CreateWindowExA(0, "Creation", "x", 0x06CF0000, 0, 0, 400, 500, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(created, nullptr);
    EXPECT_FALSE(handleKnownInCreate);
    EXPECT_TRUE(sizeSeenBeforeReturn);
    // A 400 x 500 frame with caption and no menu: 8-pixel borders, a 23-pixel caption.
    EXPECT_EQ(creationOrder, (std::vector<std::string>{"create", "size 384x461"}));
    RECT client;
    ASSERT_TRUE(GetClientRect(created, &client));
    EXPECT_EQ(client.right, 384);
    EXPECT_EQ(client.bottom, 461);

    MoveWindow(created, 0, 0, 500, 600, TRUE);
    EXPECT_EQ(creationOrder.back(), "size 484x561");
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
    created = nullptr;
}

TEST_F(Platform, PostedMessagesWaitSentMessagesDoNot) {
    HWND window = CreateRecordedWindow("w");
    headless::PumpUntilIdle();
    recorded.clear();
    PostMessageA(window, WM_USER + 5, 1, 2);
    EXPECT_TRUE(RecordedMessages(WM_USER + 5).empty());
    EXPECT_EQ(SendMessageA(window, WM_USER + 6, 0, 0), 0);
    EXPECT_EQ(RecordedMessages(), std::vector<UINT>{WM_USER + 6});
    headless::PumpUntilIdle();
    EXPECT_EQ(RecordedMessages(), (std::vector<UINT>{WM_USER + 6, WM_USER + 5}));
    DestroyWindow(window);
    EXPECT_FALSE(PostMessageA(window, WM_USER, 0, 0));  // a destroyed window takes no more
}

TEST_F(Platform, GetMessageTakesPostedThenInputThenQuitThenPaintThenTimers) {
    HWND window = CreateRecordedWindow("w");
    headless::PumpUntilIdle();
    SetTimer(window, 3, 10, nullptr);
    headless::AdvanceClock(10);
    InvalidateRect(window, nullptr, FALSE);
    headless::MoveCursorToClient(window, 5, 5);
    headless::PressKey('A');
    PostQuitMessage(4);
    PostMessageA(window, WM_USER, 0, 0);

    std::vector<UINT> order;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0)) {
        order.push_back(message.message);
        DispatchMessageA(&message);
    }
    EXPECT_EQ(order, (std::vector<UINT>{WM_USER, WM_KEYDOWN, WM_KEYUP, WM_MOUSEMOVE}));
    EXPECT_EQ(message.wParam, 4u);
    order.clear();
    for (int i = 0; i < 2 && GetMessageA(&message, nullptr, 0, 0); i++) {
        order.push_back(message.message);
        DispatchMessageA(&message);
    }
    EXPECT_EQ(order, (std::vector<UINT>{WM_PAINT, WM_TIMER}));
}

TEST_F(Platform, TimersRestartStopAndNeverQueueTwice) {
    HWND window = CreateRecordedWindow("w");
    headless::PumpUntilIdle();
    SetTimer(window, 1, 100, nullptr);
    headless::RunFor(250);
    EXPECT_EQ(RecordedMessages(WM_TIMER).size(), 2u);  // at 100 and 200

    SetTimer(window, 1, 100, nullptr);  // at 250 it starts again: next tick at 350
    headless::RunFor(99);
    EXPECT_EQ(RecordedMessages(WM_TIMER).size(), 2u);
    headless::RunFor(1);
    EXPECT_EQ(RecordedMessages(WM_TIMER).size(), 3u);

    // A busy spell of ten periods leaves one tick, not ten.
    headless::AdvanceClock(1000);
    headless::PumpUntilIdle();
    EXPECT_EQ(RecordedMessages(WM_TIMER).size(), 4u);

    EXPECT_TRUE(KillTimer(window, 1));
    EXPECT_FALSE(KillTimer(window, 1));
    headless::RunFor(1000);
    EXPECT_EQ(RecordedMessages(WM_TIMER).size(), 4u);
    EXPECT_EQ(SetTimer(nullptr, 1, 100, nullptr), 0u);
}

TEST_F(Platform, PaintComesOnceForAnInvalidWindowAndNotWhenHidden) {
    HWND window = CreateRecordedWindow("w");
    headless::PumpUntilIdle();
    EXPECT_EQ(RecordedMessages(WM_PAINT).size(), 1u);
    InvalidateRect(window, nullptr, FALSE);
    InvalidateRect(window, nullptr, FALSE);
    headless::PumpUntilIdle();
    EXPECT_EQ(RecordedMessages(WM_PAINT).size(), 2u);
    ShowWindow(window, SW_HIDE);
    InvalidateRect(window, nullptr, FALSE);
    headless::PumpUntilIdle();
    EXPECT_EQ(RecordedMessages(WM_PAINT).size(), 2u);
}
