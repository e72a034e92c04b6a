// The headless backend: no display. The clock is virtual, dialogs are
// answered from a queue, the program's waits run a test's script, and GL goes
// to EGL pbuffers.
#include <algorithm>
#include <deque>
#include <map>

#include "../core/internal.h"
#include "egl_surface.h"
#include "headless.h"

namespace headless {
namespace {

struct Answer {
    enum Kind { File, Color, Dialog, Ok, Cancel } kind = Cancel;
    std::string path;
    DWORD filterIndex = 1;
    COLORREF color = 0;
    std::vector<COLORREF> addedToCustom;
    std::vector<DialogStep> steps;
    unsigned openForMs = 0;
};

struct OpenModal {
    Modal* modal = nullptr;
    bool answered = false;  // an answer was queued for it
    Answer answer;
    uint64_t openUntil = 0;
    bool applied = false;
};

uint64_t clock = 0;
uint64_t clockTarget = 0;
std::deque<Answer> answers;
std::vector<OpenModal> openModals;
std::vector<ShownModal> shown;
std::vector<std::string> statusTexts;
std::map<std::pair<HWND, size_t>, std::string> lastStatusText;
std::vector<std::string> problems;
std::deque<Step> script;
bool quitSeen = false;
bool programRunning = false;
int quitCode = 0;
int swapCount = 0;
std::vector<std::string> menuLoopStates;
ResourceBundle scriptBundle;
std::string bundleScript, bundleHeaderName, bundleHeader;

const char* KindName(ModalKind kind) {
    switch (kind) {
    case ModalKind::MessageBox: return "message box";
    case ModalKind::OpenFile: return "open chooser";
    case ModalKind::SaveFile: return "save chooser";
    case ModalKind::Color: return "colour chooser";
    default: return "dialog";
    }
}

ShownModal Describe(const Modal& modal) {
    ShownModal entry;
    entry.kind = Shown(int(modal.kind));
    entry.owner = modal.owner;
    entry.title = modal.caption;
    entry.text = modal.text;
    entry.type = modal.type;
    if (modal.file) {
        entry.title = modal.file->lpstrTitle ? modal.file->lpstrTitle : "";
        entry.filters = FilterPairs(modal.file->lpstrFilter);
        entry.filterIndex = modal.file->nFilterIndex;
        entry.flags = modal.file->Flags;
        entry.initialFile = modal.file->lpstrFile;
        entry.owner = modal.file->hwndOwner;
    }
    if (modal.color) entry.flags = modal.color->Flags;
    if (modal.dialog) {
        entry.title = modal.dialog->text;
        entry.templateId = modal.templateId;
        for (HWND item : modal.dialog->children) entry.items.emplace_back(item->id, item->text);
    }
    return entry;
}

void Problem(const std::string& what) { problems.push_back(what); }

// The modal loop is waiting for a message: an empty one wakes it to see it is done.
void Finish(Modal* modal) {
    modal->done = true;
    PostMessageA(nullptr, WM_NULL, 0, 0);
}

void CloseUnanswered(Modal* modal) {
    if (modal->dialog) EndDialog(modal->dialog, IDCANCEL);
    modal->accepted = false;
    modal->result = IDCANCEL;
    Finish(modal);
}

bool Fits(const Answer& answer, ModalKind kind) {
    switch (answer.kind) {
    case Answer::File: return kind == ModalKind::OpenFile || kind == ModalKind::SaveFile;
    case Answer::Color: return kind == ModalKind::Color;
    case Answer::Dialog: return kind == ModalKind::Dialog;
    case Answer::Ok: return kind == ModalKind::MessageBox;
    default: return true;
    }
}

void PressItem(HWND dialog, int item) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(item, BN_CLICKED), LPARAM(GetDlgItem(dialog, item)));
}

