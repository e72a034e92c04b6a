#include "platform_test.h"

std::vector<Recorded> recorded;

namespace {

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    recorded.push_back({window, message, wParam, lParam});
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

HWND CreateRecordedWindow(const char* title, int width, int height) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = RecordingProc;
    windowClass.lpszClassName = "Recorded";
    RegisterClassA(&windowClass);  // fails harmlessly once registered
    recorded.clear();
    return CreateWindowExA(0, "Recorded", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 20, width, height, nullptr,
                           nullptr, nullptr, nullptr);
}

std::vector<UINT> RecordedMessages(UINT only) {
    std::vector<UINT> messages;
    for (const Recorded& r : recorded)
        if (!only || r.message == only) messages.push_back(r.message);
    return messages;
}
