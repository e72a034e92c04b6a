// Draws Velmorin's toolbar bitmap (208 x 15, thirteen 16 x 15 images) and its
// icon (32 x 32), both in the 16 standard Windows colours, and writes them as
// toolbar.bmp and velmorin.ico, and the icon again as velmorin.png and, four
// times as large, velmorin-128.png for desktop menus, into the folder given.
//
//   make_resource_pictures res
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "write_file.h"

namespace {

enum Colour : uint8_t {
    kBlack, kMaroon, kGreen, kOlive, kNavy, kPurple, kTeal, kSilver,
    kGrey, kRed, kLime, kYellow, kBlue, kFuchsia, kAqua, kWhite
};

const uint8_t kPalette[16][3] = {  // R, G, B
    {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0}, {0, 0, 128},   {128, 0, 128},
    {0, 128, 128},   {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0}, {255, 255, 0},
    {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};

struct Picture {
    int width, height;
    std::vector<uint8_t> pixels;  // colour indices, top row first
    Picture(int w, int h, Colour fill) : width(w), height(h), pixels(size_t(w) * h, fill) {}
    void Set(int x, int y, Colour c) {
        if (x >= 0 && y >= 0 && x < width && y < height) pixels[size_t(y) * width + x] = c;
    }
    void Fill(int x0, int y0, int x1, int y1, Colour c) {  // inclusive
        for (int y = y0; y <= y1; y++)
            for (int x = x0; x <= x1; x++) Set(x, y, c);
    }
    // A line `width` pixels wide: a width x width pen whose top left corner
    // runs from (x0, y0) to (x1, y1).
    void Line(int x0, int y0, int x1, int y1, Colour c, int width = 1) {
        const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
        for (int i = 0; i <= steps; i++) {
            const double t = steps ? double(i) / steps : 0;
            const int x = int(std::lround(x0 + t * (x1 - x0))), y = int(std::lround(y0 + t * (y1 - y0)));
            Fill(x, y, x + width - 1, y + width - 1, c);
        }
    }
};

// A triangle pointing right (or left) with its base at `base` and tip at `tip`.
void Arrowhead(Picture& p, int base, int tip, int centerY, int halfHeight, Colour c) {
    const int length = std::abs(tip - base);
    for (int i = 0; i <= length; i++) {
        const int x = base + (tip > base ? i : -i);
        const int h = halfHeight * (length - i) / length;
        p.Fill(x, centerY - h, x, centerY + h, c);
    }
}

// A triangle pointing up (or down) with its base at row `base` and tip at row `tip`.
void Spike(Picture& p, int base, int tip, int centerX, int halfWidth, Colour c) {
    const int length = std::abs(tip - base);
    for (int i = 0; i <= length; i++) {
        const int y = base + (tip > base ? i : -i);
        const int w = halfWidth * (length - i) / length;
        p.Fill(centerX - w, y, centerX + w, y, c);
    }
}

void Ring(Picture& p, double cx, double cy, double inner, double outer, Colour c, double gapFrom = 9, double gapTo = 9) {
    for (int y = 0; y < p.height; y++)
        for (int x = 0; x < p.width; x++) {
            const double dx = x - cx, dy = y - cy, r = std::sqrt(dx * dx + dy * dy);
            const double angle = std::atan2(-dy, dx);
            if (r >= inner && r <= outer && !(angle > gapFrom && angle < gapTo)) p.Set(x, y, c);
        }
}

// The thirteen toolbar images, each 16 x 15 on the button face colour.
std::vector<Picture> ToolbarImages() {
    std::vector<Picture> images(13, Picture(16, 15, kSilver));
    Arrowhead(images[0], 5, 11, 7, 5, kBlack);                    // play
    images[1].Fill(4, 3, 11, 10, kBlack);                         // stop
    images[2].Fill(2, 3, 3, 11, kBlack);                          // first: bar, two triangles
    Arrowhead(images[2], 9, 4, 7, 4, kBlack);
    Arrowhead(images[2], 14, 9, 7, 4, kBlack);
    Arrowhead(images[3], 8, 2, 7, 4, kBlack);                     // previous
    Arrowhead(images[3], 14, 8, 7, 4, kBlack);
    Arrowhead(images[4], 1, 7, 7, 4, kBlack);                     // next
    Arrowhead(images[4], 7, 13, 7, 4, kBlack);
    Arrowhead(images[5], 1, 6, 7, 4, kBlack);                     // last: two triangles, bar
    Arrowhead(images[5], 6, 11, 7, 4, kBlack);
    images[5].Fill(12, 3, 13, 11, kBlack);
    images[6].Fill(3, 6, 12, 8, kNavy);                           // plus
    images[6].Fill(7, 2, 8, 12, kNavy);
    images[7].Fill(3, 6, 12, 8, kNavy);                           // minus
    Picture& camera = images[8];
    camera.Fill(5, 3, 8, 4, kGrey);
    camera.Fill(2, 5, 13, 12, kGrey);
    Ring(camera, 7.5, 8.5, 0, 2.6, kBlack);
    Ring(camera, 7.5, 8.5, 0, 1.2, kAqua);
    camera.Set(12, 6, kYellow);
    images[9].Fill(2, 6, 8, 8, kBlack);                           // right arrow
    Arrowhead(images[9], 9, 14, 7, 5, kBlack);
    images[10].Fill(7, 7, 8, 13, kBlack);                         // up arrow
    Spike(images[10], 7, 1, 7, 5, kBlack);
    images[10].Fill(8, 2, 8, 7, kBlack);
    images[11].Fill(7, 1, 8, 7, kBlack);                          // down arrow
    Spike(images[11], 7, 13, 7, 5, kBlack);
    images[11].Fill(8, 7, 8, 12, kBlack);
    Ring(images[12], 7.5, 7, 3.5, 5.5, kMaroon, 0.3, 1.4);        // rotation label: an open ring
    Arrowhead(images[12], 11, 15, 4, 3, kMaroon);
    return images;
}

// The icon: a wire-frame octahedron, as the viewer draws models, on a navy
// disk; drawn on a 32 x 32 grid, `scale` pixels to a grid step (1 for the
// Windows icon, 4 for today's desktop menus).
Picture IconPicture(int scale, std::vector<bool>* transparent) {
    const int side = 32 * scale;
    Picture icon(side, side, kNavy);
    transparent->assign(size_t(side) * side, false);
    const double center = (side - 1) / 2.0, radius = 15.8 * scale;
    for (int y = 0; y < side; y++)
        for (int x = 0; x < side; x++) {
            const double dx = x - center, dy = y - center;
            // Black under the AND mask: Windows XORs the colour image onto
            // the background there, and only black leaves it unchanged.
            if (dx * dx + dy * dy > radius * radius) {
                (*transparent)[size_t(y) * side + x] = true;
                icon.Set(x, y, kBlack);
            }
        }
    const int top[2] = {16, 3}, bottom[2] = {16, 28};
    const int ring[4][2] = {{5, 15}, {13, 19}, {27, 16}, {19, 12}};
    const auto edge = [&](const int* a, const int* b, Colour c) {
        icon.Line(a[0] * scale, a[1] * scale, b[0] * scale, b[1] * scale, c, scale);
    };
    for (int i = 0; i < 4; i++) {
        const int* a = ring[i];
        const int* b = ring[(i + 1) % 4];
        edge(a, b, kAqua);
        edge(top, a, kYellow);
        edge(bottom, a, kAqua);
    }
    return icon;
}

void Put16(std::string& out, unsigned v) {
    out += char(v & 0xFF);
    out += char(v >> 8 & 0xFF);
}

void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// BITMAPINFOHEADER, palette and 4-bit rows, bottom row first (as in both files).
std::string DibOf(const Picture& p, int headerHeight, uint32_t imageSize) {
    std::string dib;
    Put32(dib, 40);
    Put32(dib, uint32_t(p.width));
    Put32(dib, uint32_t(headerHeight));
    Put16(dib, 1);
    Put16(dib, 4);
    Put32(dib, 0);
    Put32(dib, imageSize);
    for (int i = 0; i < 4; i++) Put32(dib, 0);
    for (const auto& rgb : kPalette) dib += {char(rgb[2]), char(rgb[1]), char(rgb[0]), 0};
    const int rowBytes = (p.width / 2 + 3) / 4 * 4;
    for (int y = p.height - 1; y >= 0; y--) {
        std::string row(size_t(rowBytes), '\0');
        for (int x = 0; x < p.width; x++)
            row[x / 2] = char(row[x / 2] | p.pixels[size_t(y) * p.width + x] << (x % 2 ? 0 : 4));
        dib += row;
    }
    return dib;
}

std::string Bitmap(const Picture& p) {
    const uint32_t imageSize = uint32_t((p.width / 2 + 3) / 4 * 4 * p.height);
    const std::string dib = DibOf(p, p.height, imageSize);
    std::string file = "BM";
    Put32(file, uint32_t(14 + dib.size()));
    Put32(file, 0);
    Put32(file, 14 + 40 + 64);
    return file + dib;
}

std::string Icon(const Picture& p, const std::vector<bool>& transparent) {
    std::string image = DibOf(p, 2 * p.height, 32 * 16 + 32 * 4);
    for (int y = p.height - 1; y >= 0; y--) {  // the AND mask: 1 where transparent
        std::string row(4, '\0');
        for (int x = 0; x < 32; x++)
            if (transparent[size_t(y) * 32 + x]) row[x / 8] = char(row[x / 8] | 0x80 >> (x % 8));
        image += row;
    }
    std::string file;
    Put16(file, 0);
    Put16(file, 1);  // an icon
    Put16(file, 1);  // one image
    file += {char(32), char(32), char(16), char(0)};
    Put16(file, 1);
    Put16(file, 4);
    Put32(file, uint32_t(image.size()));
    Put32(file, 22);
    return file + image;
}

uint32_t Crc32(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFF;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int k = 0; k < 8; k++) crc = crc & 1 ? 0xEDB88320 ^ (crc >> 1) : crc >> 1;
    }
    return ~crc;
}

