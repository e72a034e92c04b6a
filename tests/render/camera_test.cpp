// The camera's arithmetic: zoom steps, orbit and pan by cursor movement.
#include <cmath>

#include "render/camera.h"
#include "render_test.h"

namespace {

void ExpectEye(float x, float y, float z) {
    EXPECT_FLOAT_EQ(viewer.eye.x, x);
    EXPECT_FLOAT_EQ(viewer.eye.y, y);
    EXPECT_FLOAT_EQ(viewer.eye.z, z);
}

float Distance() {
    return std::sqrt(viewer.eye.x * viewer.eye.x + viewer.eye.y * viewer.eye.y + viewer.eye.z * viewer.eye.z);
}

// Presses at the middle of the screen, then moves the cursor by (dx, dy).
void Drag(int dx, int dy) {
    viewer.pressPoint = POINT{640, 512};
    headless::MoveCursor(POINT{640 + dx, 512 + dy});
}

}  // namespace

TEST_F(RenderTest, ZoomStepsAlongTheLineToTheOriginButNeverOntoIt) {
    ZoomCamera(kZoomStep);
    ExpectEye(90, 0, 0);
    viewer.eye = Vec3{100, 0, 0};
    ZoomCamera(-kZoomStep);
    ExpectEye(110, 0, 0);

    viewer.eye = Vec3{100, 0, 0};
    for (int step = 0; step < 10; step++) ZoomCamera(kZoomStep);
    ExpectEye(10, 0, 0);  // the tenth step would land on the origin
    viewer.eye = Vec3{5, 0, 0};
    ZoomCamera(kZoomStep);  // from closer than a step: through to the far side
    ExpectEye(-5, 0, 0);

    viewer.eye = Vec3{0, 30, 40};
    ZoomCamera(kZoomStep);
    ExpectEye(0, 24, 32);
}

TEST_F(RenderTest, OrbitTurnsTheEyeAboutTheOriginAndKeepsTheCursorStill) {
    Drag(1, 0);  // one pixel right
    OrbitCamera();
    EXPECT_NEAR(std::atan2(viewer.eye.z, viewer.eye.x), 0.01, 1e-6);
    EXPECT_NEAR(Distance(), 100, 1e-4);
    EXPECT_FLOAT_EQ(viewer.eye.y, 0);
    POINT cursor;
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, 640);
    EXPECT_EQ(cursor.y, 512);

    viewer.eye = Vec3{100, 0, 0};
    Drag(0, -2);  // two pixels up: +0.02 in (x, y), then in (y, z)
    OrbitCamera();
    const double a = 0.02;
    EXPECT_NEAR(viewer.eye.x, 100 * std::cos(a), 1e-3);
    EXPECT_NEAR(viewer.eye.y, 100 * std::sin(a) * std::cos(a), 1e-3);
    EXPECT_NEAR(viewer.eye.z, 100 * std::sin(a) * std::sin(a), 1e-3);
    EXPECT_NEAR(Distance(), 100, 1e-3);
}

TEST_F(RenderTest, PanMovesTheLookAtHeightAgainstTheCursor) {
    Drag(5, -1);  // up one pixel; sideways movement does nothing
    PanCamera();
    EXPECT_FLOAT_EQ(viewer.center.y, -0.25f);
    Drag(0, 3);
    PanCamera();
    EXPECT_FLOAT_EQ(viewer.center.y, 0.5f);
    EXPECT_FLOAT_EQ(viewer.center.x, 0);
    ExpectEye(100, 0, 0);
}
