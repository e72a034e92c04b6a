// The camera through mouse messages, toolbar buttons and keys.
#include <cmath>

#include "shell_test.h"

namespace {

const int kToolbarZoomIn = 6, kToolbarZoomOut = 7;

Step PressAt(int x, int y, unsigned button) {
    return [=] {
        headless::MoveCursorToClient(viewer.hWnd, x, y);
        headless::MouseDown(button);
    };
}

Step MoveTo(int x, int y) {
    return [=] { headless::MoveCursorToClient(viewer.hWnd, x, y); };
}

}  // namespace

TEST_F(ShellTest, DraggingOrbitsPansAndKeepsTheCursorStill) {
    POINT pressed = {}, afterMove = {};
    Run({PressAt(200, 200, MK_LBUTTON), MoveTo(210, 200),
         [&] {
             pressed = viewer.pressPoint;
             GetCursorPos(&afterMove);
             EXPECT_NEAR(std::atan2(viewer.eye.z, viewer.eye.x), 0.1, 1e-5);  // 10 pixels right
         },
         [] { headless::MouseUp(MK_LBUTTON); }, PressAt(200, 200, MK_RBUTTON), MoveTo(200, 190),
         [] { EXPECT_FLOAT_EQ(viewer.center.y, -2.5f); },  // 10 pixels up
         // Both buttons: the orbit takes the movement, the pan then sees none.
         [] { headless::MouseDown(MK_LBUTTON); }, MoveTo(200, 196),
         [] { EXPECT_FLOAT_EQ(viewer.center.y, -2.5f); },
         [] {
             headless::MouseUp(MK_LBUTTON);
             headless::MouseUp(MK_RBUTTON);
         },
         Close()});
    EXPECT_EQ(afterMove.x, pressed.x);
    EXPECT_EQ(afterMove.y, pressed.y);
    EXPECT_GT(std::fabs(viewer.eye.y), 0.1f);  // the upward drag tilted the eye
}

TEST_F(ShellTest, ZoomComesFromToolbarAndKeypad) {
    Run({[] { headless::ClickToolbarButton(viewer.hToolbar, kToolbarZoomIn); },
         [] { EXPECT_FLOAT_EQ(viewer.eye.x, 90); }, Key(VK_ADD), [] { EXPECT_FLOAT_EQ(viewer.eye.x, 80); },
         Key(VK_SUBTRACT), [] { headless::ClickToolbarButton(viewer.hToolbar, kToolbarZoomOut); },
         [] { EXPECT_FLOAT_EQ(viewer.eye.x, 100); }, Close()});
}
