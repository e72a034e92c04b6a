// Prints the program's pure arithmetic over a grid of inputs, one line per
// case with the results' exact bits, so that two builds (the 64-bit one and a
// 32-bit one made with the Windows i686 build's floating-point flags) can be
// compared byte for byte.
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

#include "formats/md2.h"
#include "render/camera.h"
#include "render/camera_steps.h"
#include "render/skin_pixels.h"

namespace {

uint32_t Bits(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

uint64_t Fnv1a(const unsigned char* bytes, size_t count) {
    uint64_t hash = 1469598103934665603u;
    for (size_t i = 0; i < count; i++) hash = (hash ^ bytes[i]) * 1099511628211u;
    return hash;
}

void PrintEye(const char* what, const Vec3& eye) {
    std::printf("%s %08" PRIx32 " %08" PRIx32 " %08" PRIx32 "\n", what, Bits(eye.x), Bits(eye.y), Bits(eye.z));
}

void BrightnessTables() {
    std::vector<float> gammas = {0.0f, -1.0f, 1e-30f, 1e30f, std::numeric_limits<float>::infinity(),
                                 std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::denorm_min()};
    for (int hundredths = 1; hundredths <= 500; hundredths++) gammas.push_back(float(hundredths) / 100);
    for (float gamma : gammas) {
        unsigned char table[256];
        BuildBrightnessTable(gamma, table);
        std::printf("brightness %08" PRIx32 ":", Bits(gamma));
        for (unsigned char byte : table) std::printf(" %u", byte);
        std::printf("\n");
    }
}

// Each source pixel holds its own row and column, so the hash of the output
// pins every sampling decision.
void Resamples() {
    const int sides[] = {1, 2, 3, 5, 7, 13, 31, 64, 100, 127, 200, 255, 256, 300, 320, 400, 480, 511, 512, 640, 1000};
    for (int sourceWidth : sides)
        for (int sourceHeight : sides) {
            std::vector<unsigned char> source(size_t(sourceWidth) * sourceHeight * 3);
            for (int r = 0; r < sourceHeight; r++)
                for (int c = 0; c < sourceWidth; c++) {
                    unsigned char* p = &source[3 * (size_t(r) * sourceWidth + c)];
                    p[0] = uint8_t(r), p[1] = uint8_t(c), p[2] = uint8_t((r >> 8) << 4 | (c >> 8));
                }
            const RgbImage image = {sourceWidth, sourceHeight, source.data()};
            const int width = PowerOfTwoSide(sourceWidth), height = PowerOfTwoSide(sourceHeight);
            std::vector<unsigned char> out(size_t(width) * height * 3);
            ResampleNearest(image, width, height, out.data());
            std::printf("resample %dx%d -> %dx%d %016" PRIx64 "\n", sourceWidth, sourceHeight, width, height,
                        Fnv1a(out.data(), out.size()));
        }
}

// Long chains of steps, so that a last-bit difference anywhere carries on.
void CameraSteps() {
    const Vec3 starts[] = {{100, 0, 0}, {0, 30, 40}, {-12.5f, 7.25f, 3}, {1e-3f, -2e-3f, 5e-4f}, {3e4f, 1e4f, -2e4f}};
    for (const Vec3& start : starts) {
        Vec3 eye = start;
        for (int dy = -40; dy <= 40; dy += 7)
            for (int dx = -45; dx <= 45; dx += 9) {
                eye = OrbitedEye(eye, dx, dy);
                PrintEye("orbit", eye);
            }
        for (int step = 0; step < 40; step++) {
            ZoomedEye(eye, step % 3 == 2 ? -kZoomStep : kZoomStep, &eye);
            PrintEye("zoom", eye);
        }
        float angle = -3.3f;
        for (int step = 0; step < 200; step++, angle += 0.033f) {
            float a = eye.x, b = eye.z;
            RotatePair(angle, &a, &b);
            std::printf("rotate %08" PRIx32 " %08" PRIx32 "\n", Bits(a), Bits(b));
        }
    }
    float height = 0;
    for (int moved = -300; moved <= 300; moved += 7) {
        height = PannedHeight(height, moved);
        std::printf("pan %08" PRIx32 "\n", Bits(height));
    }
}

// Frames of 256 vertices under scales and translations of many magnitudes:
// the one place a file's floats meet arithmetic.
void VertexDecoding() {
    uint32_t seed = 12345;
    const auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    int32_t words[3 * 256];
    for (int32_t i = 0; i < 256; i++) words[3 * i] = words[3 * i + 1] = 0, words[3 * i + 2] = i;
    const Md2Command command = {0, 256, words};
    for (int trial = 0; trial < 300; trial++) {
        unsigned char frame[40 + 4 * 256] = {};
        for (int k = 0; k < 6; k++) {
            const float magnitude = std::ldexp(1.0f, int(next() % 40) - 20);
            const float value = magnitude * (float(next() % 2000001) / 1000000 - 1);
            std::memcpy(frame + 4 * k, &value, 4);
        }
        for (int i = 0; i < 256; i++) {
            unsigned char* v = frame + 40 + 4 * i;
            v[0] = uint8_t(i), v[1] = uint8_t(255 - i), v[2] = uint8_t(i * 7);
        }
        std::vector<uint32_t> bits;
        for (int32_t n = 0; n < 256; n++) {
            const Md2Vertex vertex = DecodeMd2Vertex(frame, command, n);
            bits.insert(bits.end(), {Bits(vertex.x), Bits(vertex.y), Bits(vertex.z)});
        }
        std::printf("vertices %d %016" PRIx64 "\n", trial,
                    Fnv1a(reinterpret_cast<const unsigned char*>(bits.data()), bits.size() * 4));
    }
}

void Aspects() {
    for (int width = 0; width <= 2000; width += 37)
        for (int height = 0; height <= 1500; height += 41)
            std::printf("aspect %d %d %08" PRIx32 "\n", width, height, Bits(AspectOf(width, height)));
}

}  // namespace

int main() {
    BrightnessTables();
    Resamples();
    CameraSteps();
    VertexDecoding();
    Aspects();
    return 0;
}