void Apply(OpenModal& open) {
    Modal* modal = open.modal;
    if (!open.answered || open.applied) {
        Problem(std::string(open.applied ? "still open after its answer: " : "no answer for the ") +
                KindName(modal->kind) + " \"" + Describe(*modal).title + "\"");
        CloseUnanswered(modal);
        return;
    }
    open.applied = true;
    const Answer& answer = open.answer;
    if (!Fits(answer, modal->kind)) {
        Problem(std::string("the next answer does not fit the ") + KindName(modal->kind));
        CloseUnanswered(modal);
        return;
    }
    if (modal->kind == ModalKind::Dialog) {
        if (answer.kind == Answer::Cancel) PressItem(modal->dialog, IDCANCEL);
        for (const DialogStep& step : answer.steps) {
            if (step.key) PressKey(step.key);
            else if (step.press) PressItem(modal->dialog, step.item);
            else SetDlgItemTextA(modal->dialog, step.item, step.text.c_str());
        }
        return;  // the dialog's procedure ends it when it gets the press
    }
    modal->accepted = answer.kind != Answer::Cancel;
    modal->result = modal->accepted ? IDOK : IDCANCEL;
    modal->path = answer.path;
    modal->filterIndex = answer.filterIndex;
    modal->chosenColor = answer.color;
    for (COLORREF colour : answer.addedToCustom) AddCustomColor(modal, colour);
    Finish(modal);
}

void MoveClockToward(uint64_t target, int64_t timeoutMs) {
    clock = timeoutMs >= 0 ? std::min(target, clock + uint64_t(timeoutMs)) : target;
}

// --- the backend table ---

uint64_t Clock() { return clock; }

void ScreenSize(int* width, int* height) {
    *width = 1280;
    *height = 1024;
}

void WaitEvents(int64_t timeoutMs) {
    uint64_t target = clockTarget;
    if (!openModals.empty() && !openModals.back().applied) target = std::max(target, openModals.back().openUntil);
    if (clock < target) {
        MoveClockToward(target, timeoutMs);
    } else if (!openModals.empty()) {
        Apply(openModals.back());
    } else if (!script.empty()) {
        Step step = std::move(script.front());
        script.pop_front();
        step();
    } else {
        Problem("the script ran out while the program waited");
        PostQuitMessage(-1);
    }
}

void WindowChanged(HWND window) {
    EglResizeSurface(window);
    if (window->className != STATUSCLASSNAMEA) return;
    for (size_t part = 0; part < window->statusParts.size(); part++) {
        std::string& last = lastStatusText[{window, part}];
        if (window->statusParts[part].text != last) {
            last = window->statusParts[part].text;
            statusTexts.push_back(last);
        }
    }
}

void WarpCursor(int, int) {}

// No window manager here: the system menu's commands take effect at once, as
// Windows' own do. Moving and sizing from the keyboard are not played.
void SystemCommand(HWND window, UINT command) {
    if (command == SC_MAXIMIZE) ZoomWindow(window, true);
    else if (command == SC_MINIMIZE) WindowStateChanged(window, WS_MINIMIZE | (window->style & WS_MAXIMIZE));
    else if (command == SC_RESTORE && (window->style & WS_MINIMIZE)) WindowStateChanged(window, window->style & WS_MAXIMIZE);
    else if (command == SC_RESTORE) ZoomWindow(window, false);
}

void SwapWindowBuffers(HWND window) {
    EglSwapBuffers(window);
    swapCount++;
}

void BeginModal(Modal* modal) {
    shown.push_back(Describe(*modal));
    OpenModal open;
    open.modal = modal;
    open.answered = !answers.empty();
    open.openUntil = clock;
    if (open.answered) {
        open.answer = answers.front();
        answers.pop_front();
        open.openUntil = clock + open.answer.openForMs;
    }
    openModals.push_back(open);
}

void EndModal(Modal*) { openModals.pop_back(); }

void QueueAnswer(Answer answer) { answers.push_back(std::move(answer)); }

}  // namespace

void Reset() {
    ResetPlatformCore();
    clock = clockTarget = 0;
    answers.clear();
    openModals.clear();
    shown.clear();
    statusTexts.clear();
    lastStatusText.clear();
    problems.clear();
    script.clear();
    quitSeen = false;
    quitCode = swapCount = 0;
    menuLoopStates.clear();
    UseResources(nullptr);
}