void PutBig32(std::string& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out += char(v >> shift & 0xFF);
}

void Chunk(std::string& png, const char* type, const std::string& data) {
    PutBig32(png, uint32_t(data.size()));
    const std::string body = type + data;
    png += body;
    PutBig32(png, Crc32(body));
}

// The icon as a PNG for desktop menus: RGBA, stored (uncompressed) deflate.
std::string Png(const Picture& p, const std::vector<bool>& transparent) {
    std::string raw;
    for (int y = 0; y < p.height; y++) {
        raw += '\0';  // no filter
        for (int x = 0; x < p.width; x++) {
            const uint8_t* rgb = kPalette[p.pixels[size_t(y) * p.width + x]];
            raw += {char(rgb[0]), char(rgb[1]), char(rgb[2]), char(transparent[size_t(y) * p.width + x] ? 0 : 255)};
        }
    }
    uint32_t a = 1, b = 0;
    for (unsigned char byte : raw) a = (a + byte) % 65521, b = (b + a) % 65521;
    // Stored blocks of at most 65535 bytes, the last one marked final.
    std::string zlib = {char(0x78), char(0x01)};
    for (size_t at = 0; at < raw.size(); at += 65535) {
        const size_t length = std::min<size_t>(65535, raw.size() - at);
        zlib += char(at + length == raw.size() ? 1 : 0);
        Put16(zlib, uint32_t(length));
        Put16(zlib, uint32_t(~length & 0xFFFF));
        zlib += raw.substr(at, length);
    }
    PutBig32(zlib, b << 16 | a);
    std::string header;
    PutBig32(header, uint32_t(p.width));
    PutBig32(header, uint32_t(p.height));
    header += {char(8), char(6), char(0), char(0), char(0)};  // 8-bit RGBA
    std::string png = "\x89PNG\r\n\x1a\n";
    Chunk(png, "IHDR", header);
    Chunk(png, "IDAT", zlib);
    Chunk(png, "IEND", "");
    return png;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_resource_pictures FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    Picture strip(208, 15, kSilver);
    const std::vector<Picture> images = ToolbarImages();
    for (size_t i = 0; i < images.size(); i++)
        for (int y = 0; y < 15; y++)
            for (int x = 0; x < 16; x++) strip.Set(int(i) * 16 + x, y, Colour(images[i].pixels[size_t(y) * 16 + x]));
    std::vector<bool> transparent, largeTransparent;
    const Picture icon = IconPicture(1, &transparent);
    const Picture largeIcon = IconPicture(4, &largeTransparent);
    if (!WriteWholeFile(folder + "/toolbar.bmp", Bitmap(strip)) ||
        !WriteWholeFile(folder + "/velmorin.ico", Icon(icon, transparent)) ||
        !WriteWholeFile(folder + "/velmorin.png", Png(icon, transparent)) ||
        !WriteWholeFile(folder + "/velmorin-128.png", Png(largeIcon, largeTransparent))) {
        std::fprintf(stderr, "make_resource_pictures: cannot write into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
