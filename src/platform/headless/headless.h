#pragma once

// The headless backend's control API, for tests: answers for the dialogs the
// program will show, a log of what it showed, input on a virtual cursor and
// keyboard, a virtual clock that timers follow, and the picture last shown.

#include <commdlg.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace headless {

// Starts from nothing: no windows, classes, messages, timers, answers or log;
// the clock at 0. The resource script is the embedded one unless a test names
// another with UseResourceScript.
void Reset();
void UseResourceScript(const char* script, const char* headerName, const char* header);

// Answers, taken in order by the dialogs, choosers and message boxes shown.
// `openForMs`: how long the user keeps it open on the virtual clock, during
// which timers keep firing.
struct DialogStep {
    int item;          // a control's id
    std::string text;  // set as the control's text, unless `press` or `key`
    bool press;        // press the button `item`
    int key = 0;       // or press this key in the dialog
};
DialogStep SetItemText(int item, const std::string& text);
DialogStep PressButton(int item);
DialogStep PressDialogKey(int virtualKey);
void AnswerFile(const std::string& path, DWORD filterIndex = 1, unsigned openForMs = 0);
// Chooses `color`, first adding `addedToCustom` with "Add to Custom Colors".
void AnswerColor(COLORREF color, unsigned openForMs = 0, const std::vector<COLORREF>& addedToCustom = {});
void AnswerDialog(std::vector<DialogStep> steps, unsigned openForMs = 0);
void AnswerOk(unsigned openForMs = 0);  // a message box
void AnswerCancel(unsigned openForMs = 0);

enum class Shown { MessageBox, OpenFile, SaveFile, Color, Dialog };
struct ShownModal {
    Shown kind = Shown::MessageBox;
    HWND owner = nullptr;
    std::string title;  // chooser or dialog title, message box caption
    std::string text;   // message box text
    UINT type = 0;      // message box buttons and icon
    std::vector<std::pair<std::string, std::string>> filters;
    DWORD filterIndex = 0;
    DWORD flags = 0;
    std::string initialFile;
    int templateId = 0;
    std::vector<std::pair<int, std::string>> items;  // a dialog's controls and texts as shown
};
const std::vector<ShownModal>& ShownModals();
// Every text each status bar part showed, in order.
const std::vector<std::string>& StatusTexts();
std::string StatusText(HWND statusBar, int part);
bool MenuItemChecked(HMENU menu, UINT id);
// Empties the log of modals and status texts (long runs keep it small).
void ForgetShown();
// What went wrong in the script: a modal with no answer, a script that ran out.
const std::vector<std::string>& Problems();

// Input, as a user's: it reaches the program through its message loop.
const unsigned kAlt = 1, kShift = 2, kControl = 4;
void PressKey(int virtualKey, unsigned modifiers = 0);  // down and up
void KeyDown(int virtualKey, unsigned modifiers = 0);
void KeyUp(int virtualKey, unsigned modifiers = 0);
void MoveCursor(POINT screen);
void MoveCursorToClient(HWND window, int x, int y);
void MouseDown(unsigned button);  // MK_LBUTTON, MK_RBUTTON or MK_MBUTTON
void MouseUp(unsigned button);
void ClickToolbarButton(HWND toolbar, int index);
void ResizeWindow(HWND window, int width, int height);

// Time: the clock moves only here. AdvanceClock moves it at once, as if the
// program had been busy: each timer that came due gives one tick when next
// asked for. RunFor lets the time pass with the program running: every
// message is dispatched and each timer ticks as the clock passes it (within
// RunWinMain's script, the program's own loop does the dispatching).
uint64_t Now();
void AdvanceClock(uint64_t milliseconds);
void RunFor(uint64_t milliseconds);
void PumpUntilIdle();  // dispatches whatever is ready now
bool QuitSeen(int* exitCode);

// The picture a window showed at its last SwapBuffers: bottom row first, RGB.
struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    COLORREF Pixel(int x, int y) const;  // y counts from the bottom
};
Picture ShownPicture(HWND window);
int SwapCount();
// Window records the layer holds, destroyed ones not yet freed included.
size_t WindowRecords();
// Each state a menu loop showed, in order: "&File" for the bar item
// highlighted, "&File pulled down" for its menu pulled down, "&File pulled
// down: Quit" with an item selected, and "done" when the loop ended.
const std::vector<std::string>& MenuLoopStates();

// Runs the program's WinMain; whenever it waits for input, the next step of
// the script runs. A script ends by closing the program; one that runs out
// first is a problem, and the program is told to quit.
using Step = std::function<void()>;
using WinMainFunction = int(WINAPI*)(HINSTANCE, HINSTANCE, LPSTR, int);
int RunWinMain(std::vector<Step> script, WinMainFunction winMain = &WinMain);

// Steps as a user takes them, on the window whose handle is in `*window` when
// the step runs (a program stores its main window's handle at start-up).
Step PostCommand(HWND* window, int command);  // as the menu sends it
Step PostClose(HWND* window);                 // the window's close box
// A press of `button` at client point (x, y), a move by (dx, dy), a release:
// three steps, each taken when the program is ready for the next.
void AddDrag(std::vector<Step>* script, HWND* window, unsigned button, int x, int y, int dx, int dy);
// Answers the next template dialog: `text` typed into `item`, then OK.
void AnswerDialogText(int item, const std::string& text);

}  // namespace headless
