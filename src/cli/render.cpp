#include "render.h"

#include <windows.h>

#include <GL/gl.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "animations.h"
#include "check.h"
#include "formats/screenshot_files.h"
#include "gif_file.h"
#include "gltf_mesh.h"
#include "input_files.h"
#include "numbers.h"
#include "output_files.h"
#include "picture_kinds.h"
#include "png_file.h"
#include "render/capture.h"
#include "render/scene.h"
#include "render_drawing.h"
#include "skin_lookup.h"
#include "state/viewer_state.h"

namespace {

const double kPi = 3.14159265358979323846;  // M_PI, which not every C library declares
// A sheet's bounds: a TGA file's sides, and 2^25 pixels (96 MiB of RGB,
// enough for 198 frames at the viewer's size).
const int64_t kLargestSheetSide = 65535;
const int64_t kLargestSheet = int64_t{1} << 25;
const int kGifFrameCentiseconds = 10;  // the viewer's playback: 10 frames a second

// Frame indices of a frame given by number or name, or of an animation's frames.
std::vector<int32_t> FramesOf(const RenderRequest& r, const Md2Model& model, std::string* problem) {
    const std::vector<std::string> names = FrameNames(model);
    std::vector<int32_t> frames;
    if (!r.animation.empty()) {
        bool layout = false;
        for (const Animation& a : ApplyStandardLayout(AnimationsFromNames(names), model.numFrames, &layout))
            if (a.name == r.animation)
                for (int32_t f = a.first; f < a.first + a.length; f++) frames.push_back(f);
        if (frames.empty()) *problem = "no animation \"" + r.animation + "\"";
        return frames;
    }
    if (r.frame.empty()) return {0};
    int number = 0;
    if (ParseInt(r.frame, 0, model.numFrames - 1, &number)) return {number};
    for (int32_t f = 0; f < model.numFrames; f++)
        if (names[size_t(f)] == r.frame) return {f};
    *problem = "no frame \"" + r.frame + "\"";
    return {};
}

// A sheet is refused before anything is drawn or allocated when it would be
// wider or taller than a TGA file holds, or hold more pixels than kLargestSheet.
std::string SheetTooLarge(const RenderRequest& r, const std::vector<int32_t>& frames) {
    const int64_t pixels = int64_t{r.width} * r.height * int64_t(frames.size());
    if (IsGif(r.output) && pixels > kLargestSheet)
        return "the animation would be " + std::to_string(pixels) + " pixels, more than " +
               std::to_string(kLargestSheet) + ": use a smaller --size";
    if (r.sheetColumns <= 0 || frames.empty()) return "";
    const int64_t rows = (int64_t(frames.size()) + r.sheetColumns - 1) / r.sheetColumns;
    const int64_t width = int64_t{r.width} * r.sheetColumns, height = int64_t{r.height} * rows;
    if (width <= kLargestSheetSide && height <= kLargestSheetSide && width * height <= kLargestSheet &&
        int64_t{r.width} * r.height * int64_t(frames.size()) <= kLargestSheet)
        return "";
    return "the sheet would be " + std::to_string(width) + " x " + std::to_string(height) + " pixels, more than " +
           std::to_string(kLargestSheet) + " or " + std::to_string(kLargestSheetSide) + " on a side: use fewer --sheet columns or a smaller --size";
}

// The drawing area of the back buffer after drawing `frame`, as the screenshot takes it.
// Rows run bottom first.
std::vector<unsigned char> Capture(int32_t frame, int* width, int* height) {
    viewer.currentFrame = frame;
    RenderScene();
    const DrawingArea area = MeasureDrawingArea();
    std::vector<unsigned char> pixels(size_t(area.width) * area.height * 3);
    ReadDrawingArea(area, pixels.data());
    *width = area.width;
    *height = area.height;
    return pixels;
}

// A frame drawn with its background left out: drawn on black and on white,
// a pixel is the model's where the two agree (the viewer blends nothing),
// else background. `opaque` gets 255 or 0 a pixel; the colour is black's.
std::vector<unsigned char> CaptureCutOut(int32_t frame, int* width, int* height, std::vector<unsigned char>* opaque) {
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    glClearColor(1, 1, 1, 0);
    const std::vector<unsigned char> onWhite = Capture(frame, width, height);
    glClearColor(0, 0, 0, 0);
    std::vector<unsigned char> onBlack = Capture(frame, width, height);
    glClearColor(clear[0], clear[1], clear[2], clear[3]);
    opaque->assign(onBlack.size() / 3, 0);
    for (size_t p = 0; p < opaque->size(); p++)
        if (std::equal(&onBlack[3 * p], &onBlack[3 * p] + 3, &onWhite[3 * p])) (*opaque)[p] = 255;
    return onBlack;
}

Bounds FrameBounds(const Md2Model& model, const std::vector<int32_t>& frames) {
    Bounds bounds;
    const GltfGeometry geometry = BuildGeometry(model);
    for (int32_t frame : frames) {
        const std::vector<float> positions = FramePositions(model, frame, geometry);
        for (size_t v = 0; v + 2 < positions.size(); v += 3) {
            if (!std::isfinite(positions[v]) || !std::isfinite(positions[v + 1]) || !std::isfinite(positions[v + 2]))
                continue;
            bounds.points.insert(bounds.points.end(), &positions[v], &positions[v] + 3);
            for (size_t c = 0; c < 3; c++)
                bounds.low[c] = std::min(bounds.low[c], positions[v + c]),
                bounds.high[c] = std::max(bounds.high[c], positions[v + c]);
        }
    }
    return bounds;
}

// A PNG of bottom-first rows, with alpha when `opaque` is given.
bool WritePng(FILE* stream, int width, int height, const std::vector<unsigned char>& rgb,
              const std::vector<unsigned char>* opaque) {
    const size_t pixels = size_t(width) * size_t(height), channels = opaque ? 4 : 3;
    std::vector<unsigned char> topFirst(pixels * channels);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            const size_t from = size_t(height - 1 - y) * size_t(width) + size_t(x), to = size_t(y) * size_t(width) + size_t(x);
            std::copy_n(&rgb[3 * from], 3, &topFirst[channels * to]);
            if (opaque) topFirst[4 * to + 3] = (*opaque)[from];
        }
    const std::vector<unsigned char> png = opaque ? EncodePngWithAlpha(width, height, topFirst.data())
                                                  : EncodePng(RgbImage{width, height, topFirst.data()});
    return !png.empty() && std::fwrite(png.data(), 1, png.size(), stream) == png.size();
}

