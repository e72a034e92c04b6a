#include "sample_app.h"

#include <GL/gl.h>
#include <commctrl.h>
#include <commdlg.h>

#include <cstdio>

#include "fixtures/sample_resource.h"

SampleApp sample;

namespace {

HINSTANCE sampleInstance;

void Clear() {
    glClearColor(GetRValue(sample.clearColor) / 255.0f, GetGValue(sample.clearColor) / 255.0f,
                 GetBValue(sample.clearColor) / 255.0f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SwapBuffers(GetDC(sample.window));
}

void SetColour(COLORREF colour, UINT item) {
    sample.clearColor = colour;
    CheckMenuItem(sample.menu, IDM_RED, MF_BYCOMMAND | (item == IDM_RED ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(sample.menu, IDM_BLUE, MF_BYCOMMAND | (item == IDM_BLUE ? MF_CHECKED : MF_UNCHECKED));
    InvalidateRect(sample.window, nullptr, FALSE);
}

INT_PTR CALLBACK LevelProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        SetDlgItemTextA(dialog, IDC_LEVEL, "0.7");
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    if (LOWORD(wParam) == IDOK) {
        char text[20];
        GetDlgItemTextA(dialog, IDC_LEVEL, text, sizeof text);
        sample.level = text;
        EndDialog(dialog, 1);
    } else if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
    }
    return TRUE;
}

void Command(WORD id) {
    sample.events.push_back("command " + std::to_string(id));
    switch (id) {
    case IDM_RED: SetColour(RGB(255, 0, 0), IDM_RED); break;
    case IDM_BLUE: SetColour(RGB(0, 0, 255), IDM_BLUE); break;
    case IDM_PLAY: SetTimer(sample.window, 1, 100, nullptr); break;
    case IDM_LEVEL: DialogBoxParamA(sampleInstance, MAKEINTRESOURCE(IDD_LEVEL), sample.window, LevelProc, 0); break;
    case IDM_OPEN: {
        char path[256] = "";
        OPENFILENAMEA request = {};
        request.lStructSize = sizeof request;
        request.hwndOwner = sample.window;
        request.lpstrFilter = "Text (*.txt)\0*.txt\0All\0*.*\0";
        request.nFilterIndex = 1;
        request.lpstrFile = path;
        request.nMaxFile = sizeof path;
        request.lpstrTitle = "Open Text";
        request.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
        if (GetOpenFileNameA(&request)) SetWindowTextA(sample.window, path);
        break;
    }
    case IDM_SAVE: MessageBoxA(nullptr, "Saved", nullptr, MB_OK); break;
    case IDM_QUIT: PostMessageA(sample.window, WM_CLOSE, 0, 0); break;
    }
}

LRESULT CALLBACK SampleProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        sample.events.push_back("create");
        sample.windowKnownDuringCreate = sample.window != nullptr;
        HDC dc = GetDC(window);
        PIXELFORMATDESCRIPTOR format = {};
        format.nSize = sizeof format;
        format.nVersion = 1;
        format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        format.cColorBits = 24;
        format.cDepthBits = 32;
        SetPixelFormat(dc, ChoosePixelFormat(dc, &format), &format);
        sample.context = wglCreateContext(dc);
        wglMakeCurrent(dc, sample.context);
        return 0;
    }
    case WM_SIZE:
        sample.events.push_back("size " + std::to_string(LOWORD(lParam)) + "x" + std::to_string(HIWORD(lParam)));
        if (sample.statusBar) MoveWindow(sample.statusBar, 0, 0, 0, 0, TRUE);
        if (sample.toolbar) MoveWindow(sample.toolbar, 0, 0, 0, 0, TRUE);
        glViewport(0, 0, LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        sample.events.push_back("paint");
        Clear();
        EndPaint(window, &paint);
        return 0;
    }
    case WM_TIMER: {
        static char text[32];
        std::snprintf(text, sizeof text, "tick %d", ++sample.ticks);
        PostMessageA(sample.statusBar, SB_SETTEXT, 0, LPARAM(text));
        return 0;
    }
    case WM_COMMAND:
        Command(LOWORD(wParam));
        return 0;
    case WM_CLOSE:
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(sample.context);
        ReleaseDC(window, GetDC(window));
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(7);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    sample = SampleApp{};
    sampleInstance = instance;
    sample.clearColor = RGB(0, 0, 255);
    InitCommonControls();
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = SampleProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCE(IDI_APP));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszMenuName = MAKEINTRESOURCE(IDR_MAINMENU);
    windowClass.lpszClassName = "Sample";
    RegisterClassA(&windowClass);
    sample.window = CreateWindowExA(0, "Sample", "Sample", 0x06CF0000, 100, 100, 400, 300, nullptr, nullptr,
                                    instance, nullptr);
    sample.menu = GetMenu(sample.window);
    sample.statusBar = CreateWindowExA(WS_EX_TOPMOST, STATUSCLASSNAMEA, "", 0x50000100, 0, 0, 0, 0, sample.window,
                                       HMENU(100), instance, nullptr);
    int edge = -1;
    SendMessageA(sample.statusBar, SB_SETPARTS, 1, LPARAM(&edge));
    sample.toolbar = CreateWindowExA(0, TOOLBARCLASSNAMEA, "", 0x50000120, 0, 0, 0, 0, sample.window, HMENU(107),
                                     instance, nullptr);
    SendMessageA(sample.toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    TBADDBITMAP bitmap = {instance, IDB_TOOLBAR};
    SendMessageA(sample.toolbar, TB_ADDBITMAP, 3, LPARAM(&bitmap));
    TBBUTTON buttons[3] = {{0, IDM_RED, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0},
                           {1, IDM_BLUE, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0},
                           {2, IDM_PLAY, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0}};
    SendMessageA(sample.toolbar, TB_ADDBUTTONS, 3, LPARAM(buttons));
    ShowWindow(sample.window, SW_SHOW);
    PostMessageA(sample.statusBar, SB_SETTEXT, 0, LPARAM("Ready"));

    HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCE(IDR_ACCELERATORS));
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0)) {
        TranslateAcceleratorA(sample.window, accelerators, &message);
        DispatchMessageA(&message);
    }
    return int(message.wParam);
}
