#include "camera.h"

#include <windows.h>

#include <cmath>

#include "../state/viewer_state.h"
#include "scene.h"

namespace {

const double kOrbitRadiansPerPixel = 0.01;
const double kPanUnitsPerPixel = 0.25;

// The cursor's movement since the last message; the cursor goes back to
// where the button was pressed, so each move carries only its own step.
POINT TakeCursorMovement() {
    POINT cursor;
    GetCursorPos(&cursor);
    SetCursorPos(viewer.pressPoint.x, viewer.pressPoint.y);
    return POINT{viewer.pressPoint.x - cursor.x, viewer.pressPoint.y - cursor.y};
}

}  // namespace

// The sine is rounded to a float, the cosine is not: the products mix
// precisions exactly as written.
void RotatePair(float angle, float* a, float* b) {
    const float s = float(std::sin(double(angle)));
    const double c = std::cos(double(angle));
    const float a0 = *a, b0 = *b;
    *a = float(a0 * c - b0 * s);
    *b = float(a0 * s + b0 * c);
}

void OrbitCamera() {
    const POINT moved = TakeCursorMovement();
    const float vertical = float(moved.y * kOrbitRadiansPerPixel);
    const float horizontal = float(moved.x * -kOrbitRadiansPerPixel);
    RotatePair(vertical, &viewer.eye.x, &viewer.eye.y);
    RotatePair(vertical, &viewer.eye.y, &viewer.eye.z);
    RotatePair(horizontal, &viewer.eye.x, &viewer.eye.z);
    RenderScene();
}

void PanCamera() {
    const POINT moved = TakeCursorMovement();
    viewer.center.y = float(viewer.center.y - moved.y * kPanUnitsPerPixel);
    RenderScene();
}

void ZoomCamera(float step) {
    Vec3& eye = viewer.eye;
    const float distance = float(std::sqrt(eye.x * eye.x + eye.y * eye.y + eye.z * eye.z));
    const Vec3 moved = {eye.x - (eye.x / distance) * step, eye.y - (eye.y / distance) * step,
                        eye.z - (eye.z / distance) * step};
    // At the origin the view direction is undefined and the next step divides
    // by zero: that step is refused. Passing through the origin is not.
    const bool atOrigin = moved.x == 0 && moved.y == 0 && moved.z == 0;
    if (distance > 0 && !atOrigin && std::isfinite(moved.x) && std::isfinite(moved.y) && std::isfinite(moved.z))
        eye = moved;
    RenderScene();
}
