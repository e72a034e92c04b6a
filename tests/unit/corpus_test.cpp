// Real files that nobody on this project made, checked against independent
// readers: assimp for MD2 vertices, ImageMagick for PCX pixels and for
// reading back our BMP and TGA files.
#include <gtest/gtest.h>

#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <algorithm>

#include "../../src/formats/md2.h"
#include "../../src/formats/pcx.h"
#include "../../src/formats/screenshot_files.h"
#include "../fixtures/md2_walk.h"
#include "../fixtures/temp_files.h"

namespace fs = std::filesystem;

namespace {

// Files of one kind from the corpus cache that scripts/fetch-corpus.sh fills.
// Without it the tests are skipped, unless VELMORIN_REQUIRE_CORPUS is set.
std::vector<std::string> CorpusFiles(const char* kind) {
    const char* root = std::getenv("VELMORIN_CORPUS_DIR");
    std::vector<std::string> files;
    std::error_code error;
    if (root)
        for (const auto& entry : fs::directory_iterator(fs::path(root) / kind, error))
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

#define REQUIRE_CORPUS(files)                                                      \
    if ((files).empty()) {                                                        \
        if (std::getenv("VELMORIN_REQUIRE_CORPUS")) FAIL() << "corpus missing";   \
        GTEST_SKIP() << "no corpus: run scripts/fetch-corpus.sh";                 \
    }

// The triangle table's vertex indices: assimp makes one vertex per triangle corner.
std::vector<int32_t> TriangleCorners(const Bytes& file) {
    int32_t numTriangles, offsetTriangles;
    std::memcpy(&numTriangles, &file[32], 4);
    std::memcpy(&offsetTriangles, &file[52], 4);
    std::vector<int32_t> corners;
    for (int32_t t = 0; t < numTriangles; t++)
        for (int c = 0; c < 3; c++) {
            uint16_t index;
            std::memcpy(&index, &file[offsetTriangles + 12 * t + 2 * c], 2);
            corners.push_back(index);
        }
    return corners;
}

// Our decoding of vertex `index` of frame 0, through a one-vertex command.
Md2Vertex OurVertex(const Md2Model& model, int32_t index) {
    const int32_t words[3] = {0, 0, index};
    const Md2Command command = {0, 1, words};
    return DecodeMd2Vertex(Md2FrameData(model, 0), command, 0);
}

}  // namespace

TEST(RealModels, FrameZeroAgreesWithAssimp) {
    const std::vector<std::string> models = CorpusFiles("md2");
    REQUIRE_CORPUS(models);
    for (const std::string& path : models) {
        SCOPED_TRACE(path);
        Md2Model model{};
        ASSERT_EQ(LoadMD2(path.c_str(), &model), 1);
        Assimp::Importer importer;
        const aiScene* scene = importer.ReadFile(path, 0);
        ASSERT_TRUE(scene && scene->mNumMeshes == 1) << importer.GetErrorString();
        const aiMesh* mesh = scene->mMeshes[0];
        const std::vector<int32_t> corners = TriangleCorners(ReadWholeFile(path));
        ASSERT_EQ(mesh->mNumVertices, corners.size());
        // assimp keeps the file's Z-up positions and turns them Y-up in the root node.
        const aiMatrix4x4 toWorld = scene->mRootNode->mTransformation;
        ASSERT_FALSE(toWorld.IsIdentity());
        for (size_t i = 0; i < corners.size(); i++) {
            const aiVector3D theirs = toWorld * mesh->mVertices[i];
            const Md2Vertex ours = OurVertex(model, corners[i]);
            ASSERT_NEAR(ours.x, theirs.x, 1e-4f * (1 + std::fabs(theirs.x))) << i;
            ASSERT_NEAR(ours.y, theirs.y, 1e-4f * (1 + std::fabs(theirs.y))) << i;
            ASSERT_NEAR(ours.z, theirs.z, 1e-4f * (1 + std::fabs(theirs.z))) << i;
        }
        std::printf("[ compared ] %s: %zu vertices\n", path.c_str(), corners.size());
        ReleaseModel(&model);
    }
}

TEST(RealModels, OneBitFlipsAreLoadedOrRefusedWithoutStrayReads) {
    const std::vector<std::string> models = CorpusFiles("md2");
    REQUIRE_CORPUS(models);
    const Bytes original = ReadWholeFile(models.front());
    int32_t offsetCommands;
    std::memcpy(&offsetCommands, &original[60], 4);
    // Every bit of the header and of the first commands, and a stride through the rest.
    std::vector<size_t> bytes;
    for (size_t i = 0; i < 68; i++) bytes.push_back(i);
    for (size_t i = 0; i < 64; i++) bytes.push_back(offsetCommands + i);
    for (size_t i = 68; i < original.size(); i += 4001) bytes.push_back(i);
    int loaded = 0, refused = 0;
    for (size_t at : bytes)
        for (int bit = 0; bit < 8; bit++) {
            Bytes flipped = original;
            flipped[at] ^= 1 << bit;
            Md2Model model{};
            if (LoadMD2(WriteTempFile("flipped.md2", flipped).c_str(), &model)) {
                loaded++;
                DrawEveryFrame(model);
                ReleaseModel(&model);
            } else {
                refused++;
            }
        }
    EXPECT_GT(loaded, 0);
    EXPECT_GT(refused, 0);
}

TEST(RealImages, PcxPixelsAgreeWithImageMagick) {
    const std::vector<std::string> images = CorpusFiles("pcx");
    REQUIRE_CORPUS(images);
    int compared = 0, refused = 0;
    for (const std::string& path : images) {
        SCOPED_TRACE(path);
        const Bytes file = ReadWholeFile(path);
        ASSERT_GE(file.size(), 128u);
        const int width = (file[8] | file[9] << 8) - (file[4] | file[5] << 8) + 1;
        const int bytesPerLine = file[66] | file[67] << 8;
        RgbImage image{};
        const int result = LoadPCX(path.c_str(), &image);
        if (file[3] != 8 || file[65] != 1) {
            EXPECT_EQ(result, 0) << "only 8-bit, one-plane images are decoded";
            refused++;
            continue;
        }
        ASSERT_EQ(result, 1);
        Bytes theirs;
        ASSERT_TRUE(RunCommand("convert " + ShellQuote(path) + " rgb:-", &theirs));
        const Bytes ours(image.pixels, image.pixels + 3 * size_t(image.width) * image.height);
        std::free(image.pixels);
        if (bytesPerLine != width) continue;  // decodes skewed on purpose
        EXPECT_TRUE(ours == theirs);
        compared++;
    }
    std::printf("[ compared ] %d PCX images pixel for pixel, %d refused as not 8-bit one-plane\n",
                compared, refused);
    EXPECT_GT(compared, 0);
}

TEST(ImageMagickReadBack, BmpAndTgaHoldTheSamePixels) {
    for (int32_t width = 1; width <= 8; width++)
        for (int32_t height : {1, 2, 5}) {
            SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
            Bytes pixels;
            for (int32_t i = 0; i < 3 * width * height; i++) pixels.push_back((i * 37 + 11) & 0xFF);
            // ImageMagick lists the picture top row first; ours starts at the bottom.
            Bytes topFirst;
            for (int32_t r = height - 1; r >= 0; r--)
                topFirst.insert(topFirst.end(), &pixels[3 * r * width], &pixels[3 * (r + 1) * width]);
            for (const char* type : {"bmp", "tga"}) {
                const std::string path = TempPath(std::string("readback.") + type);
                const RgbImage image = {width, height, pixels.data()};
                ASSERT_EQ(type[0] == 'b' ? WriteBMP(path.c_str(), image) : WriteTGA(path.c_str(), image), 1);
                Bytes theirs;
                // ImageMagick records a TGA's bottom-left origin; -auto-orient applies it.
                ASSERT_TRUE(RunCommand("convert " + ShellQuote(path) + " -auto-orient rgb:-", &theirs));
                EXPECT_EQ(theirs, topFirst) << type;
            }
        }
}
