#include "thumbnail.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <utility>
#include <vector>

#include "check.h"
#include "formats/md2.h"
#include "formats/pcx.h"
#include "gltf_mesh.h"
#include "input_files.h"
#include "skin_lookup.h"
#include "output_files.h"
#include "png_file.h"

namespace {

namespace fs = std::filesystem;

// Drawn at twice the size and averaged down, for smooth edges and alpha.
const int kSamples = 2;
const float kFill = 0.92f;  // of the picture's side the model's longer extent takes
const float kYaw = 0.55f, kPitch = 0.3f;  // radians: from the front-left, a little above
const unsigned char kGrey = 190;
// The most samples the triangles' boxes may cover: real models at 1024 x
// 1024 samples cover a few million; a model of thousands of overlapping,
// canvas-filling triangles is drawn on a smaller canvas instead, so that any
// model the loader takes is thumbnailed at 512 in well under a second.
const double kMostSamplesVisited = 24e6;

struct Vec {
    float x, y, z;
};
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec operator*(Vec a, float k) { return {a.x * k, a.y * k, a.z * k}; }
float Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec Cross(Vec a, Vec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
Vec Unit(Vec a) {
    const float length = std::sqrt(Dot(a, a));
    return length > 0 ? a * (1 / length) : a;
}

// The viewer looks from +x at the origin, Y up; the thumbnail's camera is
// that one turned by kYaw about Y and raised by kPitch.
struct Camera {
    Vec toward, right, up;  // toward: from the model to the camera
};

Camera ThreeQuarterCamera() {
    Camera c;
    c.toward = {std::cos(kPitch) * std::cos(kYaw), std::sin(kPitch), std::cos(kPitch) * std::sin(kYaw)};
    c.right = Unit(Cross({0, 1, 0}, c.toward));
    c.up = Cross(c.toward, c.right);
    return c;
}

struct Canvas {
    int side;
    std::vector<float> depth;           // nearer is larger
    std::vector<unsigned char> rgb;     // side x side samples
    std::vector<unsigned char> covered;
};

// A vertex on the canvas: x, y in samples (y down), its depth and texture coordinates.
struct Projected {
    float x, y, depth, s, t;
};

// The skin's R, G, B at (s, t): nearest, repeating, as the viewer samples
// its skin; t = 0 is the top row.
const unsigned char* Texel(const RgbImage& skin, float s, float t) {
    auto wrap = [](float v, int n) {
        if (!std::isfinite(v)) return 0;
        return std::min(n - 1, int((v - std::floor(v)) * float(n)));
    };
    const int x = wrap(s, skin.width), y = wrap(t, skin.height);
    return &skin.pixels[(size_t(y) * size_t(skin.width) + size_t(x)) * 3];
}

void FillTriangle(Canvas& canvas, const Projected p[3], const RgbImage* skin, unsigned char shade) {
    for (int k = 0; k < 3; k++)
        if (!std::isfinite(p[k].x) || !std::isfinite(p[k].y) || !std::isfinite(p[k].depth)) return;
    const float area = (p[1].x - p[0].x) * (p[2].y - p[0].y) - (p[2].x - p[0].x) * (p[1].y - p[0].y);
    if (!(std::fabs(area) > 1e-12f)) return;
    // The box on the canvas, clamped while still float so any size converts.
    const auto onCanvas = [&canvas](float v) { return int(std::min(float(canvas.side - 1), std::max(0.0f, v))); };
    const int x0 = onCanvas(std::floor(std::min({p[0].x, p[1].x, p[2].x})));
    const int x1 = onCanvas(std::ceil(std::max({p[0].x, p[1].x, p[2].x})));
    const int y0 = onCanvas(std::floor(std::min({p[0].y, p[1].y, p[2].y})));
    const int y1 = onCanvas(std::ceil(std::max({p[0].y, p[1].y, p[2].y})));
    // Each corner's weight is linear across the canvas: a step in x adds stepX.
    float stepX[3], stepY[3], origin[3];
    for (int k = 0; k < 3; k++) {
        const Projected &a = p[(k + 1) % 3], &b = p[(k + 2) % 3];
        stepX[k] = -(b.y - a.y) / area, stepY[k] = (b.x - a.x) / area;
        origin[k] = ((b.x - a.x) * (0.5f - a.y) - (0.5f - a.x) * (b.y - a.y)) / area;  // at the centre of sample (0, 0)
    }
    for (int y = y0; y <= y1; y++) {
        float w[3];
        for (int k = 0; k < 3; k++) w[k] = origin[k] + stepY[k] * float(y) + stepX[k] * float(x0);
        for (int x = x0; x <= x1; x++, w[0] += stepX[0], w[1] += stepX[1], w[2] += stepX[2]) {
            if (w[0] < 0 || w[1] < 0 || w[2] < 0) continue;  // either winding: both sides are drawn
            const float depth = w[0] * p[0].depth + w[1] * p[1].depth + w[2] * p[2].depth;
            const size_t at = size_t(y) * size_t(canvas.side) + size_t(x);
            if (canvas.covered[at] && depth <= canvas.depth[at]) continue;
            canvas.depth[at] = depth;
            canvas.covered[at] = 1;
            unsigned char* out = &canvas.rgb[3 * at];
            if (!skin) {
                out[0] = out[1] = out[2] = shade;
                continue;
            }
            const unsigned char* texel = Texel(*skin, w[0] * p[0].s + w[1] * p[1].s + w[2] * p[2].s,
                                               w[0] * p[0].t + w[1] * p[1].t + w[2] * p[2].t);
            out[0] = texel[0], out[1] = texel[1], out[2] = texel[2];
        }
    }
}

// A triangle of the frame, placed in the unit square the picture shows.
struct Placed {
    Projected corner[3];
    unsigned char shade;
};

// The frame's triangles in the unit square (y down), the camera fitted to
// their bounds.
std::vector<Placed> PlaceTriangles(const Md2Model& model) {
    const GltfGeometry geometry = BuildGeometry(model);
    const std::vector<float> positions = FramePositions(model, 0, geometry);
    const Camera camera = ThreeQuarterCamera();
    const Vec light = Unit(camera.toward + camera.up * 0.7f - camera.right * 0.4f);
    float low[2] = {std::numeric_limits<float>::max(), std::numeric_limits<float>::max()};
    float high[2] = {-low[0], -low[1]};
    std::vector<Vec> points;
    for (size_t v = 0; v < geometry.vertices.size(); v++) {
        const Vec p = {positions[3 * v], positions[3 * v + 1], positions[3 * v + 2]};
        points.push_back(p);
        const float onScreen[2] = {Dot(p, camera.right), Dot(p, camera.up)};
        for (int k = 0; k < 2; k++) low[k] = std::min(low[k], onScreen[k]), high[k] = std::max(high[k], onScreen[k]);
    }
    const float extent = std::max({high[0] - low[0], high[1] - low[1], 1e-6f});
    const float scale = kFill / extent;
    const float middle[2] = {(low[0] + high[0]) / 2, (low[1] + high[1]) / 2};
    std::vector<Placed> placed;
    for (size_t i = 0; i + 2 < geometry.indices.size(); i += 3) {
        Placed triangle;
        Vec corner[3];
        for (int k = 0; k < 3; k++) {
            const uint32_t v = geometry.indices[i + size_t(k)];
            corner[k] = points[v];
            triangle.corner[k] = {0.5f + (Dot(corner[k], camera.right) - middle[0]) * scale,
                                  0.5f - (Dot(corner[k], camera.up) - middle[1]) * scale, Dot(corner[k], camera.toward),
                                  geometry.vertices[v].s, geometry.vertices[v].t};
        }
        // Lit on whichever side faces the light: the shape reads either way.
        const float lit = std::fabs(Dot(Unit(Cross(corner[1] - corner[0], corner[2] - corner[0])), light));
        triangle.shade = (unsigned char)(float(kGrey) * (0.35f + 0.65f * lit));
        placed.push_back(triangle);
    }
    return placed;
}

// The samples the triangles' boxes cover on a canvas of `side`.
double SamplesVisited(const std::vector<Placed>& placed, int side) {
    double visited = 0;
    for (const Placed& t : placed) {
        double extent[2];
        for (int axis = 0; axis < 2; axis++) {
            float a = t.corner[0].x, b = t.corner[1].x, c = t.corner[2].x;
            if (axis) a = t.corner[0].y, b = t.corner[1].y, c = t.corner[2].y;
            const double from = std::max(0.0, double(std::min({a, b, c})));
            const double to = std::min(1.0, double(std::max({a, b, c})));
            extent[axis] = std::isfinite(from) && std::isfinite(to) && to >= from ? (to - from) * side + 2 : 0;
        }
        visited += extent[0] * extent[1];
    }
    return visited;
}

// The triangles drawn on `canvas`, its side chosen: kSamples a pixel, or
// fewer where that would visit more than kMostSamplesVisited samples.
void Draw(const std::vector<Placed>& placed, const RgbImage* skin, int size, Canvas* canvas) {
    int side = size * kSamples;
    const double most = std::max(kMostSamplesVisited, 2.0 * side * side);  // a very large picture may take longer
    while (side > 1 && SamplesVisited(placed, side) > most) side = side * 3 / 4;
    canvas->side = side;
    const size_t samples = size_t(side) * size_t(side);
    canvas->depth.assign(samples, 0);
    canvas->rgb.assign(3 * samples, 0);
    canvas->covered.assign(samples, 0);
    for (const Placed& t : placed) {
        Projected p[3];
        for (int k = 0; k < 3; k++) {
            p[k] = t.corner[k];
            p[k].x *= float(side), p[k].y *= float(side);
        }
        FillTriangle(*canvas, p, skin, t.shade);
    }
}

// The run of source samples or pixels [first, last) that target pixel `at`
// stands for, scaling `from` across to `to`: at least one.
void SourceBlock(int at, int from, int to, int* first, int* last) {
    *first = int(int64_t(at) * from / to);
    *last = std::max(*first + 1, int(int64_t(at + 1) * from / to));
}

// Each pixel's block of samples (kSamples x kSamples, or one on a smaller
// canvas) becomes the pixel: alpha its coverage, colour the mean of the
// covered samples.
std::vector<unsigned char> Downsample(const Canvas& canvas, int size) {
    std::vector<unsigned char> rgba(size_t(size) * size_t(size) * 4, 0);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            unsigned sum[3] = {0, 0, 0}, count = 0;
            int x0, x1, y0, y1;
            SourceBlock(x, canvas.side, size, &x0, &x1), SourceBlock(y, canvas.side, size, &y0, &y1);
            for (int sy = y0; sy < y1; sy++)
                for (int sx = x0; sx < x1; sx++) {
                    const size_t at = size_t(sy) * size_t(canvas.side) + size_t(sx);
                    if (!canvas.covered[at]) continue;
                    count++;
                    for (int c = 0; c < 3; c++) sum[c] += canvas.rgb[3 * at + size_t(c)];
                }
            unsigned char* out = &rgba[(size_t(y) * size_t(size) + size_t(x)) * 4];
            if (!count) continue;
            for (int c = 0; c < 3; c++) out[c] = (unsigned char)(sum[c] / count);
            out[3] = (unsigned char)(255 * count / unsigned((x1 - x0) * (y1 - y0)));
        }
    return rgba;
}

}  // namespace

