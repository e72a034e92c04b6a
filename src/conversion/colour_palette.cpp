#include "colour_palette.h"

#include <algorithm>
#include <unordered_map>

namespace {

uint32_t Key(const unsigned char* rgb) { return uint32_t(rgb[0]) << 16 | uint32_t(rgb[1]) << 8 | rgb[2]; }

struct Box {
    size_t begin, end;
};

// The channel along which the box's colours spread most, and how far.
int Widest(const std::vector<PaletteColour>& colours, const Box& box, int* channel) {
    int best = -1;
    for (int c = 0; c < 3; c++) {
        const auto [low, high] =
            std::minmax_element(colours.begin() + long(box.begin), colours.begin() + long(box.end),
                                [c](const PaletteColour& a, const PaletteColour& b) { return a[size_t(c)] < b[size_t(c)]; });
        if ((*high)[size_t(c)] - (*low)[size_t(c)] > best) best = (*high)[size_t(c)] - (*low)[size_t(c)], *channel = c;
    }
    return best;
}

// Median cut: the box with the widest channel range is split at its median
// along that channel until there are `most` boxes or none can be split.
std::vector<PaletteColour> MedianCut(std::vector<PaletteColour> colours, size_t most) {
    std::vector<Box> boxes = {{0, colours.size()}};
    while (boxes.size() < most) {
        size_t chosen = boxes.size();
        int channel = 0, range = 0;
        for (size_t b = 0; b < boxes.size(); b++) {
            int c = 0;
            const int r = boxes[b].end - boxes[b].begin > 1 ? Widest(colours, boxes[b], &c) : 0;
            if (r > range) range = r, chosen = b, channel = c;
        }
        if (chosen == boxes.size()) break;
        Box& box = boxes[chosen];
        const auto first = colours.begin() + long(box.begin), last = colours.begin() + long(box.end);
        const auto middle = first + (last - first) / 2;
        std::nth_element(first, middle, last, [channel](const PaletteColour& a, const PaletteColour& b) {
            return a[size_t(channel)] < b[size_t(channel)];
        });
        const size_t split = size_t(middle - colours.begin());
        const Box upper = {split, box.end};
        box.end = split;
        boxes.push_back(upper);
    }
    std::vector<PaletteColour> palette;
    for (const Box& box : boxes) {
        uint64_t sum[3] = {0, 0, 0};
        for (size_t i = box.begin; i < box.end; i++)
            for (size_t c = 0; c < 3; c++) sum[c] += colours[i][c];
        const uint64_t n = box.end - box.begin;
        palette.push_back({uint8_t(sum[0] / n), uint8_t(sum[1] / n), uint8_t(sum[2] / n)});
    }
    return palette;
}

}  // namespace

std::vector<PaletteColour> PaletteOf(const unsigned char* rgb, size_t pixels, size_t most) {
    std::unordered_map<uint32_t, bool> seen;
    std::vector<PaletteColour> distinct;
    for (size_t i = 0; i < pixels; i++)
        if (seen.emplace(Key(rgb + 3 * i), true).second) distinct.push_back({rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]});
    if (distinct.size() <= most) return distinct;
    std::vector<PaletteColour> all(pixels);  // every pixel, so that the cut weighs colours by their use
    for (size_t i = 0; i < pixels; i++) all[i] = {rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]};
    return MedianCut(std::move(all), most);
}

std::vector<uint8_t> NearestEntries(const unsigned char* rgb, size_t pixels, const std::vector<PaletteColour>& palette) {
    std::unordered_map<uint32_t, uint8_t> nearest;
    std::vector<uint8_t> entries(pixels);
    for (size_t i = 0; i < pixels; i++) {
        const unsigned char* p = rgb + 3 * i;
        const auto found = nearest.find(Key(p));
        if (found != nearest.end()) {
            entries[i] = found->second;
            continue;
        }
        int best = 0, bestDistance = 1 << 30;
        for (size_t e = 0; e < palette.size() && e < 256; e++) {
            int distance = 0;
            for (size_t c = 0; c < 3; c++) distance += (int(p[c]) - palette[e][c]) * (int(p[c]) - palette[e][c]);
            if (distance < bestDistance) bestDistance = distance, best = int(e);
        }
        entries[i] = nearest[Key(p)] = uint8_t(best);
    }
    return entries;
}
