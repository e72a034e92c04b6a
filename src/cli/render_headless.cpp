// render on Linux: the program's own WinMain on the headless backend,
// driven by the commands, dialog answers and mouse drags a user would give.
#include <windows.h>

#include <cstdlib>

#include "../../res/resource.h"
#include "headless/headless.h"
#include "picture_kinds.h"
#include "render_drawing.h"
#include "state/viewer_state.h"

using headless::Step;

namespace {

const int kDragX = 192, kDragY = 200;  // where the drags start, inside the default drawing area

}  // namespace

std::string RenderInViewer(const RenderRequest& r, const std::string& writeTo) {
    headless::Reset();
    viewer = ViewerState{};
    std::string written;
    Md2Model probe{};
    RenderPlan plan;
    const std::string problem = PlanRender(r, &probe, &plan);
    if (!problem.empty()) return problem;
    ReleaseModel(&probe);  // the viewer reads it again, through its open dialog
    const std::vector<int32_t>& frames = plan.frames;
    const Bounds& bounds = plan.bounds;

    std::vector<Step> script;
    for (int step = 0; step < kSizingSteps; step++) script.push_back([&r] { ResizeTowardDrawingArea(r.width, r.height); });
    script.push_back([&r, &written] { written = DrawingAreaProblem(r.width, r.height); });
    if (r.background) {
        headless::AnswerColor(RGB(r.backgroundRgb >> 16 & 0xFF, r.backgroundRgb >> 8 & 0xFF, r.backgroundRgb & 0xFF));
        script.push_back(headless::PostCommand(&viewer.hWnd, IDM_BACKGROUND_COLOR));
    }
    headless::AnswerFile(r.model);
    script.push_back(headless::PostCommand(&viewer.hWnd, IDM_OPEN_MODEL));
    if (!r.gamma.empty()) {
        headless::AnswerDialogText(IDC_GAMMA, r.gamma);
        script.push_back(headless::PostCommand(&viewer.hWnd, IDM_GAMMA));
    }
    if (r.mipmapsOff) script.push_back(headless::PostCommand(&viewer.hWnd, IDM_MIPMAP));
    if (!r.skin.empty()) {
        headless::AnswerFile(r.skin);
        script.push_back(headless::PostCommand(&viewer.hWnd, IDM_CHOOSE_SKIN));
    }
    if (r.mode == "wire") script.push_back(headless::PostCommand(&viewer.hWnd, IDM_WIREFRAME));
    if (r.mode == "nearest") script.push_back(headless::PostCommand(&viewer.hWnd, IDM_TEXTURED_NEAREST));
    if (r.mode == "linear") script.push_back(headless::PostCommand(&viewer.hWnd, IDM_TEXTURED_LINEAR));
    for (int step = 0; step < std::abs(r.zoom); step++) script.push_back(headless::PostCommand(&viewer.hWnd, r.zoom > 0 ? IDM_ZOOM_IN : IDM_ZOOM_OUT));
    if (r.orbitX || r.orbitY) headless::AddDrag(&script, &viewer.hWnd, MK_LBUTTON, kDragX, kDragY, r.orbitX, r.orbitY);
    if (r.pan) headless::AddDrag(&script, &viewer.hWnd, MK_RBUTTON, kDragX, kDragY, 0, r.pan);

    if (r.fit) script.push_back([&bounds] { FitCamera(bounds); });
    if (r.sheetColumns == 0 && !IsGif(r.output) && !IsPng(r.output)) {
        // One frame: stepped to as a user would, then the viewer's own screenshot.
        script.push_back(headless::PostCommand(&viewer.hWnd, IDM_FIRST_FRAME));
        for (int32_t f = 0; f < frames[0]; f++) script.push_back(headless::PostCommand(&viewer.hWnd, IDM_NEXT_FRAME));
        headless::AnswerFile(writeTo, IsTga(r.output) ? 2 : 1);
        script.push_back(headless::PostCommand(&viewer.hWnd, IDM_SCREENSHOT));
    } else {
        script.push_back([&r, &writeTo, &frames, &written] {
            written = WritePictures(r, writeTo, frames);
        });
    }
    script.push_back(headless::PostClose(&viewer.hWnd));
    headless::RunWinMain(script);
    for (const std::string& p : headless::Problems()) written += (written.empty() ? "" : "; ") + p;
    for (const headless::ShownModal& shown : headless::ShownModals())
        if (shown.kind == headless::Shown::MessageBox) {
            std::string text = shown.text;
            for (size_t at; (at = text.find(writeTo)) != std::string::npos;) text.replace(at, writeTo.size(), r.output);
            written += (written.empty() ? "" : "; ") + text;
        }
    if (viewer.model.loaded) ReleaseModel(&viewer.model);
    headless::Reset();
    return written;
}

