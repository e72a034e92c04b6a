#include "camera_steps.h"

#include <cmath>

namespace {

const double kOrbitRadiansPerPixel = 0.01;
const double kPanUnitsPerPixel = 0.25;

}  // namespace

void RotatePair(float angle, float* a, float* b) {
    const float s = float(std::sin(double(angle)));
    const double c = std::cos(double(angle));
    const float a0 = *a, b0 = *b;
    *a = float(a0 * c - b0 * s);
    *b = float(a0 * s + b0 * c);
}

Vec3 OrbitedEye(Vec3 eye, int movedX, int movedY) {
    const float vertical = float(movedY * kOrbitRadiansPerPixel);
    const float horizontal = float(movedX * -kOrbitRadiansPerPixel);
    RotatePair(vertical, &eye.x, &eye.y);
    RotatePair(vertical, &eye.y, &eye.z);
    RotatePair(horizontal, &eye.x, &eye.z);
    return eye;
}

float PannedHeight(float height, int movedY) { return float(height - movedY * kPanUnitsPerPixel); }

int ZoomedEye(Vec3 eye, float step, Vec3* moved) {
    const float distance = float(std::sqrt(eye.x * eye.x + eye.y * eye.y + eye.z * eye.z));
    const Vec3 next = {eye.x - (eye.x / distance) * step, eye.y - (eye.y / distance) * step,
                       eye.z - (eye.z / distance) * step};
    // At the origin the view direction is undefined and the next step divides
    // by zero: that step is refused. Passing through the origin is not.
    const bool atOrigin = next.x == 0 && next.y == 0 && next.z == 0;
    if (!(distance > 0) || atOrigin || !std::isfinite(next.x) || !std::isfinite(next.y) || !std::isfinite(next.z))
        return 0;
    *moved = next;
    return 1;
}

float AspectOf(int width, int height) {
    return width > 0 && height > 0 ? float(width) / float(height) : 0.0f;
}
