#include <gtest/gtest.h>

#include <set>
#include <string>

#include <cstdlib>

#include "../../src/formats/pcx.h"
#include "../fixtures/crafted_files.h"
#include "../fixtures/temp_files.h"

namespace {

CraftedFile Row(const std::string& name) {
    for (const CraftedFile& row : CraftedPcxFiles())
        if (row.name == name) return row;
    ADD_FAILURE() << "no crafted PCX named " << name;
    return {};
}

// Decodes a crafted row and gives its pixels as RGB bytes.
Bytes Decode(const Bytes& file, int32_t* width, int32_t* height) {
    RgbImage image{};
    if (!LoadPCX(WriteTempFile("decode.pcx", file).c_str(), &image)) return {};
    *width = image.width;
    *height = image.height;
    Bytes pixels(image.pixels, image.pixels + 3 * size_t(image.width) * image.height);
    std::free(image.pixels);
    return pixels;
}

// The pixels of TestPalette() entries, one per index.
Bytes ThroughPalette(const std::vector<int>& indices) {
    const Bytes palette = TestPalette();
    Bytes pixels;
    for (int i : indices) pixels.insert(pixels.end(), &palette[3 * i], &palette[3 * i] + 3);
    return pixels;
}

std::vector<int> Repeat(int index, int times) { return std::vector<int>(times, index); }

std::vector<int> Join(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

TEST(PcxDecoding, EachCraftedFileIsDecodedOrRefusedCleanly) {
    const int openBefore = OpenFileCount();
    for (const CraftedFile& row : CraftedPcxFiles()) {
        SCOPED_TRACE(row.name);
        RgbImage image{};
        EXPECT_EQ(LoadPCX(WriteTempFile("row.pcx", row.bytes).c_str(), &image), row.expected);
        std::free(image.pixels);
    }
    EXPECT_EQ(OpenFileCount(), openBefore);
    RgbImage image{};
    EXPECT_EQ(LoadPCX(TempPath("missing.pcx").c_str(), &image), 0);
}

TEST(PcxParsing, EachRuleRefusesWithItsOwnReasonAndLeavesTheImageAlone) {
    std::set<int32_t> seen;
    for (const CraftedFile& row : CraftedPcxFiles()) {
        SCOPED_TRACE(row.name);
        RgbImage image = {-7, -7, nullptr};
        const PcxVerdict verdict = ParsePCX(row.bytes.data(), row.bytes.size(), &image);
        EXPECT_EQ(verdict.refusal, row.reason);
        if (row.expected) std::free(image.pixels);
        else EXPECT_EQ(image.width, -7);
        seen.insert(verdict.refusal);
    }
    std::set<std::string> texts;
    for (int32_t r = kPcxAccepted; r <= kPcxOutOfMemory; r++) {
        texts.insert(PcxRefusalText(PcxRefusal(r)));
        if (r != kPcxUnreadable && r != kPcxOutOfMemory) {
            EXPECT_TRUE(seen.count(r)) << "no crafted file for " << r;
        }
    }
    EXPECT_EQ(texts.size(), size_t(kPcxOutOfMemory + 1));
}

TEST(PcxDecoding, RunsFollowTheDecoderRules) {
    const struct {
        const char* row;
        int32_t width, height;
        std::vector<int> indices;
    } cases[] = {
        {"one-pixel", 1, 1, {7}},
        {"run-across-line", 2, 2, {5, 5, 5, 7}},  // a run of 3 spills into row 2
        {"run-byte-c0", 20, 15, Join(Repeat(9, 256), Repeat(1, 44))},  // count 0 wraps to 256
        {"padded-scan-lines", 3, 2, {1, 2, 3, 0, 4, 5}},  // padding byte read as a pixel
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        int32_t width = 0, height = 0;
        EXPECT_EQ(Decode(Row(c.row).bytes, &width, &height), ThroughPalette(c.indices));
        EXPECT_EQ(width, c.width);
        EXPECT_EQ(height, c.height);
    }
}

// Random token streams, decoded byte by byte the plain way, must give what
// the decoder gives: runs of every length (0xC0 included) landing anywhere,
// near and across the image's end, and data ending inside a token.
TEST(PcxDecoding, AgreesWithAPlainDecoderOnRandomData) {
    uint32_t seed = 2026;
    const auto next = [&seed](uint32_t below) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % below;
    };
    for (int trial = 0; trial < 300; trial++) {
        SCOPED_TRACE(trial);
        PcxParts parts;
        parts.xmax = uint16_t(next(300)), parts.ymax = uint16_t(next(12));
        const size_t count = size_t(parts.xmax + 1) * (parts.ymax + 1);
        const size_t bytes = next(2) ? 2 * count : next(uint32_t(count) + 2);  // enough data, or too little
        for (size_t i = 0; i < bytes; i++) parts.data.push_back(uint8_t(next(3) ? next(256) : 0xC0 + next(64)));
        const Bytes file = BuildPcx(parts);

        // The plain way: the data runs to the file's end, then reads give 0xFF.
        const auto at = [&file](size_t k) { return k < file.size() ? int(file[k]) : -1; };
        std::vector<int> indices;
        for (size_t k = 128; indices.size() < count;) {
            const int b = at(k++);
            int value = b, run = 1;
            if (b < 0 || b >= 0xC0) {
                const int low = (b < 0 ? 0xFF : b) & 0x3F;
                run = low ? low : 256;
                value = at(k++);
            }
            if (b < 0 || value < 0) {  // past the end: entry 255 to the last pixel
                value = 255;
                run = int(count);
            }
            for (int r = 0; r < run && indices.size() < count; r++) indices.push_back(value);
        }
        const Bytes palette = TestPalette();
        Bytes expected;
        for (int index : indices) expected.insert(expected.end(), &palette[3 * index], &palette[3 * index] + 3);
        int32_t width = 0, height = 0;
        ASSERT_EQ(Decode(file, &width, &height), expected);
    }
}

TEST(PcxDecoding, DataEndingEarlyReadsOnThenGivesPaletteEntry255) {
    // Marker and palette bytes decode as pixels (all (5, 5, 5) here, 774 of
    // them); once the file ends, every pixel is palette entry 255.
    int32_t width = 0, height = 0;
    const Bytes pixels = Decode(Row("data-ends-early").bytes, &width, &height);
    ASSERT_EQ(width, 1000);
    ASSERT_EQ(pixels.size(), 3000u);
    for (size_t i = 0; i < 1000; i++) {
        SCOPED_TRACE(i);
        const Bytes expected = i < 774 ? Bytes{5, 5, 5} : Bytes{200, 201, 0xCA};
        ASSERT_EQ(Bytes(&pixels[3 * i], &pixels[3 * i] + 3), expected);
    }
}

TEST(PcxDecoding, SizeCapIsExact) {
    PcxParts parts;
    parts.xmax = 65535;
    parts.ymax = uint16_t(kMaxPcxPixels / 65536 - 1);
    parts.data = {0xC1, 3};
    int32_t width = 0, height = 0;
    const Bytes pixels = Decode(BuildPcx(parts), &width, &height);
    EXPECT_EQ(int64_t{width} * height, kMaxPcxPixels);
    ASSERT_EQ(pixels.size(), size_t(3 * kMaxPcxPixels));
    EXPECT_EQ(Bytes(pixels.begin(), pixels.begin() + 3), ThroughPalette({3}));
    EXPECT_EQ(Bytes(pixels.end() - 3, pixels.end()), ThroughPalette({255}));
}
