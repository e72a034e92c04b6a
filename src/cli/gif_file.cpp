#include "gif_file.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <unordered_map>

namespace {

using Colour = std::array<uint8_t, 3>;

uint32_t Key(const unsigned char* rgb) { return uint32_t(rgb[0]) << 16 | uint32_t(rgb[1]) << 8 | rgb[2]; }

// Median cut: the box of colours with the widest channel range is split at
// its median along that channel until there are `most` boxes (or no box can
// be split); each box gives its mean colour.
std::vector<Colour> MedianCut(std::vector<Colour> colours, size_t most) {
    struct Box {
        size_t begin, end;
    };
    std::vector<Box> boxes = {{0, colours.size()}};
    const auto widest = [&colours](const Box& box, int* channel) {
        int best = -1;
        for (int c = 0; c < 3; c++) {
            const auto [low, high] = std::minmax_element(colours.begin() + long(box.begin), colours.begin() + long(box.end),
                                                         [c](const Colour& a, const Colour& b) { return a[c] < b[c]; });
            if ((*high)[c] - (*low)[c] > best) best = (*high)[c] - (*low)[c], *channel = c;
        }
        return best;
    };
    while (boxes.size() < most) {
        size_t chosen = boxes.size();
        int channel = 0, range = 0;
        for (size_t b = 0; b < boxes.size(); b++) {
            int c = 0;
            const int r = boxes[b].end - boxes[b].begin > 1 ? widest(boxes[b], &c) : 0;
            if (r > range) range = r, chosen = b, channel = c;
        }
        if (chosen == boxes.size()) break;
        Box& box = boxes[chosen];
        const auto first = colours.begin() + long(box.begin), last = colours.begin() + long(box.end);
        const auto middle = first + (last - first) / 2;
        std::nth_element(first, middle, last, [channel](const Colour& a, const Colour& b) { return a[channel] < b[channel]; });
        const size_t split = size_t(middle - colours.begin());
        boxes.push_back({split, box.end});
        box.end = split;
    }
    std::vector<Colour> palette;
    for (const Box& box : boxes) {
        uint64_t sum[3] = {0, 0, 0};
        for (size_t i = box.begin; i < box.end; i++)
            for (int c = 0; c < 3; c++) sum[c] += colours[i][size_t(c)];
        const uint64_t n = box.end - box.begin;
        palette.push_back({uint8_t(sum[0] / n), uint8_t(sum[1] / n), uint8_t(sum[2] / n)});
    }
    return palette;
}

// The frame's palette (at most 256 colours) and each pixel's index into it.
void Quantise(const GifFrame& frame, std::vector<Colour>* palette, std::vector<GifByteType>* indices) {
    std::unordered_map<uint32_t, uint32_t> counts;
    for (size_t i = 0; i + 2 < frame.size(); i += 3) counts[Key(&frame[i])]++;
    std::vector<Colour> colours;
    for (size_t i = 0; i + 2 < frame.size(); i += 3) colours.push_back({frame[i], frame[i + 1], frame[i + 2]});
    if (counts.size() <= 256) {
        palette->clear();
        for (const auto& entry : counts)
            palette->push_back({uint8_t(entry.first >> 16), uint8_t(entry.first >> 8), uint8_t(entry.first)});
    } else {
        *palette = MedianCut(colours, 256);
    }
    std::unordered_map<uint32_t, GifByteType> nearest;
    for (const auto& entry : counts) {
        const int r = int(entry.first >> 16), g = int(entry.first >> 8 & 0xFF), b = int(entry.first & 0xFF);
        int best = 0, bestDistance = 1 << 30;
        for (size_t p = 0; p < palette->size(); p++) {
            const Colour& c = (*palette)[p];
            const int distance = (r - c[0]) * (r - c[0]) + (g - c[1]) * (g - c[1]) + (b - c[2]) * (b - c[2]);
            if (distance < bestDistance) bestDistance = distance, best = int(p);
        }
        nearest[entry.first] = GifByteType(best);
    }
    indices->clear();
    for (size_t i = 0; i + 2 < frame.size(); i += 3) indices->push_back(nearest[Key(&frame[i])]);
}

// The NETSCAPE2.0 application extension: loop for ever.
bool PutLooping(GifFileType* gif) {
    static const char application[] = "NETSCAPE2.0";
    static const GifByteType forever[3] = {1, 0, 0};
    return EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
           EGifPutExtensionBlock(gif, 11, application) == GIF_OK && EGifPutExtensionBlock(gif, 3, forever) == GIF_OK &&
           EGifPutExtensionTrailer(gif) == GIF_OK;
}

bool PutFrame(GifFileType* gif, int width, int height, const GifFrame& frame, int delay) {
    GraphicsControlBlock control = {DISPOSE_DO_NOT, false, delay, NO_TRANSPARENT_COLOR};
    GifByteType extension[4];
    const size_t length = EGifGCBToExtension(&control, extension);
    std::vector<Colour> palette;
    std::vector<GifByteType> indices;
    Quantise(frame, &palette, &indices);
    GifColorType colours[256] = {};
    for (size_t p = 0; p < palette.size(); p++) colours[p] = {palette[p][0], palette[p][1], palette[p][2]};
    ColorMapObject* map = GifMakeMapObject(256, colours);
    bool written = map && EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), extension) == GIF_OK &&
                   EGifPutImageDesc(gif, 0, 0, width, height, false, map) == GIF_OK;
    for (int row = 0; row < height && written; row++)
        written = EGifPutLine(gif, &indices[size_t(row) * size_t(width)], width) == GIF_OK;
    GifFreeMapObject(map);
    return written;
}

}  // namespace

bool WriteAnimatedGif(const std::string& path, int width, int height, const std::vector<GifFrame>& frames,
                      int delayCentiseconds) {
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
    if (!gif) return false;
    EGifSetGifVersion(gif, true);
    bool written = EGifPutScreenDesc(gif, width, height, 8, 0, nullptr) == GIF_OK && PutLooping(gif);
    for (size_t f = 0; f < frames.size() && written; f++) written = PutFrame(gif, width, height, frames[f], delayCentiseconds);
    const int reason = errno;
    const bool closed = EGifCloseFile(gif, &error) == GIF_OK;
    if (!written) errno = reason;
    return written && closed;
}
