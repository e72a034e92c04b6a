#pragma once

#include "../state/vec3.h"

// The camera's arithmetic, apart from the cursor and GL so that every build
// (the 32-bit one included) can be checked to compute the same floats. Cursor
// movements are in pixels: the press point minus where the cursor went.

// Turns (a, b) by `angle`. The sine is rounded to a float, the cosine is not:
// the products mix precisions exactly as written.
void RotatePair(float angle, float* a, float* b);

// The eye turned about the origin: vertical movement in the (x, y) and then
// the (y, z) plane, horizontal movement in the (x, z) plane.
Vec3 OrbitedEye(Vec3 eye, int movedX, int movedY);

// The look-at height after a pan; sideways movement does nothing.
float PannedHeight(float height, int movedY);

// The eye moved `step` along its line toward the origin (away for a negative
// step). Returns 0, and leaves *moved alone, where the step is refused.
int ZoomedEye(Vec3 eye, float step, Vec3* moved);

// Width / height of a drawing area; 0 for an empty one, which has no aspect.
float AspectOf(int width, int height);
