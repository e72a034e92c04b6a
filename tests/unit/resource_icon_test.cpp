// The committed icon as Windows draws it: where the AND mask marks a pixel
// transparent, the colour image must be black, since Windows XORs it onto
// whatever lies behind the icon.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

uint32_t Read(const std::vector<uint8_t>& bytes, size_t at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; i--) value = value << 8 | bytes.at(at + size_t(i));
    return value;
}

}  // namespace

TEST(ResourceIcon, TransparentPixelsAreBlackInTheColourImage) {
    std::ifstream file(VELMORIN_RES_DIR "/velmorin.ico", std::ios::binary);
    const std::vector<uint8_t> ico((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_GE(ico.size(), 6u);
    ASSERT_EQ(Read(ico, 2, 2), 1u);  // an icon
    const uint32_t images = Read(ico, 4, 2);
    ASSERT_GE(images, 1u);
    for (uint32_t entry = 0; entry < images; entry++) {
        const size_t dib = Read(ico, 6 + 16 * entry + 12, 4);
        const int width = int(Read(ico, dib + 4, 4)), height = int(Read(ico, dib + 8, 4)) / 2;
        ASSERT_EQ(Read(ico, dib + 14, 2), 4u) << "16-colour images";
        const size_t palette = dib + 40, colourRows = palette + 16 * 4;
        const size_t colourRowBytes = size_t(width / 2 + 3) / 4 * 4, maskRowBytes = size_t(width / 8 + 3) / 4 * 4;
        const size_t maskRows = colourRows + colourRowBytes * size_t(height);
        int transparent = 0, visible = 0;
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++) {
                const bool masked = ico.at(maskRows + y * maskRowBytes + x / 8) & (0x80 >> (x % 8));
                const uint8_t pair = ico.at(colourRows + y * colourRowBytes + x / 2);
                const size_t colour = palette + 4 * size_t(x % 2 ? pair & 0x0F : pair >> 4);
                const bool black = Read(ico, colour, 3) == 0;
                if (masked) {
                    EXPECT_TRUE(black) << "pixel " << x << ", " << y << " of image " << entry;
                }
                transparent += masked, visible += !masked && !black;
            }
        EXPECT_GT(transparent, 0);  // the corners around the disk
        EXPECT_GT(visible, width * height / 2);
    }
}