// Every frame in a grid, cells left to right, top to bottom (one frame: the
// picture alone), as a BMP, TGA or PNG.
bool WriteSheet(const RenderRequest& r, FILE* stream, const std::vector<int32_t>& frames) {
    int width = 0, height = 0;
    const int columns = std::max(r.sheetColumns, 1), rows = int((frames.size() + columns - 1) / columns);
    std::vector<std::vector<unsigned char>> cells, masks(frames.size());
    for (size_t f = 0; f < frames.size(); f++)
        cells.push_back(r.transparent ? CaptureCutOut(frames[f], &width, &height, &masks[f])
                                      : Capture(frames[f], &width, &height));
    std::vector<unsigned char> sheet(size_t(width) * columns * height * rows * 3, 0);
    std::vector<unsigned char> opaque(r.transparent ? sheet.size() / 3 : 0, 0);
    for (size_t c = 0; c < cells.size(); c++) {
        const int column = int(c) % columns, row = rows - 1 - int(c) / columns;  // the image's rows run bottom first
        for (int y = 0; y < height; y++) {
            const size_t at = (size_t(row) * height + y) * width * columns + size_t(column) * width;
            std::copy_n(&cells[c][size_t(y) * width * 3], size_t(width) * 3, &sheet[at * 3]);
            if (r.transparent) std::copy_n(&masks[c][size_t(y) * width], size_t(width), &opaque[at]);
        }
    }
    const RgbImage image = {width * columns, height * rows, sheet.data()};
    return IsPng(r.output)   ? WritePng(stream, image.width, image.height, sheet, r.transparent ? &opaque : nullptr)
           : IsTga(r.output) ? WriteTGATo(stream, image)
                             : WriteBMPTo(stream, image);
}

