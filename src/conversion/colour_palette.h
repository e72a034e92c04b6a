#pragma once

// Paletted pictures from RGB ones, for GIF frames and PCX skins: a picture of
// at most as many colours as the palette holds keeps them exactly; one of
// more is reduced by median cut. Each pixel takes its nearest entry.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

using PaletteColour = std::array<uint8_t, 3>;

// The colours of `pixels` R, G, B triples: each distinct one when there are
// at most `most`, else `most` by median cut (each box's mean).
std::vector<PaletteColour> PaletteOf(const unsigned char* rgb, size_t pixels, size_t most);

// Each pixel's nearest palette entry (squared distance; the first on a tie).
std::vector<uint8_t> NearestEntries(const unsigned char* rgb, size_t pixels, const std::vector<PaletteColour>& palette);
