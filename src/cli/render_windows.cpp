// render on Windows: the viewer's own window, built but never shown, draws
// through WGL. What the dialogs would give is set as their OK would set it
// (the files read as bounded inputs, so any name reaches them); the menu's
// commands are sent as the menu sends them; a drag is the camera's own step.
#include <windows.h>

#include <cstdlib>
#include <utility>

#include "../../res/resource.h"
#include "input_files.h"
#include "render/camera_steps.h"
#include "render/capture.h"
#include "render/scene.h"
#include "render/skin.h"
#include "render_drawing.h"
#include "shell/shell.h"
#include "state/viewer_state.h"

namespace {

const LONG kLargestWindow = 32767;  // the largest side Windows and X give a window

WNDPROC viewerWindowProcedure = nullptr;

// The viewer's window procedure, with the window free to be any size: a
// picture may be larger than the screen, or smaller than a window is let be.
LRESULT CALLBACK AnySizeWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CallWindowProcA(viewerWindowProcedure, hWnd, message, wParam, lParam);
    if (message == WM_GETMINMAXINFO) {
        MINMAXINFO* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize = POINT{0, 0};
        limits->ptMaxTrackSize = POINT{kLargestWindow, kLargestWindow};
    }
    return result;
}

// Resizes the window until its drawing area is the size asked.
std::string SizeDrawingArea(int width, int height) {
    viewerWindowProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(viewer.hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AnySizeWndProc)));
    for (int step = 0; step < kSizingSteps; step++) ResizeTowardDrawingArea(width, height);
    return DrawingAreaProblem(width, height);
}

void SendCommand(int command) { SendMessageA(viewer.hWnd, WM_COMMAND, WPARAM(command), 0); }

// The skin as the Open PCX Skin dialog's choice loads it.
bool UseSkin(const std::string& path) {
    RgbImage image{};
    if (ReadPcxInput(path, &image).refusal != kPcxAccepted) return false;
    TakeSkin(path.c_str(), image);
    SetRenderMode(RENDER_NEAREST);
    return true;
}

// The viewer as the request's commands leave it, with the model open.
std::string SetUpViewer(const RenderRequest& r, Md2Model* model, const Bounds& bounds) {
    if (r.background) UseBackgroundColor(RGB(r.backgroundRgb >> 16 & 0xFF, r.backgroundRgb >> 8 & 0xFF, r.backgroundRgb & 0xFF));
    std::swap(viewer.model, *model);  // as the Open MD2 dialog's choice loads it
    SetRenderMode(RENDER_WIREFRAME);
    viewer.currentFrame = 0;
    if (!r.gamma.empty()) {
        viewer.gamma = GammaFromText(r.gamma.substr(0, size_t(kGammaTextLength)).c_str());
        ReloadSkin();
    }
    if (r.mipmapsOff) SendCommand(IDM_MIPMAP);
    if (!r.skin.empty() && !UseSkin(r.skin)) return "Error loading texture";
    if (r.mode == "wire") SendCommand(IDM_WIREFRAME);
    if (r.mode == "nearest") SendCommand(IDM_TEXTURED_NEAREST);
    if (r.mode == "linear") SendCommand(IDM_TEXTURED_LINEAR);
    for (int step = 0; step < std::abs(r.zoom); step++) SendCommand(r.zoom > 0 ? IDM_ZOOM_IN : IDM_ZOOM_OUT);
    // A drag is one mouse move, and the camera takes the press point minus where the cursor went.
    if (r.orbitX || r.orbitY) viewer.eye = OrbitedEye(viewer.eye, -r.orbitX, -r.orbitY);
    if (r.pan) viewer.center.y = PannedHeight(viewer.center.y, -r.pan);
    if (r.fit) FitCamera(bounds);
    return "";
}

}  // namespace

std::string RenderInViewer(const RenderRequest& r, const std::string& writeTo) {
    viewer = ViewerState{};
    Md2Model model{};
    RenderPlan plan;
    std::string problem = PlanRender(r, &model, &plan);
    if (!problem.empty()) return problem;
    PrepareViewer(GetModuleHandleA(nullptr));
    BuildMainWindow();
    if (!viewer.hWnd || !viewer.hGLRC) problem = "OpenGL could not be set up for drawing";
    if (problem.empty()) problem = SizeDrawingArea(r.width, r.height);
    if (problem.empty()) problem = SetUpViewer(r, &model, plan.bounds);
    if (problem.empty()) problem = WritePictures(r, writeTo, plan.frames);
    if (viewer.hWnd) SendMessageA(viewer.hWnd, WM_CLOSE, 0, 0);
    MSG quit;
    while (PeekMessageA(&quit, nullptr, 0, 0, PM_REMOVE)) {  // the closed window's last messages, its quit among them
    }
    for (Md2Model* held : {&model, &viewer.model})
        if (held->loaded) ReleaseModel(held);
    return problem;
}
