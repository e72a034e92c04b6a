// The projection built from the camera, and the drawing area's measure.
#include <cmath>

#include "render/scene.h"
#include "render_test.h"

namespace {

GLint Integer(GLenum name) {
    GLint values[4] = {};
    glGetIntegerv(name, values);
    return values[0];
}

// gluPerspective(50, aspect, 1, 500) times gluLookAt(eye, center, (0, 1, 0)),
// worked out here in double, column-major as GL keeps it.
void ExpectedProjection(double aspect, const Vec3& eye, const Vec3& center, double out[16]) {
    const double f = 1 / std::tan(25 * M_PI / 180), near = 1, far = 500;
    double forward[3] = {center.x - eye.x, center.y - eye.y, center.z - eye.z};
    const double length = std::sqrt(forward[0] * forward[0] + forward[1] * forward[1] + forward[2] * forward[2]);
    for (double& v : forward) v /= length;
    double side[3] = {-forward[2], 0, forward[0]};  // forward x (0, 1, 0)
    const double sideLength = std::sqrt(side[0] * side[0] + side[2] * side[2]);
    for (double& v : side) v /= sideLength;
    const double up[3] = {side[1] * forward[2] - side[2] * forward[1], side[2] * forward[0] - side[0] * forward[2],
                          side[0] * forward[1] - side[1] * forward[0]};
    const double* rows[3] = {side, up, forward};
    double view[4][4] = {};  // [row][column]
    for (int r = 0; r < 3; r++) {
        const double sign = r == 2 ? -1 : 1;
        for (int c = 0; c < 3; c++) view[r][c] = sign * rows[r][c];
        view[r][3] = -(view[r][0] * eye.x + view[r][1] * eye.y + view[r][2] * eye.z);
    }
    view[3][3] = 1;
    const double perspective[4][4] = {{f / aspect, 0, 0, 0},
                                      {0, f, 0, 0},
                                      {0, 0, (far + near) / (near - far), 2 * far * near / (near - far)},
                                      {0, 0, -1, 0}};
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 4; c++) {
            double sum = 0;
            for (int k = 0; k < 4; k++) sum += perspective[r][k] * view[k][c];
            out[c * 4 + r] = sum;
        }
}

}  // namespace

TEST_F(RenderTest, ProjectionIsThePerspectiveTimesTheLookAt) {
    viewer.eye = Vec3{30, 40, 50};
    viewer.center = Vec3{0, 5, 0};
    glMatrixMode(GL_MODELVIEW);
    ApplyProjection();
    EXPECT_EQ(Integer(GL_MATRIX_MODE), GL_PROJECTION);
    double actual[16], expected[16];
    glGetDoublev(GL_PROJECTION_MATRIX, actual);
    ExpectedProjection(viewer.aspect, viewer.eye, viewer.center, expected);
    for (int i = 0; i < 16; i++) EXPECT_NEAR(actual[i], expected[i], 1e-5 * (1 + std::fabs(expected[i]))) << i;
    double modelview[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    for (int i = 0; i < 16; i++) EXPECT_EQ(modelview[i], i % 5 == 0 ? 1.0 : 0.0);
}

TEST_F(RenderTest, DrawingAreaLiesBetweenTheBarsAndAnEmptyOneKeepsTheAspect) {
    // 400 x 500 with menu: client 384 x 441; less the status bar (20) and toolbar (26).
    const DrawingArea area = MeasureDrawingArea();
    EXPECT_EQ(area.y, 20);
    EXPECT_EQ(area.width, 384);
    EXPECT_EQ(area.height, 395);
    EXPECT_FLOAT_EQ(viewer.aspect, 384.0f / 395.0f);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[1], 20);
    EXPECT_EQ(viewport[3], 395);

    const float usable = viewer.aspect;
    for (int height : {105, 90}) {  // drawing height 0, then negative
        MoveWindow(viewer.hWnd, 0, 0, 400, height, TRUE);
        MoveWindow(viewer.hStatus, 0, 0, 0, 0, TRUE);
        MoveWindow(viewer.hToolbar, 0, 0, 0, 0, TRUE);
        ResizeGL();
        EXPECT_EQ(viewer.aspect, usable);
        double matrix[16];
        glGetDoublev(GL_PROJECTION_MATRIX, matrix);
        for (double v : matrix) EXPECT_TRUE(std::isfinite(v));
    }

    // Before the bars exist, the whole client area is the drawing area.
    MoveWindow(viewer.hWnd, 0, 0, 400, 500, TRUE);
    viewer.hStatus = viewer.hToolbar = nullptr;
    ResizeGL();
    EXPECT_FLOAT_EQ(viewer.aspect, 384.0f / 441.0f);
}
