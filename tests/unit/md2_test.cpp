#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "../../src/formats/md2.h"
#include "../fixtures/crafted_files.h"
#include "../fixtures/md2_walk.h"
#include "../fixtures/temp_files.h"

namespace {

Md2Model ModelWithSkin() {
    Md2Model model{};
    std::strcpy(model.skinPath, "skin.pcx");
    model.textureLoaded = 1;
    return model;
}

}  // namespace

TEST(Md2Loading, EachCraftedFileIsLoadedOrRefusedCleanly) {
    const int openBefore = OpenFileCount();
    for (const CraftedFile& row : CraftedMd2Files()) {
        SCOPED_TRACE(row.name);
        Md2Model model = ModelWithSkin();
        ASSERT_EQ(LoadMD2(WriteTempFile("row.md2", row.bytes).c_str(), &model), row.expected);
        EXPECT_EQ(model.loaded, row.expected);
        EXPECT_STREQ(model.skinPath, "skin.pcx");
        EXPECT_EQ(model.textureLoaded, 1);
        if (row.expected) {
            DrawEveryFrame(model);
            ReleaseModel(&model);
        }
        EXPECT_EQ(model.glCommands, nullptr);
        EXPECT_EQ(model.frames, nullptr);
    }
    EXPECT_EQ(OpenFileCount(), openBefore);
    Md2Model model{};
    EXPECT_EQ(LoadMD2(TempPath("missing.md2").c_str(), &model), 0);
}

// Each refusal rule has its own reason, a text of its own, and a crafted file
// that breaks only it; the offset points at what broke it.
TEST(Md2Parsing, EachRuleRefusesWithItsOwnReasonAndOffset) {
    std::set<int32_t> seen;
    for (const CraftedFile& row : CraftedMd2Files()) {
        SCOPED_TRACE(row.name);
        Md2Model model = ModelWithSkin();
        const Md2Verdict verdict = ParseMD2(row.bytes.data(), row.bytes.size(), &model);
        EXPECT_EQ(verdict.refusal, row.reason);
        EXPECT_EQ(model.loaded, row.expected);
        EXPECT_STREQ(model.skinPath, "skin.pcx");
        if (model.loaded) ReleaseModel(&model);
        seen.insert(verdict.refusal);
    }
    std::set<std::string> texts;
    for (int32_t r = kMd2Accepted; r <= kMd2OutOfMemory; r++) {
        texts.insert(Md2RefusalText(Md2Refusal(r)));
        // Neither a read nor an allocation failure can be crafted as bytes.
        if (r != kMd2Unreadable && r != kMd2OutOfMemory) {
            EXPECT_TRUE(seen.count(r)) << "no crafted file for " << r;
        }
    }
    EXPECT_EQ(texts.size(), size_t(kMd2OutOfMemory + 1));

    const auto offsetOf = [](const std::string& name) {
        for (const CraftedFile& row : CraftedMd2Files())
            if (row.name == name) {
                Md2Model model{};
                return ParseMD2(row.bytes.data(), row.bytes.size(), &model).offset;
            }
        return int64_t{-1};
    };
    EXPECT_EQ(offsetOf("negative-vertices"), FieldAt(kMd2NumVertices));
    EXPECT_EQ(offsetOf("offset-past-end-glcommands"), FieldAt(kMd2OffsetGlCommands));
    // The minimal file's list starts at 68 + 52: count word, then s, t, index.
    EXPECT_EQ(offsetOf("count-past-list"), 120);
    EXPECT_EQ(offsetOf("index-equals-vertices"), 120 + 4 * (1 + 3 * 2 + 2));
}

TEST(Md2Loading, CommandsDecodeFramesIntoViewerSpace) {
    Md2Parts parts;
    parts.frameNames = {"run1", "abcdefghijklmnop"};
    parts.commands = CommandWords({0, 1, 2});
    const std::vector<int32_t> fan = CommandWords({2, 1}, true);
    parts.commands.insert(parts.commands.end(), fan.begin(), fan.end());
    parts.commands.push_back(0);
    Md2Model model{};
    ASSERT_EQ(LoadMD2(WriteTempFile("two-frames.md2", BuildMd2(parts)).c_str(), &model), 1);
    EXPECT_EQ(model.numFrames, 2);
    EXPECT_EQ(model.frameSize, 52);
    EXPECT_EQ(model.numGlCommands, 18);

    char name[17];
    CopyMd2FrameName(Md2FrameData(model, 0), name);
    EXPECT_STREQ(name, "run1");
    const unsigned char* frame = Md2FrameData(model, 1);
    CopyMd2FrameName(frame, name);
    EXPECT_STREQ(name, "abcdefghijklmnop");

    int32_t cursor = 0;
    Md2Command command;
    ASSERT_EQ(NextMd2Command(model, &cursor, &command), 1);
    EXPECT_EQ(command.isFan, 0);
    EXPECT_EQ(command.vertexCount, 3);
    ASSERT_EQ(NextMd2Command(model, &cursor, &command), 1);
    EXPECT_EQ(command.isFan, 1);
    ASSERT_EQ(command.vertexCount, 2);
    // Frame 1, vertex 2 is stored as (3, 5, 8): model (2.5, -0.75, 19) drawn
    // at (x, z, -y). Its texture coordinates are the command's first pair.
    const Md2Vertex v = DecodeMd2Vertex(frame, command, 0);
    EXPECT_EQ(v.x, 2.5f);
    EXPECT_EQ(v.y, 19.0f);
    EXPECT_EQ(v.z, 0.75f);
    EXPECT_EQ(v.s, 0.0f);
    EXPECT_EQ(v.t, 1.0f);
    EXPECT_EQ(DecodeMd2Vertex(frame, command, 1).s, 0.125f);
    EXPECT_EQ(NextMd2Command(model, &cursor, &command), 0);

    // The walk stays inside numGlCommands even if the list in memory does not end.
    model.numGlCommands = 9;
    cursor = 0;
    EXPECT_EQ(NextMd2Command(model, &cursor, &command), 0);
    model.numGlCommands = 18;
    ReleaseModel(&model);
}

TEST(Md2Loading, LongCommandsStayWhole) {
    for (const CraftedFile& row : CraftedMd2Files()) {
        if (row.name != "fan-of-100") continue;
        Md2Model model{};
        ASSERT_EQ(LoadMD2(WriteTempFile("fan.md2", row.bytes).c_str(), &model), 1);
        int32_t cursor = 0;
        Md2Command command;
        ASSERT_EQ(NextMd2Command(model, &cursor, &command), 1);
        EXPECT_EQ(command.isFan, 1);
        EXPECT_EQ(command.vertexCount, 100);
        EXPECT_EQ(DrawEveryFrame(model), 100);
        ReleaseModel(&model);
    }
}

TEST(Md2Loading, AFailedLoadAfterAGoodOneLeavesNoModel) {
    Md2Model model = ModelWithSkin();
    ASSERT_EQ(LoadMD2(WriteTempFile("good.md2", MinimalMd2()).c_str(), &model), 1);
    ReleaseModel(&model);
    EXPECT_EQ(model.loaded, 0);
    Bytes bad = MinimalMd2();
    PatchLe32(bad, FieldAt(kMd2NumFrames), 0);
    EXPECT_EQ(LoadMD2(WriteTempFile("bad.md2", bad).c_str(), &model), 0);
    EXPECT_EQ(model.loaded, 0);
    EXPECT_EQ(model.frames, nullptr);
    EXPECT_STREQ(model.skinPath, "skin.pcx");
}