namespace {

// The model's first frame, skinned where a skin is found; "" with
// `picture` filled, or why there is no picture.
std::string ModelPicture(const std::string& modelPath, const std::vector<unsigned char>& bytes, int size,
                         ThumbnailPicture* picture, std::string* skinPath) {
    Md2Model model{};
    const Md2Verdict verdict = ParseMD2(bytes.data(), bytes.size(), &model);
    if (verdict.refusal != kMd2Accepted) return RefusalMessage(verdict.offset, Md2RefusalText(verdict.refusal));
    const std::string problem = NonFiniteFrameText(Md2FrameData(model, 0));
    if (!problem.empty()) {
        ReleaseModel(&model);
        return "refused: frame 0: " + problem;
    }
    *skinPath = modelPath.empty() ? "" : FindSkin(modelPath, HeaderSkinPaths(bytes));
    const std::vector<Placed> placed = PlaceTriangles(model);
    ReleaseModel(&model);
    // A skin that is missing or refused leaves the model grey, not unthumbnailed.
    RgbImage skin{};
    const bool textured = !skinPath->empty() && ReadPcxInput(*skinPath, &skin).refusal == kPcxAccepted;
    if (!textured) skinPath->clear();
    Canvas canvas;
    Draw(placed, textured ? &skin : nullptr, size, &canvas);
    if (textured) std::free(skin.pixels);
    // A file manager shows its generic icon for a refusal, but an empty slot for an empty picture.
    if (std::find(canvas.covered.begin(), canvas.covered.end(), 1) == canvas.covered.end())
        return "frame 0 draws no visible picture (its scale makes it vanish or overflow)";
    *picture = ThumbnailPicture{size, size, true, Downsample(canvas, size)};
    return "";
}

// An 8-bit PCX scaled down to fit SIZE (never up), each pixel the mean of
// the block it stands for; opaque, as the viewer shows a skin.
std::string PcxPicture(const std::vector<unsigned char>& bytes, int size, ThumbnailPicture* picture) {
    RgbImage image{};
    const PcxVerdict verdict = ParsePCX(bytes.data(), bytes.size(), &image);
    if (verdict.refusal != kPcxAccepted) return RefusalMessage(verdict.offset, PcxRefusalText(verdict.refusal));
    const int longer = std::max(image.width, image.height);
    const double factor = longer > size ? double(size) / longer : 1;
    const int width = std::max(1, int(std::lround(image.width * factor)));
    const int height = std::max(1, int(std::lround(image.height * factor)));
    std::vector<unsigned char> rgb(size_t(width) * size_t(height) * 3);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            int x0, x1, y0, y1;
            SourceBlock(x, image.width, width, &x0, &x1), SourceBlock(y, image.height, height, &y0, &y1);
            unsigned sum[3] = {0, 0, 0};
            for (int sy = y0; sy < y1; sy++)
                for (int sx = x0; sx < x1; sx++)
                    for (int c = 0; c < 3; c++) sum[c] += image.pixels[(size_t(sy) * size_t(image.width) + size_t(sx)) * 3 + size_t(c)];
            unsigned char* out = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
            for (int c = 0; c < 3; c++) out[c] = (unsigned char)(sum[c] / unsigned((x1 - x0) * (y1 - y0)));
        }
    std::free(image.pixels);
    *picture = ThumbnailPicture{width, height, false, std::move(rgb)};
    return "";
}

}  // namespace

