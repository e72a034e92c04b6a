// Every command of the menu, toolbar and accelerators, and the two flows
// that choose files.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "../../res/resource.h"
#include "../formats/md2.h"
#include "../formats/pcx.h"
#include "../render/camera.h"
#include "../render/capture.h"
#include "../render/scene.h"
#include "../render/skin.h"
#include "../state/flow_results.h"
#include "../state/viewer_state.h"
#include "shell.h"

namespace {

const UINT kAnimationPeriodMs = 100;
const DWORD kOpenFlags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;

// The open dialog; `path` holds 256 characters and comes back filled.
BOOL AskForFile(const char* filter, const char* title, char* path) {
    path[0] = '\0';
    OPENFILENAMEA request = {};
    request.lStructSize = sizeof request;
    request.hwndOwner = viewer.hWnd;
    request.lpstrFilter = filter;
    request.nFilterIndex = 1;
    request.lpstrFile = path;
    request.nMaxFile = 256;
    request.lpstrTitle = title;
    request.Flags = kOpenFlags;
    return GetOpenFileNameA(&request);
}

// After a flow's dialog closes, the new picture comes by a paint: asked for
// here, since a compositing desktop uncovers nothing.
void AfterFileDialog() {
    GetCursorPos(&viewer.pressPoint);
    InvalidateRect(viewer.hWnd, nullptr, FALSE);
}

void OpenModelCommand() {
    // A failed open has already left no model; a cancelled one keeps the old.
    if (OpenModel(&viewer.model) == kFlowSucceeded) SetRenderMode(RENDER_WIREFRAME);
    viewer.currentFrame = 0;
    AfterFileDialog();
}

void ChooseSkinCommand() {
    if (viewer.model.loaded == 0) {
        MessageBoxA(nullptr, "Please open a model first", nullptr, MB_OK);
        return;
    }
    const int result = ChooseSkin();
    if (result == kFlowFailed) MessageBoxA(nullptr, "Error loading texture", nullptr, MB_OK);
    else if (result == kFlowSucceeded) SetRenderMode(RENDER_NEAREST);
    AfterFileDialog();
}

void StartTimer() { SetTimer(viewer.hWnd, UINT_PTR(viewer.timerId), kAnimationPeriodMs, nullptr); }
void StopTimer() { KillTimer(viewer.hWnd, UINT_PTR(viewer.timerId)); }

// Frame commands act only with a model; stepping stops at the ends.
void ShowFrame(int32_t frame) {
    if (viewer.model.loaded != 1) return;
    if (frame >= 0 && frame < viewer.model.numFrames) viewer.currentFrame = frame;
    RenderScene();
}

void ToggleMipmaps() {
    viewer.mipmapsOff = viewer.mipmapsOff == 1 ? 0 : 1;
    CheckMenuItem(viewer.hMenu, IDM_MIPMAP, MF_BYCOMMAND | (viewer.mipmapsOff ? MF_UNCHECKED : MF_CHECKED));
    ReloadSkin();
    RenderScene();
}

void SetMode(int mode) {
    SetRenderMode(mode);
    RenderScene();
}

}  // namespace

int OpenModel(Md2Model* model) {
    char path[256];
    if (!AskForFile("Quake 2 MD2 file (*.md2)\0*.md2\0", "Open MD2", path)) return kFlowCancelled;
    if (model->loaded == 1) ReleaseModel(model);
    return LoadMD2(path, model) == 1 ? kFlowSucceeded : kFlowFailed;
}

int ChooseSkin() {
    char path[256];
    if (!AskForFile("PCX (*.pcx)\0*.pcx\0", "Open PCX Skin", path)) return kFlowCancelled;
    RgbImage image;
    if (!LoadPCX(path, &image)) return kFlowFailed;
    TakeSkin(path, image);
    return kFlowSucceeded;
}

void TakeSkin(const char* path, RgbImage image) {
    UploadSkin(image);
    std::snprintf(viewer.model.skinPath, sizeof viewer.model.skinPath, "%s", path);
    std::free(image.pixels);
}

void HandleCommand(HWND, WPARAM wParam) {
    switch (LOWORD(wParam)) {
    case IDM_QUIT: PostMessageA(viewer.hWnd, WM_CLOSE, 0, 0); break;
    case IDM_OPEN_MODEL: OpenModelCommand(); break;
    case IDM_ABOUT: ShowAboutDialog(); break;
    case IDM_WIREFRAME: SetMode(RENDER_WIREFRAME); break;
    case IDM_TEXTURED_NEAREST: SetMode(RENDER_NEAREST); break;
    case IDM_TEXTURED_LINEAR: SetMode(RENDER_LINEAR); break;
    case IDM_CHOOSE_SKIN: ChooseSkinCommand(); break;
    case IDM_GAMMA: ShowGammaDialog(); break;
    case IDM_PLAY:
        if (viewer.model.loaded == 1) StartTimer();
        viewer.playing = 1;
        break;
    case IDM_STOP:
        StopTimer();
        viewer.playing = 0;
        break;
    case IDM_FIRST_FRAME: ShowFrame(0); break;
    case IDM_LAST_FRAME: ShowFrame(viewer.model.numFrames - 1); break;
    case IDM_NEXT_FRAME: ShowFrame(viewer.currentFrame + 1); break;
    case IDM_PREV_FRAME: ShowFrame(viewer.currentFrame - 1); break;
    case IDM_ZOOM_IN: ZoomCamera(kZoomStep); break;
    case IDM_ZOOM_OUT: ZoomCamera(-kZoomStep); break;
    case IDM_SCREENSHOT:
        StopTimer();  // no frame moves on while the file is chosen and written
        SaveScreenShot();
        if (viewer.playing == 1) StartTimer();
        break;
    case IDM_MIPMAP: ToggleMipmaps(); break;
    case IDM_BACKGROUND_COLOR: ChooseBackgroundColor(); break;
    default: break;
    }
}