void UseResourceScript(const char* script, const char* headerName, const char* header) {
    bundleScript = script;
    bundleHeaderName = headerName ? headerName : "";
    bundleHeader = header ? header : "";
    scriptBundle = ResourceBundle{bundleScript.c_str(), bundleHeaderName.c_str(), bundleHeader.c_str(), nullptr, 0};
    UseResources(&scriptBundle);
}

DialogStep SetItemText(int item, const std::string& text) { return DialogStep{item, text, false}; }
DialogStep PressButton(int item) { return DialogStep{item, "", true}; }
DialogStep PressDialogKey(int virtualKey) { return DialogStep{0, "", false, virtualKey}; }

void AnswerFile(const std::string& path, DWORD filterIndex, unsigned openForMs) {
    QueueAnswer(Answer{Answer::File, path, filterIndex, 0, {}, {}, openForMs});
}
void AnswerColor(COLORREF color, unsigned openForMs, const std::vector<COLORREF>& addedToCustom) {
    QueueAnswer(Answer{Answer::Color, "", 1, color, addedToCustom, {}, openForMs});
}
void AnswerDialog(std::vector<DialogStep> steps, unsigned openForMs) {
    QueueAnswer(Answer{Answer::Dialog, "", 1, 0, {}, std::move(steps), openForMs});
}
void AnswerOk(unsigned openForMs) { QueueAnswer(Answer{Answer::Ok, "", 1, 0, {}, {}, openForMs}); }
void AnswerCancel(unsigned openForMs) { QueueAnswer(Answer{Answer::Cancel, "", 1, 0, {}, {}, openForMs}); }

const std::vector<ShownModal>& ShownModals() { return shown; }
const std::vector<std::string>& StatusTexts() { return statusTexts; }
const std::vector<std::string>& Problems() { return problems; }

void ForgetShown() {
    shown.clear();
    shown.shrink_to_fit();
    statusTexts.clear();
    statusTexts.shrink_to_fit();
}

std::string StatusText(HWND statusBar, int part) {
    if (!LiveWindow(statusBar) || part < 0 || size_t(part) >= statusBar->statusParts.size()) return "";
    return statusBar->statusParts[part].text;
}

bool MenuItemChecked(HMENU menu, UINT id) {
    const MenuItem* item = MenuItemById(menu, id);
    return item && (item->state & MF_CHECKED);
}

void PressKey(int virtualKey, unsigned modifiers) {
    KeyDown(virtualKey, modifiers);
    KeyUp(virtualKey, modifiers);
}

void KeyDown(int virtualKey, unsigned modifiers) { InputKey(virtualKey, true, modifiers); }
void KeyUp(int virtualKey, unsigned modifiers) { InputKey(virtualKey, false, modifiers); }

void MoveCursor(POINT screen) { InputCursorMoved(screen); }

void MoveCursorToClient(HWND window, int x, int y) { MoveCursor(ClientToScreenPoint(window, POINT{x, y})); }

void MouseDown(unsigned button) { InputMouseButton(button, true); }
void MouseUp(unsigned button) { InputMouseButton(button, false); }

void ClickToolbarButton(HWND toolbar, int index) {
    if (!LiveWindow(toolbar) || index < 0 || size_t(index) >= toolbar->toolbar.buttons.size()) return;
    const RECT r = ToolbarButtonRect(toolbar, index);
    MoveCursorToClient(toolbar, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    MouseDown(MK_LBUTTON);
    MouseUp(MK_LBUTTON);
}

void ResizeWindow(HWND window, int width, int height) {
    if (LiveWindow(window)) MoveWindow(window, window->rect.left, window->rect.top, width, height, TRUE);
}

uint64_t Now() { return clock; }

void AdvanceClock(uint64_t milliseconds) { clock += milliseconds; }

void RunFor(uint64_t milliseconds) {
    clockTarget = std::max(clockTarget, clock + milliseconds);
    if (!programRunning) PumpUntilIdle();
}

void PumpUntilIdle() {
    for (;;) {
        MSG message;
        if (RetrieveMessage(&message, false)) {
            if (message.message == WM_QUIT) {
                quitSeen = true;
                quitCode = int(message.wParam);
            } else {
                DispatchMessageA(&message);
            }
        } else if (clock < clockTarget) {
            MoveClockToward(clockTarget, MillisecondsToNextTimer());
        } else {
            return;
        }
    }
}

bool QuitSeen(int* exitCode) {
    if (exitCode) *exitCode = quitCode;
    return quitSeen;
}

COLORREF Picture::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return COLORREF(-1);
    const unsigned char* p = &rgb[(size_t(y) * width + x) * 3];
    return RGB(p[0], p[1], p[2]);
}

