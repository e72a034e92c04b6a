#pragma once

#include <windows.h>

// Render modes: the values of SetRenderMode's argument.
const int RENDER_WIREFRAME = 1;
const int RENDER_NEAREST = 3;
const int RENDER_LINEAR = 4;

// Menu items that show the render mode.
const UINT kWireframeItem = 40006;
const UINT kTexturedNearestItem = 40008;
const UINT kTexturedLinearItem = 40013;

int SetupPixelFormat(HDC hdc);
void InitGL(HDC hdc, HGLRC* hGLRC);
void ApplyProjection();
void SetRenderMode(int mode);
void ResizeGL();
void RenderScene();
void ReleaseGL();

// The drawing area between toolbar and status bar, in window coordinates
// counted from the bottom; width or height may be 0 or less.
struct DrawingArea {
    int x, y, width, height;
};
DrawingArea MeasureDrawingArea();
