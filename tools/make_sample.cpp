// Writes Velmorin's own sample: an animated MD2 model (a lantern of two
// 8-sided rings with pointed caps, spinning and then breathing) whose GL
// commands use a strip for the sides and fans for the caps, with the
// triangle and texture-coordinate tables other tools read, and an 8-bit PCX
// skin for it.
//
//   make_sample FOLDER   writes FOLDER/lantern.md2 and FOLDER/lantern.pcx
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "write_file.h"

namespace {

const int kSides = 8;
const int kVertices = 2 * kSides + 2;  // upper ring, lower ring, top, bottom
const int kTop = 2 * kSides, kBottom = 2 * kSides + 1;
const int kSkinSize = 64;

struct Point {
    double x, y, z;
};

void Put32(std::string& out, uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) out += char(v >> shift & 0xFF);
}

void PutFloat(std::string& out, float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    Put32(out, bits);
}

// The model's shape at a turn angle and a height factor; model space has Z up.
std::vector<Point> Shape(double turn, double height) {
    std::vector<Point> points(kVertices);
    for (int i = 0; i < kSides; i++) {
        const double a = turn + 2 * M_PI * i / kSides;
        points[i] = {16 * std::cos(a), 16 * std::sin(a), 10 * height};
        points[kSides + i] = {16 * std::cos(a), 16 * std::sin(a), -10 * height};
    }
    points[kTop] = {0, 0, 24 * height};
    points[kBottom] = {0, 0, -24 * height};
    return points;
}

