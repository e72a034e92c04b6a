// A real model, drawn: its pixels must cover the box its vertices project to.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "../fixtures/temp_files.h"
#include "formats/md2.h"
#include "render/scene.h"
#include "render_test.h"

namespace {

std::string CorpusModel() {
    const char* root = std::getenv("VELMORIN_CORPUS_DIR");
    if (!root) return "";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(root) + "/md2", error))
        if (entry.path().string().find("sydney") != std::string::npos) return entry.path().string();
    return "";
}

struct Box {
    double left = 1e9, bottom = 1e9, right = -1e9, top = -1e9;
    void Add(double x, double y) {
        left = std::min(left, x), right = std::max(right, x);
        bottom = std::min(bottom, y), top = std::max(top, y);
    }
};

// Frame 0's vertices from the file's bytes, drawn at (x, z, -y), through the
// projection and viewport in GL now.
Box ProjectedBox(const Bytes& file) {
    int32_t numVertices, offsetFrames;
    std::memcpy(&numVertices, &file[24], 4);
    std::memcpy(&offsetFrames, &file[56], 4);
    float scale[3], translate[3];
    std::memcpy(scale, &file[offsetFrames], 12);
    std::memcpy(translate, &file[offsetFrames + 12], 12);
    double m[16];
    glGetDoublev(GL_PROJECTION_MATRIX, m);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    Box box;
    for (int k = 0; k < numVertices; k++) {
        const unsigned char* v = &file[offsetFrames + 40 + 4 * k];
        const double x = v[0] * scale[0] + translate[0], y = v[1] * scale[1] + translate[1],
                     z = v[2] * scale[2] + translate[2];
        const double p[3] = {x, z, -y};
        double clip[4];
        for (int r = 0; r < 4; r++) clip[r] = m[r] * p[0] + m[4 + r] * p[1] + m[8 + r] * p[2] + m[12 + r];
        box.Add(viewport[0] + (clip[0] / clip[3] + 1) / 2 * viewport[2],
                viewport[1] + (clip[1] / clip[3] + 1) / 2 * viewport[3]);
    }
    return box;
}

// Pixels unlike the black background, in window coordinates.
Box DrawnBox(const headless::Picture& picture) {
    Box box;
    for (int y = 0; y < picture.height; y++)
        for (int x = 0; x < picture.width; x++)
            if (picture.Pixel(x, y) != 0) box.Add(x + 0.5, y + 0.5);
    return box;
}

}  // namespace

TEST_F(RenderTest, ARealModelCoversTheBoxItsVerticesProjectTo) {
    const std::string path = CorpusModel();
    if (path.empty()) {
        if (std::getenv("VELMORIN_REQUIRE_CORPUS")) FAIL() << "corpus missing";
        GTEST_SKIP() << "no corpus: run scripts/fetch-corpus.sh";
    }
    ASSERT_EQ(LoadMD2(path.c_str(), &viewer.model), 1);
    viewer.eye = Vec3{60, 20, 40};
    for (int mode : {RENDER_WIREFRAME, RENDER_NEAREST}) {
        SCOPED_TRACE(mode);
        SetRenderMode(mode);
        RenderScene();
        const Box expected = ProjectedBox(ReadWholeFile(path));
        const Box drawn = DrawnBox(headless::ShownPicture(viewer.hWnd));
        ASSERT_LT(drawn.left, drawn.right) << "nothing drawn";
        EXPECT_NEAR(drawn.left, expected.left, 2.0);
        EXPECT_NEAR(drawn.right, expected.right, 2.0);
        EXPECT_NEAR(drawn.bottom, expected.bottom, 2.0);
        EXPECT_NEAR(drawn.top, expected.top, 2.0);
    }
}
