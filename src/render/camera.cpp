#include "camera.h"

#include <windows.h>

#include "../state/viewer_state.h"
#include "camera_steps.h"
#include "scene.h"

namespace {

// The cursor's movement since the last message; the cursor goes back to
// where the button was pressed, so each move carries only its own step.
POINT TakeCursorMovement() {
    POINT cursor;
    GetCursorPos(&cursor);
    SetCursorPos(viewer.pressPoint.x, viewer.pressPoint.y);
    return POINT{viewer.pressPoint.x - cursor.x, viewer.pressPoint.y - cursor.y};
}

}  // namespace

void OrbitCamera() {
    const POINT moved = TakeCursorMovement();
    viewer.eye = OrbitedEye(viewer.eye, int(moved.x), int(moved.y));
    RenderScene();
}

void PanCamera() {
    const POINT moved = TakeCursorMovement();
    viewer.center.y = PannedHeight(viewer.center.y, int(moved.y));
    RenderScene();
}

void ZoomCamera(float step) {
    ZoomedEye(viewer.eye, step, &viewer.eye);
    RenderScene();
}
