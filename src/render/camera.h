#pragma once

// The camera is `eye` and `center` of the viewer's state, with up fixed at
// (0, 1, 0). Rotations turn about the world origin; zoom moves the eye along
// its line to the origin.

const float kZoomStep = 10.0f;

void OrbitCamera();          // a mouse move with the left button held
void PanCamera();            // a mouse move with the right button held
void ZoomCamera(float step);  // toward the origin; negative: away
