#include "capture.h"

#include <windows.h>

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>

#include "../formats/screenshot_files.h"
#include "../state/flow_results.h"
#include "../state/viewer_state.h"
#include "frame_drawing.h"
#include "scene.h"

namespace {

const char kNoModelText[] = "A black screen is no fun to look at.  Load a model first.";
const DWORD kBmpFilter = 1, kTgaFilter = 2;

// The path the user chose, or 0 when cancelled. "File must exist" is not
// asked for: it would forbid the new file the default name offers.
BOOL AskForPath(char* path, DWORD size, DWORD* filter) {
    std::snprintf(path, size, "%s.bmp", viewer.currentFrameName);
    OPENFILENAMEA request = {};
    request.lStructSize = sizeof request;
    request.hwndOwner = viewer.hWnd;
    request.lpstrFilter = "Windows Bitmap (*.bmp)\0*.bmp\0Targa (*.tga)\0*.tga\0";
    request.nFilterIndex = kBmpFilter;
    request.lpstrFile = path;
    request.nMaxFile = size;
    request.lpstrTitle = "Save Screen shot";
    request.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    if (!GetSaveFileNameA(&request)) return FALSE;
    *filter = request.nFilterIndex;
    return TRUE;
}

void ReportUnwritable(const char* path) {
    char text[320];
    std::snprintf(text, sizeof text, "Could not save the screen shot as %s", path);
    MessageBoxA(nullptr, text, nullptr, MB_OK);
}

}  // namespace

void ReadDrawingArea(const DrawingArea& area, unsigned char* pixels) {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    DrawFrame(viewer.model, viewer.currentFrame);
    glReadBuffer(GL_BACK);
    glReadPixels(area.x, area.y, area.width, area.height, GL_RGB, GL_UNSIGNED_BYTE, pixels);
}

int SaveScreenShot() {
    if (viewer.model.loaded == 0) {
        MessageBoxA(nullptr, kNoModelText, nullptr, MB_OK);
        return kFlowCancelled;
    }
    char path[256];
    DWORD filter = kBmpFilter;
    if (!AskForPath(path, sizeof path, &filter)) return kFlowCancelled;

    const DrawingArea area = MeasureDrawingArea();
    if (area.width <= 0 || area.height <= 0) return kFlowCancelled;  // nothing to save
    unsigned char* pixels = static_cast<unsigned char*>(std::malloc(size_t(area.width) * area.height * 3));
    if (!pixels) return kFlowFailed;

    ReadDrawingArea(area, pixels);
    const RgbImage image = {area.width, area.height, pixels};
    const int written = filter == kTgaFilter ? WriteTGA(path, image) : WriteBMP(path, image);
    std::free(pixels);
    if (!written) {
        ReportUnwritable(path);
        return kFlowFailed;
    }
    return kFlowSucceeded;
}

void ChooseBackgroundColor() {
    CHOOSECOLORA request = {};
    request.lStructSize = sizeof request;
    request.hwndOwner = viewer.hWnd;
    request.lpCustColors = viewer.customColors;
    request.Flags = CC_FULLOPEN;
    if (!ChooseColorA(&request)) return;
    UseBackgroundColor(request.rgbResult);
    RenderScene();
}

void UseBackgroundColor(COLORREF colour) {
    const float toUnit = 0.003921569f;  // 1 / 255
    glClearColor(GetRValue(colour) * toUnit, GetGValue(colour) * toUnit, GetBValue(colour) * toUnit, 0);
}