// A frame stores each coordinate as a byte with a per-frame scale and offset.
std::string Frame(const std::vector<Point>& points, const char* name) {
    Point low = points[0], high = points[0];
    for (const Point& p : points) {
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
    const Point scale = {(high.x - low.x) / 255, (high.y - low.y) / 255, (high.z - low.z) / 255};
    std::string frame;
    for (double v : {scale.x, scale.y, scale.z, low.x, low.y, low.z}) PutFloat(frame, float(v));
    char field[16] = {};
    std::memcpy(field, name, std::min(std::strlen(name), sizeof field));
    frame.append(field, sizeof field);
    for (const Point& p : points) {
        frame += char(std::lround((p.x - low.x) / scale.x));
        frame += char(std::lround((p.y - low.y) / scale.y));
        frame += char(std::lround((p.z - low.z) / scale.z));
        frame += char(0);  // normal index, unused
    }
    return frame;
}

void Vertex(std::vector<int32_t>& words, float s, float t, int index) {
    int32_t bits;
    std::memcpy(&bits, &s, 4);
    words.push_back(bits);
    std::memcpy(&bits, &t, 4);
    words.push_back(bits);
    words.push_back(index);
}

// Triangles wind clockwise seen from outside, as MD2 models do.
std::vector<int32_t> Commands() {
    std::vector<int32_t> words;
    words.push_back(2 * (kSides + 1));  // the sides: one strip round the rings
    for (int i = 0; i <= kSides; i++) {
        const float s = float(i) / kSides;
        Vertex(words, s, 0.7f, kSides + i % kSides);
        Vertex(words, s, 0.3f, i % kSides);
    }
    words.push_back(-(kSides + 2));  // top cap: a fan round the top point
    Vertex(words, 0.5f, 0.0f, kTop);
    for (int i = kSides; i >= 0; i--) Vertex(words, float(i) / kSides, 0.3f, i % kSides);
    words.push_back(-(kSides + 2));  // bottom cap
    Vertex(words, 0.5f, 1.0f, kBottom);
    for (int i = 0; i <= kSides; i++) Vertex(words, float(i) / kSides, 0.7f, kSides + i % kSides);
    words.push_back(0);
    return words;
}

// The texture-coordinate and triangle tables other tools read (the viewer
// draws from the GL commands): every triangle the strips and fans make, in
// the order and winding GL gives them, with its corners' coordinates.
void Tables(const std::vector<int32_t>& commands, std::string* texCoords, std::string* triangles,
            uint32_t* numTexCoords, uint32_t* numTriangles) {
    *numTexCoords = *numTriangles = 0;
    for (size_t at = 0; commands[at] != 0;) {
        const int32_t count = std::abs(commands[at]);
        const bool fan = commands[at] < 0;
        const size_t first = *numTexCoords;
        for (int32_t k = 0; k < count; k++) {
            float st[2];
            std::memcpy(st, &commands[at + 1 + 3 * k], sizeof st);
            for (float v : st) {
                const uint16_t texel = uint16_t(std::lround(v * kSkinSize));
                *texCoords += char(texel & 0xFF), *texCoords += char(texel >> 8);
            }
            ++*numTexCoords;
        }
        for (int32_t n = 2; n < count; n++) {
            const int32_t a = fan ? 0 : n - 2 + n % 2, b = fan ? n - 1 : n - 1 - n % 2;
            for (int32_t k : {a, b, n}) {  // vertex indices, then texture-coordinate indices
                const int32_t index = commands[at + 1 + 3 * k + 2];
                *triangles += char(index & 0xFF), *triangles += char(index >> 8);
            }
            for (int32_t k : {a, b, n}) {
                const uint32_t st = uint32_t(first + k);
                *triangles += char(st & 0xFF), *triangles += char(st >> 8);
            }
            ++*numTriangles;
        }
        at += 1 + 3 * size_t(count);
    }
}

std::string Model() {
    std::vector<std::string> frames;
    char name[16];
    for (int f = 0; f < 8; f++) {  // spin01..spin08: an eighth of a turn in all
        std::snprintf(name, sizeof name, "spin%02d", f + 1);
        frames.push_back(Frame(Shape(M_PI / 4 * f / 8, 1), name));
    }
    for (int f = 0; f < 4; f++) {  // breathe01..breathe04
        std::snprintf(name, sizeof name, "breathe%02d", f + 1);
        frames.push_back(Frame(Shape(0, 1 + 0.15 * std::sin(M_PI * f / 2)), name));
    }
    const std::vector<int32_t> commands = Commands();
    std::string texCoords, triangles;
    uint32_t numTexCoords, numTriangles;
    Tables(commands, &texCoords, &triangles, &numTexCoords, &numTriangles);
    const uint32_t frameSize = uint32_t(frames[0].size());
    const uint32_t texCoordsAt = 68, trianglesAt = texCoordsAt + uint32_t(texCoords.size());
    const uint32_t framesAt = trianglesAt + uint32_t(triangles.size());
    const uint32_t commandsAt = framesAt + frameSize * uint32_t(frames.size());
    const uint32_t end = commandsAt + 4 * uint32_t(commands.size());
    std::string file = "IDP2";
    for (uint32_t v : {8u, uint32_t(kSkinSize), uint32_t(kSkinSize), frameSize, 0u, uint32_t(kVertices),
                       numTexCoords, numTriangles, uint32_t(commands.size()), uint32_t(frames.size()), texCoordsAt,
                       texCoordsAt, trianglesAt, framesAt, commandsAt, end})
        Put32(file, v);
    file += texCoords + triangles;
    for (const std::string& frame : frames) file += frame;
    for (int32_t word : commands) Put32(file, uint32_t(word));
    return file;
}

// Bands of colour across, a checker down the middle; run-length encoded.
std::string Skin() {
    std::string file(128, '\0');
    file[0] = 10, file[1] = 5, file[2] = 1, file[3] = 8;
    file[8] = kSkinSize - 1, file[10] = kSkinSize - 1;
    file[12] = 72, file[14] = 72;
    file[65] = 1, file[66] = kSkinSize, file[68] = 1;
    std::vector<uint8_t> pixels;
    for (int y = 0; y < kSkinSize; y++)
        for (int x = 0; x < kSkinSize; x++) {
            const bool middle = y >= 20 && y < 44;
            pixels.push_back(uint8_t(middle ? ((x / 8 + y / 8) % 2 ? 200 : 40) : 16 * (y / 8) + x / 16));
        }
    for (size_t i = 0; i < pixels.size();) {
        size_t run = 1;
        while (i + run < pixels.size() && run < 63 && pixels[i + run] == pixels[i] &&
               (i + run) % kSkinSize != 0)  // runs stop at line ends, as most writers do
            run++;
        if (run > 1 || pixels[i] >= 0xC0) file += char(0xC0 | run);
        file += char(pixels[i]);
        i += run;
    }
    file += char(12);
    for (int i = 0; i < 256; i++) {  // warm to cool ramps, and a bright pair for the checker
        const double t = i / 255.0;
        file += char(std::lround(255 * (0.3 + 0.7 * t)));
        file += char(std::lround(255 * (0.5 + 0.5 * std::sin(6 * t))));
        file += char(std::lround(255 * (1 - t)));
    }
    return file;
}


}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    if (!WriteWholeFile(folder + "/lantern.md2", Model()) || !WriteWholeFile(folder + "/lantern.pcx", Skin())) {
        std::fprintf(stderr, "make_sample: cannot write into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