// Every frame in turn at the viewer's 10 frames a second, looping.
bool WriteAnimation(const RenderRequest& r, FILE* stream, const std::vector<int32_t>& frames) {
    int width = 0, height = 0;
    std::vector<GifFrame> shown;
    std::vector<std::vector<unsigned char>> masks;
    for (int32_t frame : frames) {
        std::vector<unsigned char> opaque;
        const std::vector<unsigned char> bottomFirst =
            r.transparent ? CaptureCutOut(frame, &width, &height, &opaque) : Capture(frame, &width, &height);
        GifFrame topFirst(bottomFirst.size());
        const size_t row = size_t(width) * 3;
        for (int y = 0; y < height; y++)
            std::copy_n(&bottomFirst[size_t(height - 1 - y) * row], row, &topFirst[size_t(y) * row]);
        shown.push_back(std::move(topFirst));
        if (r.transparent) {
            masks.emplace_back(opaque.size());
            for (int y = 0; y < height; y++)
                std::copy_n(&opaque[size_t(height - 1 - y) * width], size_t(width), &masks.back()[size_t(y) * width]);
        }
    }
    return WriteAnimatedGif(stream, width, height, shown, kGifFrameCentiseconds, masks);
}

}  // namespace

std::string PlanRender(const RenderRequest& r, Md2Model* model, RenderPlan* plan) {
    const Md2Verdict verdict = ReadMd2Input(r.model, model);
    if (verdict.refusal != kMd2Accepted) return RefusalMessage(verdict.offset, Md2RefusalText(verdict.refusal));
    std::string problem;
    plan->frames = FramesOf(r, *model, &problem);
    if (problem.empty()) problem = SheetTooLarge(r, plan->frames);
    if (problem.empty() && r.fit) plan->bounds = FrameBounds(*model, plan->frames);
    if (!problem.empty()) ReleaseModel(model);
    return problem;
}

void ResizeTowardDrawingArea(int width, int height) {
    const DrawingArea area = MeasureDrawingArea();
    if (area.width == width && area.height == height) return;
    RECT window;
    GetWindowRect(viewer.hWnd, &window);
    MoveWindow(viewer.hWnd, window.left, window.top, window.right - window.left + width - area.width,
               window.bottom - window.top + height - area.height, TRUE);
}

std::string DrawingAreaProblem(int width, int height) {
    const DrawingArea area = MeasureDrawingArea();
    if (area.width == width && area.height == height) return "";
    return "the drawing area came out " + std::to_string(area.width) + " x " + std::to_string(area.height);
}

