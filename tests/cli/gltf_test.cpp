// velmorin-cli export read back by assimp's glTF importer: the mesh, its
// morph targets (base + target k is frame k), the animations, and the winding.
#include <gtest/gtest.h>

#include <assimp/cimport.h>
#include <assimp/anim.h>
#include <assimp/mesh.h>
#include <assimp/scene.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "../fixtures/temp_files.h"
#include "animations.h"
#include "formats/md2.h"
#include "gltf_export.h"
#include "gltf_mesh.h"

namespace {

std::vector<std::string> ModelsToExport() {
    std::vector<std::string> models = {std::string(VELMORIN_SAMPLE_DIR) + "/lantern.md2"};
    const char* corpus = std::getenv("VELMORIN_CORPUS_DIR");
    std::error_code error;
    if (corpus)
        for (const auto& entry : std::filesystem::directory_iterator(std::string(corpus) + "/md2", error))
            models.push_back(entry.path().string());
    return models;
}

bool Near(float a, float b) { return std::fabs(a - b) <= 1e-4f * std::max(1.0f, std::fabs(b)); }

}  // namespace

TEST(CliExport, AssimpReadsTheFramesAnimationsAndWindingBack) {
    for (const std::string& path : ModelsToExport()) {
        SCOPED_TRACE(path);
        ExportRequest request;
        request.model = path;
        request.output = TempPath("export.glb");
        ASSERT_EQ(ExportModel(request), "");
        Md2Model model{};
        ASSERT_EQ(LoadMD2(path.c_str(), &model), 1);
        const GltfGeometry geometry = BuildGeometry(model);
        bool layout = false;
        const std::vector<Animation> animations =
            ApplyStandardLayout(AnimationsFromNames(FrameNames(model)), model.numFrames, &layout);

        const aiScene* scene = aiImportFile(request.output.c_str(), 0);
        ASSERT_NE(scene, nullptr) << aiGetErrorString();
        ASSERT_EQ(scene->mNumMeshes, 1u);
        const aiMesh* mesh = scene->mMeshes[0];
        EXPECT_EQ(mesh->mNumVertices, geometry.vertices.size());
        EXPECT_TRUE(mesh->HasTextureCoords(0)) << "exported without a skin, the coordinates stay for one";
        EXPECT_EQ(mesh->mNumFaces, geometry.indices.size() / 3);
        ASSERT_EQ(mesh->mNumAnimMeshes, unsigned(model.numFrames - 1));
        ASSERT_EQ(scene->mNumAnimations, animations.size());
        for (unsigned a = 0; a < scene->mNumAnimations; a++) {
            const aiAnimation* animation = scene->mAnimations[a];
            EXPECT_EQ(animation->mName.C_Str(), animations[a].name);
            const double ticks = animation->mTicksPerSecond > 0 ? animation->mTicksPerSecond : 1;
            EXPECT_NEAR(animation->mDuration / ticks, (animations[a].length - 1) / 10.0, 1e-3) << animations[a].name;
        }

        // Base plus target k is frame k, MD2 (x, y, z) as glTF (y, z, x) (assimp gives the sums).
        for (int32_t frame = 0; frame < model.numFrames; frame++) {
            const std::vector<float> md2 = FramePositions(model, frame, geometry);  // the viewer's (x, z, -y)
            std::vector<float> expected;
            for (size_t v = 0; v + 2 < md2.size(); v += 3) expected.insert(expected.end(), {-md2[v + 2], md2[v + 1], md2[v]});
            const aiVector3D* got = frame == 0 ? mesh->mVertices : mesh->mAnimMeshes[frame - 1]->mVertices;
            int wrong = 0;
            for (unsigned v = 0; v < mesh->mNumVertices; v++)
                wrong += !Near(got[v].x, expected[3 * v]) || !Near(got[v].y, expected[3 * v + 1]) ||
                         !Near(got[v].z, expected[3 * v + 2]);
            EXPECT_EQ(wrong, 0) << "frame " << frame;
        }

        // Counter-clockwise faces: their geometric normals agree with the
        // vertices' normals, and they face outwards, so the volume they
        // enclose (the divergence theorem's sum) is positive.
        unsigned agreeing = 0;
        double volume = 0;
        for (unsigned f = 0; f < mesh->mNumFaces; f++) {
            const unsigned* i = mesh->mFaces[f].mIndices;
            const aiVector3D &p0 = mesh->mVertices[i[0]], &p1 = mesh->mVertices[i[1]], &p2 = mesh->mVertices[i[2]];
            const aiVector3D geometric = (p1 - p0) ^ (p2 - p0);
            agreeing += geometric * (mesh->mNormals[i[0]] + mesh->mNormals[i[1]] + mesh->mNormals[i[2]]) > 0;
            volume += double(p0 * (p1 ^ p2)) / 6;
        }
        EXPECT_GE(agreeing, 0.95 * mesh->mNumFaces);
        EXPECT_GT(volume, 0);
        std::printf("%s: %u of %u faces agree with their normals\n", path.c_str(), agreeing, mesh->mNumFaces);
        aiReleaseImport(scene);
        ReleaseModel(&model);
    }
}
