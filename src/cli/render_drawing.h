#pragma once

// What render's two drivers share: the viewer driven through the headless
// backend on Linux (render_headless.cpp), the viewer's window never shown on
// Windows (render_windows.cpp). Both draw with the viewer's own code and
// read its drawing area back as its screenshot does.

#include <cfloat>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/md2.h"
#include "render.h"

// Resizes that bring the drawing area to the size asked: the first learns
// the frame, menu bar and bars around it, a second follows a menu bar that
// took more rows in a narrow window.
const int kSizingSteps = 3;

// The frames' vertices as the viewer draws them, and their bounds.
struct Bounds {
    float low[3] = {FLT_MAX, FLT_MAX, FLT_MAX}, high[3] = {-FLT_MAX, -FLT_MAX, -FLT_MAX};
    std::vector<float> points;  // x, y, z of each, finite
};

// What is drawn: the frames asked for and, for --fit, their bounds.
struct RenderPlan {
    std::vector<int32_t> frames;
    Bounds bounds;
};

// Reads the model (a bounded input file) into `model` and plans the
// pictures; "" with the model held, else why nothing can be drawn (the
// model then released).
std::string PlanRender(const RenderRequest& r, Md2Model* model, RenderPlan* plan);

// One of the resizes toward a drawing area of width x height: the viewer's
// window grows or shrinks by the difference, where it stands.
void ResizeTowardDrawingArea(int width, int height);
// "" when the drawing area is width x height, else the size it came out.
std::string DrawingAreaProblem(int width, int height);

// --fit: the camera brought to the bounds, as a thumbnail frames its model.
void FitCamera(const Bounds& b);

// Every frame of the plan captured from the viewer as it stands and written
// to `writeTo` (a file StageOutput made): one frame alone or a sheet as BMP,
// TGA or PNG, or an animated GIF. "" or why not, naming r.output.
std::string WritePictures(const RenderRequest& r, const std::string& writeTo, const std::vector<int32_t>& frames);

// Each system's driver: the viewer set up as the request asks and its
// picture written to `writeTo`; messages name r.output.
std::string RenderInViewer(const RenderRequest& r, const std::string& writeTo);
