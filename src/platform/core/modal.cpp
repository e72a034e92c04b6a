// Modal interactions: template dialogs, message boxes and the common dialogs.
// Each runs a nested message loop on the same thread, so paint and timer
// messages keep reaching their windows; when it closes, what it covered is
// repainted.
#include <unistd.h>

#include <cstring>

#include "internal.h"

namespace {

std::vector<Modal*> modals;

// Dialog units to pixels, rounded as MapDialogRect's MulDiv rounds: a unit
// is a quarter of the font's average letter across and an eighth of its
// height down.
struct BaseUnits {
    int x, y;
};
int Scaled(int units, int base, int parts) {
    const int64_t product = int64_t(units) * base;
    return int((product + (product >= 0 ? parts / 2 : -parts / 2)) / parts);
}
int DluX(int units, BaseUnits base) { return Scaled(units, base.x, 4); }
int DluY(int units, BaseUnits base) { return Scaled(units, base.y, 8); }

HWND DefaultButton(HWND dialog) {
    for (HWND child : dialog->children)
        if (child->className == "Button" && (child->style & 0x0F) == BS_DEFPUSHBUTTON) return child;
    return GetDlgItem(dialog, IDOK);
}

// Enter presses the default button and Escape cancels, as IsDialogMessage does.
bool HandleDialogKey(HWND dialog, const MSG& message) {
    if (message.message != WM_KEYDOWN) return false;
    HWND target = LiveWindow(message.hwnd);
    if (target != dialog && (!target || target->parent != dialog)) return false;
    if (message.wParam == VK_RETURN) {
        HWND button = DefaultButton(dialog);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button ? button->id : IDOK, BN_CLICKED), LPARAM(button));
        return true;
    }
    if (message.wParam == VK_ESCAPE) {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return true;
    }
    return false;
}

HWND CreateDialogWindow(const DialogTemplate& dialog, HWND owner) {
    const POINT origin = owner ? ClientToScreenPoint(owner, POINT{0, 0}) : POINT{0, 0};
    const DWORD style = (dialog.style | WS_POPUP) & ~WS_VISIBLE & ~WS_CHILD;
    const RECT frame = FrameInsetsFor(style, false);
    BaseUnits base = {};
    platformBackend.dialogBaseUnits(dialog.fontFace, dialog.fontSize, &base.x, &base.y);
    HWND window = CreateWindowExA(dialog.exStyle, "#32770", dialog.caption.c_str(), style,
                                  origin.x + DluX(dialog.x, base), origin.y + DluY(dialog.y, base),
                                  DluX(dialog.cx, base) + frame.left + frame.right,
                                  DluY(dialog.cy, base) + frame.top + frame.bottom, nullptr, nullptr,
                                  ModuleInstance(), nullptr);
    for (const DialogControlTemplate& c : dialog.controls)
        CreateWindowExA(c.exStyle, c.className.c_str(), c.text.c_str(), c.style | WS_CHILD, DluX(c.x, base),
                        DluY(c.y, base), DluX(c.cx, base), DluY(c.cy, base), window,
                        reinterpret_cast<HMENU>(intptr_t(c.id)), ModuleInstance(), nullptr);
    return window;
}

void RepaintTopLevelWindows() {
    for (HWND w : AllWindows())
        if (IsTopLevel(w) && w->visible) w->invalid = true;
}

bool BeginFileModal(ModalKind kind, LPOPENFILENAMEA request, Modal* modal) {
    if (!request || request->lStructSize != sizeof(OPENFILENAMEA) || !request->lpstrFile || !request->nMaxFile)
        return false;
    modal->kind = kind;
    modal->owner = request->hwndOwner;
    modal->file = request;
    modal->filterIndex = request->nFilterIndex;
    RunModal(modal);
    return true;
}

BOOL FinishFileModal(const Modal& modal, LPOPENFILENAMEA request) {
    if (!modal.accepted || modal.path.size() + 1 > request->nMaxFile) return FALSE;
    std::memcpy(request->lpstrFile, modal.path.c_str(), modal.path.size() + 1);
    request->nFilterIndex = modal.filterIndex;
    const size_t slash = modal.path.find_last_of("/\\");
    const size_t name = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = modal.path.find_last_of('.');
    request->nFileOffset = WORD(name);
    request->nFileExtension = WORD(dot == std::string::npos || dot < name ? 0 : dot + 1);
    // As on Windows: unless asked not to, the chosen file's folder becomes
    // the current one, where the next dialog without a folder starts.
    // A folder that cannot be entered leaves the current one: the file was
    // chosen all the same.
    if (!(request->Flags & OFN_NOCHANGEDIR) && name > 0)
        static_cast<void>(chdir(modal.path.substr(0, name).c_str()) == 0);
    return TRUE;
}