Picture ShownPicture(HWND window) {
    const EglPicture* picture = EglShownPicture(LiveWindow(window));
    return picture ? Picture{picture->width, picture->height, picture->rgb} : Picture{};
}

int SwapCount() { return swapCount; }

size_t WindowRecords() { return WindowRecordCount(); }

const std::vector<std::string>& MenuLoopStates() { return menuLoopStates; }

void ShowMenuLoop(const MenuLoop* loop) { menuLoopStates.push_back(loop->done ? "done" : MenuLoopText(*loop)); }

Step PostCommand(HWND* window, int command) {
    return [window, command] { PostMessageA(*window, WM_COMMAND, WPARAM(command), 0); };
}

Step PostClose(HWND* window) {
    return [window] { PostMessageA(*window, WM_CLOSE, 0, 0); };
}

void AddDrag(std::vector<Step>* script, HWND* window, unsigned button, int x, int y, int dx, int dy) {
    script->push_back([=] {
        MoveCursorToClient(*window, x, y);
        MouseDown(button);
    });
    script->push_back([=] { MoveCursorToClient(*window, x + dx, y + dy); });
    script->push_back([=] { MouseUp(button); });
}

void AnswerDialogText(int item, const std::string& text) { AnswerDialog({SetItemText(item, text), PressButton(IDOK)}); }

int RunWinMain(std::vector<Step> steps, WinMainFunction winMain) {
    script.assign(std::make_move_iterator(steps.begin()), std::make_move_iterator(steps.end()));
    programRunning = true;
    const int exitCode = winMain(ModuleInstance(), nullptr, const_cast<LPSTR>(""), SW_SHOWNORMAL);
    programRunning = false;
    if (!script.empty()) Problem(std::to_string(script.size()) + " script steps were not run");
    script.clear();
    return exitCode;
}

}  // namespace headless

namespace {

// No fonts here: Windows' base units for the dialogs' 8-point MS Sans Serif
// at 96 dpi (6 x 13), in proportion for other sizes.
void DialogBaseUnits(const std::string&, int points, int* x, int* y) {
    const int size = points > 0 ? points : 8;
    *x = (6 * size + 4) / 8;
    *y = (13 * size + 4) / 8;
}

// Windows' menu font, 9-point Segoe UI, averages about 7 pixels a letter.
int MenuTextWidth(const std::string& text) {
    return int(7 * std::count_if(text.begin(), text.end(), [](char c) { return c != '&'; }));
}

PlatformBackend MakeBackend() {
    PlatformBackend backend = {};
    backend.now = headless::Clock;
    backend.screenSize = headless::ScreenSize;
    backend.waitEvents = headless::WaitEvents;
    backend.windowChanged = headless::WindowChanged;
    backend.windowDestroyed = EglDestroySurface;
    backend.warpCursor = headless::WarpCursor;
    backend.createSurface = EglCreateSurface;
    backend.createContext = EglCreateContext;
    backend.makeCurrent = EglMakeCurrent;
    backend.deleteContext = EglDeleteContext;
    backend.swapBuffers = headless::SwapWindowBuffers;
    backend.beginModal = headless::BeginModal;
    backend.endModal = headless::EndModal;
    backend.showMenuLoop = headless::ShowMenuLoop;
    backend.dialogBaseUnits = DialogBaseUnits;
    backend.menuTextWidth = MenuTextWidth;
    backend.systemCommand = headless::SystemCommand;
    return backend;
}

}  // namespace

extern const PlatformBackend platformBackend = MakeBackend();
