// Start-up, the main window with its bars, and the window procedure.
#include <windows.h>

#include <commctrl.h>

#include "../../res/resource.h"
#include "../render/camera.h"
#include "../render/frame_drawing.h"
#include "../render/scene.h"
#include "../state/viewer_state.h"
#include "shell.h"

namespace {

const int kStatusBarId = 100;
const int kToolbarId = 107;
const int kToolbarImages = 9;
const DWORD kMainWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
const DWORD kStatusBarStyle = WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP;
const DWORD kToolbarStyle = WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS | CCS_ADJUSTABLE;
const int kWidth = 400, kHeight = 500;

const int kToolbarCommands[kToolbarImages] = {IDM_PLAY,       IDM_STOP,    IDM_FIRST_FRAME,
                                              IDM_PREV_FRAME, IDM_NEXT_FRAME, IDM_LAST_FRAME,
                                              IDM_ZOOM_IN,    IDM_ZOOM_OUT, IDM_SCREENSHOT};

void CreateStatusBar() {
    viewer.hStatus = CreateWindowExA(WS_EX_TOPMOST, STATUSCLASSNAMEA, "", kStatusBarStyle, 0, 0, 0, 0, viewer.hWnd,
                                     reinterpret_cast<HMENU>(intptr_t(kStatusBarId)), viewer.hInstance, nullptr);
    int rightEdges[1] = {-1};
    SendMessageA(viewer.hStatus, SB_SETPARTS, 1, LPARAM(rightEdges));
}

void CreateToolbar() {
    viewer.hToolbar = CreateWindowExA(0, TOOLBARCLASSNAMEA, "", kToolbarStyle, 0, 0, 0, 0, viewer.hWnd,
                                      reinterpret_cast<HMENU>(intptr_t(kToolbarId)), viewer.hInstance, nullptr);
    // The record's size for this build: 20 bytes on 32-bit Windows, 32 on 64-bit.
    SendMessageA(viewer.hToolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    TBADDBITMAP bitmap = {viewer.hInstance, IDB_TOOLBAR};
    SendMessageA(viewer.hToolbar, TB_ADDBITMAP, kToolbarImages, LPARAM(&bitmap));
    TBBUTTON buttons[kToolbarImages] = {};
    for (int i = 0; i < kToolbarImages; i++) {
        buttons[i].iBitmap = i;
        buttons[i].idCommand = kToolbarCommands[i];
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = TBSTYLE_BUTTON;
    }
    SendMessageA(viewer.hToolbar, TB_ADDBUTTONS, kToolbarImages, LPARAM(buttons));
}

void OnCreate(HWND hWnd) {
    viewer.hWnd = hWnd;  // so that the resize that comes during creation can measure the window
    viewer.hDC = GetDC(hWnd);
    if (!SetupPixelFormat(viewer.hDC)) {
        MessageBoxA(nullptr, "Error on SetupPixelFormat()", "Velmorin", MB_OK);
        PostQuitMessage(1);
    }
    InitGL(viewer.hDC, &viewer.hGLRC);
}

void OnSize() {
    ResizeGL();
    MoveWindow(viewer.hStatus, 0, 0, 0, 0, TRUE);  // each bar re-fits itself to the window's edge
    MoveWindow(viewer.hToolbar, 0, 0, 0, 0, TRUE);
    RenderScene();
}

void OnTimer() {
    if (viewer.model.loaded == 0) return;
    viewer.currentFrame += 1;
    if (viewer.currentFrame >= viewer.model.numFrames) viewer.currentFrame = 0;
    DrawFrame(viewer.model, viewer.currentFrame);  // with the projection of the last redraw
    SwapBuffers(viewer.hDC);
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
    PrepareViewer(hInstance);
    CreateMainWindow();
    SetStatusText("Welcome!", 0);
    CheckMenuItem(viewer.hMenu, IDM_MIPMAP, MF_BYCOMMAND | MF_CHECKED);
    viewer.mipmapsOff = 0;

    HACCEL accelerators = LoadAcceleratorsA(hInstance, MAKEINTRESOURCE(IDR_ACCELERATORS));
    MSG message;
    // Keys become commands through the accelerators, never characters: no
    // message is translated into WM_CHAR.
    while (GetMessageA(&message, nullptr, 0, 0)) {
        TranslateAcceleratorA(viewer.hWnd, accelerators, &message);
        DispatchMessageA(&message);
    }
    return 1;
}

void PrepareViewer(HINSTANCE hInstance) {
    viewer.hInstance = hInstance;
    viewer.timerId = 1;
    viewer.gamma = 0.7f;
    viewer.playing = 0;
    viewer.eye = Vec3{100, 0, 0};
    viewer.center = Vec3{0, 0, 0};
    for (COLORREF& colour : viewer.customColors) colour = 0;
    InitCommonControls();
    viewer.model.loaded = 0;
    viewer.model.textureLoaded = 0;
}

void CreateMainWindow() {
    BuildMainWindow();
    ShowWindow(viewer.hWnd, SW_SHOW);
}

void BuildMainWindow() {
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WndProc;
    windowClass.hInstance = viewer.hInstance;
    windowClass.hIcon = LoadIconA(viewer.hInstance, MAKEINTRESOURCE(IDI_APP));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(intptr_t(COLOR_WINDOWFRAME + 1));
    windowClass.lpszMenuName = MAKEINTRESOURCE(IDR_MAINMENU);
    windowClass.lpszClassName = "Velmorin";
    RegisterClassA(&windowClass);
    viewer.hWnd = CreateWindowExA(0, "Velmorin", "Velmorin", kMainWindowStyle, screenWidth / 2 - kWidth / 2,
                                  screenHeight / 2 - kHeight / 2, kWidth, kHeight, nullptr, nullptr,
                                  viewer.hInstance, nullptr);
    viewer.hMenu = GetMenu(viewer.hWnd);
    CreateStatusBar();
    CreateToolbar();
    ResizeGL();  // the viewport now leaves out the bars, as every later resize does
}

LRESULT CALLBACK WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        OnCreate(hWnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_SIZE:
        OnSize();
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(hWnd, &paint);
        RenderScene();
        EndPaint(hWnd, &paint);
        return 0;
    }
    case WM_CLOSE:
        ReleaseGL();
        ReleaseDC(hWnd, viewer.hDC);
        DestroyWindow(hWnd);
        return 0;
    case WM_COMMAND:
        HandleCommand(hWnd, wParam);
        return 0;
    case WM_TIMER:
        OnTimer();
        return 0;
    case WM_MOUSEMOVE:
        if (wParam & MK_LBUTTON) OrbitCamera();
        if (wParam & MK_RBUTTON) PanCamera();  // after an orbit the cursor is back: a redraw only
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        GetCursorPos(&viewer.pressPoint);
        return 0;
    default:
        return DefWindowProcA(hWnd, message, wParam, lParam);
    }
}