Modal NewModal(ModalKind kind, HWND owner) {
    Modal modal;
    modal.kind = kind;
    modal.owner = owner;
    return modal;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> FilterPairs(LPCSTR filter) {
    std::vector<std::pair<std::string, std::string>> pairs;
    while (filter && *filter) {
        std::string description = filter;
        filter += description.size() + 1;
        std::string pattern = filter;
        filter += pattern.size() + (*filter ? 1 : 0);
        pairs.emplace_back(description, pattern);
    }
    return pairs;
}

Modal* CurrentModal() { return modals.empty() ? nullptr : modals.back(); }

void ResetModals() { modals.clear(); }

void RunModal(Modal* modal) {
    modals.push_back(modal);
    platformBackend.beginModal(modal);
    while (!modal->done) {
        MSG message;
        RetrieveMessage(&message, true);
        if (message.message == WM_QUIT) {  // leave, and let the outer loop see it too
            PostQuitMessage(int(message.wParam));
            break;
        }
        if (modal->dialog && HandleDialogKey(modal->dialog, message)) continue;
        DispatchMessageA(&message);
    }
    platformBackend.endModal(modal);
    modals.pop_back();
    RepaintTopLevelWindows();
}

LRESULT CALLBACK DialogFrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window->dialogProc) {
        const INT_PTR handled = window->dialogProc(window, message, wParam, lParam);
        if (handled && message != WM_INITDIALOG) return handled;
    }
    if (message == WM_CLOSE) {
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE, LPCSTR name, HWND owner, DLGPROC proc, LPARAM initParam) {
    if (!IS_INTRESOURCE(name)) return -1;
    auto found = Resources().dialogs.find(LOWORD(name));
    if (found == Resources().dialogs.end()) return -1;
    HWND dialog = CreateDialogWindow(found->second, LiveWindow(owner));
    Modal modal = NewModal(ModalKind::Dialog, LiveWindow(owner));
    modal.dialog = dialog;
    modal.templateId = LOWORD(name);
    dialog->modal = &modal;
    dialog->dialogProc = proc;
    HWND first = dialog->children.empty() ? nullptr : dialog->children.front();
    SendMessageA(dialog, WM_INITDIALOG, WPARAM(first), initParam);
    ShowWindow(dialog, SW_SHOW);
    RunModal(&modal);
    DestroyWindow(dialog);
    return modal.result;
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
    if (!LiveWindow(dialog) || !dialog->modal) return FALSE;
    dialog->modal->result = int(result);
    dialog->modal->done = true;
    return TRUE;
}

BOOL WINAPI SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
    HWND item = GetDlgItem(dialog, id);
    return item ? SetWindowTextA(item, text) : FALSE;
}

UINT WINAPI GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int size) {
    HWND item = GetDlgItem(dialog, id);
    if (!item || !buffer || size <= 0) {
        if (buffer && size > 0) buffer[0] = '\0';
        return 0;
    }
    return UINT(GetWindowTextA(item, buffer, size));
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    Modal modal = NewModal(ModalKind::MessageBox, owner);
    modal.text = text ? text : "";
    modal.caption = caption ? caption : "Error";  // Windows' caption when none is given
    modal.type = type;
    modal.result = IDOK;
    RunModal(&modal);
    return modal.result;
}

BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA request) {
    Modal modal = NewModal(ModalKind::OpenFile, nullptr);
    return BeginFileModal(ModalKind::OpenFile, request, &modal) ? FinishFileModal(modal, request) : FALSE;
}

BOOL WINAPI GetSaveFileNameA(LPOPENFILENAMEA request) {
    Modal modal = NewModal(ModalKind::SaveFile, nullptr);
    return BeginFileModal(ModalKind::SaveFile, request, &modal) ? FinishFileModal(modal, request) : FALSE;
}

void AddCustomColor(Modal* modal, COLORREF colour) {
    if (!modal || !modal->color || !modal->color->lpCustColors) return;
    const int n = modal->customColorsAdded;
    modal->color->lpCustColors[(n % 2) * 8 + n / 2] = colour;
    modal->customColorsAdded = (n + 1) % 16;
}

BOOL WINAPI ChooseColorA(LPCHOOSECOLORA request) {
    if (!request || request->lStructSize != sizeof(CHOOSECOLORA) || !request->lpCustColors) return FALSE;
    Modal modal = NewModal(ModalKind::Color, request->hwndOwner);
    modal.color = request;
    modal.chosenColor = request->rgbResult;
    RunModal(&modal);
    if (!modal.accepted) return FALSE;
    request->rgbResult = modal.chosenColor;
    return TRUE;
}