// --fit: the camera looks from where it was (after any orbit) at the middle
// of the bounds, from as near as shows every vertex, as a thumbnail frames
// its model; never nearer than the viewer's near plane.
void FitCamera(const Bounds& b) {
    if (!(b.low[0] <= b.high[0])) return;  // nothing finite to fit
    const double middle[3] = {(double(b.low[0]) + b.high[0]) / 2, (double(b.low[1]) + b.high[1]) / 2,
                              (double(b.low[2]) + b.high[2]) / 2};
    double toward[3] = {double(viewer.eye.x) - viewer.center.x, double(viewer.eye.y) - viewer.center.y,
                        double(viewer.eye.z) - viewer.center.z};
    const double length = std::sqrt(toward[0] * toward[0] + toward[1] * toward[1] + toward[2] * toward[2]);
    if (!(length > 0)) toward[0] = 1, toward[1] = toward[2] = 0;
    for (double& t : toward) t /= length > 0 ? length : 1;
    // The view's up (world Y made square to the view) and right.
    double up[3] = {-toward[1] * toward[0], 1 - toward[1] * toward[1], -toward[1] * toward[2]};
    const double upLength = std::sqrt(up[0] * up[0] + up[1] * up[1] + up[2] * up[2]);
    if (!(upLength > 1e-9)) up[0] = 1, up[1] = up[2] = 0;
    for (double& u : up) u /= upLength > 1e-9 ? upLength : 1;
    const double right[3] = {up[1] * toward[2] - up[2] * toward[1], up[2] * toward[0] - up[0] * toward[2],
                             up[0] * toward[1] - up[1] * toward[0]};
    // The viewer's 50-degree field of view upright, and as wide as the window's aspect makes it.
    const double tanUp = std::tan(25 * kPi / 180), tanAcross = tanUp * std::max(double(viewer.aspect), 1e-3);
    double distance = 0;
    for (size_t v = 0; v + 2 < b.points.size(); v += 3) {
        double p[3];
        for (int c = 0; c < 3; c++) p[c] = double(b.points[v + size_t(c)]) - middle[c];
        const auto along = [&p](const double* axis) { return p[0] * axis[0] + p[1] * axis[1] + p[2] * axis[2]; };
        distance = std::max({distance, along(toward) + std::fabs(along(up)) / tanUp,
                             along(toward) + std::fabs(along(right)) / tanAcross, along(toward) + 1.0});
    }
    distance *= 1.02;  // a little room at the edge, as a thumbnail leaves
    viewer.center = {float(middle[0]), float(middle[1]), float(middle[2])};
    viewer.eye = {float(middle[0] + toward[0] * distance), float(middle[1] + toward[1] * distance),
                  float(middle[2] + toward[2] * distance)};
}

std::string WritePictures(const RenderRequest& r, const std::string& writeTo, const std::vector<int32_t>& frames) {
    errno = 0;
    FILE* stream = OpenStagedStream(writeTo);
    bool written = stream && (IsGif(r.output) ? WriteAnimation(r, stream, frames) : WriteSheet(r, stream, frames));
    int reason = errno;
    if (stream && std::fclose(stream) != 0 && written) written = false, reason = errno;  // the last bytes not flushed
    if (written) return "";
    return "cannot write " + r.output + ": " + (reason ? std::strerror(reason) : "the picture could not be written");
}

// The viewer's file dialogs make each chosen file's folder the current one,
// as on Windows: the request's paths are made absolute first, and the folder
// the command started in is restored after. The picture is written to a
// temporary file beside the output and put in its place once whole.
std::string RenderModel(const RenderRequest& given) {
    RenderRequest request = given;
    if (request.skin == "auto") {
        std::vector<unsigned char> bytes;
        const std::string problem = ReadInputFile(request.model, kLargestMd2File, &bytes);
        request.skin = problem.empty() ? FindSkin(request.model, HeaderSkinPaths(bytes)) : "";
    }
    const std::string overwrite = InputAsOutput({request.model, request.skin}, {request.output});
    if (!overwrite.empty()) return overwrite;
    if (!request.skin.empty()) {  // refused here in words, as export refuses it, not by the viewer's message box
        RgbImage image{};
        const PcxVerdict verdict = ReadPcxInput(request.skin, &image);
        std::free(image.pixels);
        if (verdict.refusal != kPcxAccepted)
            return request.skin + ": " + RefusalMessage(verdict.offset, PcxRefusalText(verdict.refusal));
    }
    const std::filesystem::path startFolder = std::filesystem::current_path();
    RenderRequest absolute = request;
    for (std::string* path : {&absolute.model, &absolute.skin, &absolute.output})
        if (!path->empty()) *path = std::filesystem::absolute(std::filesystem::u8path(*path)).u8string();
    StagedOutputs staged;
    std::string problem;
    const std::string staging = StageOutput(&staged, absolute.output, [&](const std::string& temporary) {
        problem = RenderInViewer(absolute, temporary);
        std::error_code error;
        if (problem.empty() && std::filesystem::file_size(temporary, error) == 0) problem = "no picture was saved";
        return problem.empty();
    });
    std::error_code ignored;
    std::filesystem::current_path(startFolder, ignored);
    if (!problem.empty()) return problem;
    return staging.empty() ? CommitOutputs(&staged) : staging;
}
