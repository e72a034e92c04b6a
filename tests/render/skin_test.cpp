// Skin textures: the resample sizes, brightening by 1 / gamma, and reloads.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "../fixtures/temp_files.h"
#include "render/skin.h"
#include "render/skin_pixels.h"
#include "render_test.h"

namespace {

struct Texture {
    GLint width = 0, height = 0;
    std::vector<unsigned char> rgb;
    const unsigned char* Pixel(int x, int y) const { return &rgb[3 * (size_t(y) * width + x)]; }
};

Texture Level0() {
    Texture texture;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &texture.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &texture.height);
    texture.rgb.resize(size_t(texture.width) * texture.height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texture.rgb.data());
    return texture;
}

// Pixel (x, y) is (x mod 256, y mod 256, 100).
std::vector<unsigned char> Pattern(int width, int height) {
    std::vector<unsigned char> pixels;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) pixels.insert(pixels.end(), {(unsigned char)x, (unsigned char)y, 100});
    return pixels;
}

std::vector<unsigned char> Table(float gamma) {
    unsigned char table[256];
    BuildBrightnessTable(gamma, table);
    return std::vector<unsigned char>(table, table + 256);
}

}  // namespace

TEST_F(RenderTest, WithoutMipmapsSkinsAreResampledToPowerOfTwoSides) {
    viewer.mipmapsOff = 1;
    viewer.gamma = 1;
    const struct {
        int width, height, expectedWidth, expectedHeight;
    } cases[] = {{320, 200, 512, 256}, {1024, 4, 512, 4}, {2, 2, 2, 2}, {1, 1, 2, 2}, {3, 600, 4, 512}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        std::vector<unsigned char> pixels = Pattern(c.width, c.height);
        const std::vector<unsigned char> original = pixels;
        UploadSkin(RgbImage{c.width, c.height, pixels.data()});
        EXPECT_EQ(pixels, original);  // the caller's image is not touched
        const Texture texture = Level0();
        ASSERT_EQ(texture.width, c.expectedWidth);
        ASSERT_EQ(texture.height, c.expectedHeight);
        if (c.width == 320) {
            EXPECT_EQ(texture.Pixel(511, 0)[0], 319 % 256);  // column trunc(511 x 0.625)
            EXPECT_EQ(texture.Pixel(0, 255)[1], 199);  // row trunc(255 x 0.78125)
        }
        if (c.width == 1024) {
            for (int x = 0; x < 512; x++) ASSERT_EQ(texture.Pixel(x, 0)[0], (2 * x) & 0xFF);
        }
    }
    EXPECT_EQ(viewer.model.textureLoaded, 1);
}

TEST_F(RenderTest, WithMipmapsTheCallersImageIsBrightenedInPlace) {
    std::vector<unsigned char> pixels = {179, 100, 0, 255, 178, 1};
    UploadSkin(RgbImage{2, 1, pixels.data()});
    EXPECT_EQ(pixels, (std::vector<unsigned char>{255, 142, 0, 255, 254, 1}));
    GLint width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 1);  // a chain of levels was built
}

TEST_F(RenderTest, BrighteningIsDefinedForEveryGamma) {
    const std::vector<unsigned char> atDefault = Table(0.7f);
    EXPECT_EQ(atDefault[179], 255);
    EXPECT_EQ(atDefault[178], 254);
    EXPECT_EQ(atDefault[100], 142);
    EXPECT_EQ(atDefault[0], 0);
    const std::vector<unsigned char> half = Table(2);
    EXPECT_EQ(half[255], 127);
    EXPECT_EQ(half[3], 1);
    for (int b = 0; b < 256; b++) ASSERT_EQ(Table(1)[b], b);

    const std::vector<unsigned char> zero = Table(0);  // infinite brightening
    EXPECT_EQ(zero[0], 0);
    EXPECT_EQ(zero[1], 255);
    const float black[] = {-0.5f, -0.0f, std::numeric_limits<float>::infinity(), 1e38f,
                           std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::infinity()};
    for (float gamma : black) {
        SCOPED_TRACE(gamma);
        for (int b : {0, 1, 128, 255}) EXPECT_EQ(Table(gamma)[b], 0);
    }
}

TEST_F(RenderTest, ReloadSkinBrightensAFreshDecodeEachTime) {
    PcxParts parts;
    parts.xmax = 1;
    parts.data = {100, 50};
    parts.palette.assign(768, 0);
    parts.palette[300] = 100;  // entry 100 is (100, 0, 0)
    parts.palette[150] = 60;   // entry 50 is (60, 0, 0)
    const std::string path = WriteTempFile("skin.pcx", BuildPcx(parts));
    std::snprintf(viewer.model.skinPath, sizeof viewer.model.skinPath, "%s", path.c_str());
    viewer.mipmapsOff = 1;
    viewer.gamma = 0.5f;

    EXPECT_EQ(ReloadSkin(), 1);  // no model: nothing to do
    EXPECT_EQ(viewer.model.textureLoaded, 0);
    viewer.model.loaded = 1;
    for (int reload = 0; reload < 2; reload++) {
        ASSERT_EQ(ReloadSkin(), 1);
        const Texture texture = Level0();
        EXPECT_EQ(texture.Pixel(0, 0)[0], 200);
        EXPECT_EQ(texture.Pixel(1, 0)[0], 120);
    }
    std::snprintf(viewer.model.skinPath, sizeof viewer.model.skinPath, "%s", TempPath("none.pcx").c_str());
    EXPECT_EQ(ReloadSkin(), 0);
    viewer.model.loaded = 0;
}