std::string ThumbnailPixels(const std::vector<unsigned char>& bytes, const std::string& modelPath, int size,
                            ThumbnailPicture* picture, std::string* skinPath) {
    // A PCX by its first byte (10); anything else is taken for a model and refused as one.
    const bool pcx = !bytes.empty() && bytes[0] == 10;
    if (pcx && bytes.size() > kLargestPcxFile) return "cannot read it: longer than any PCX the decoder takes";
    skinPath->clear();
    return pcx ? PcxPicture(bytes, size, picture) : ModelPicture(modelPath, bytes, size, picture, skinPath);
}

std::string MakeThumbnail(const std::string& input, const std::string& output, int size) {
    std::vector<unsigned char> bytes;
    std::string problem = ReadInputFile(input, std::max(kLargestMd2File, kLargestPcxFile), &bytes);
    if (!problem.empty()) return "cannot read it: " + problem;
    ThumbnailPicture picture;
    std::string skinPath;
    problem = ThumbnailPixels(bytes, input, size, &picture, &skinPath);
    if (!problem.empty()) return problem;
    const std::vector<unsigned char> png =
        picture.alpha ? EncodePngWithAlpha(picture.width, picture.height, picture.pixels.data(), true)
                      : EncodePng(RgbImage{picture.width, picture.height, picture.pixels.data()});
    if (png.empty()) return "cannot encode the thumbnail as PNG";
    problem = InputAsOutput({input, skinPath}, {output});
    return problem.empty() ? WriteInPlace(output, png.data(), png.size()) : problem;
}
