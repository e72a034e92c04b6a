// The geometry DrawFrame sends to GL, as recorded on its way.
#include <cstring>

#include "formats/md2.h"
#include "gl_recorder.h"
#include "render/frame_drawing.h"
#include "render_test.h"

namespace {

std::vector<int32_t> Words(std::initializer_list<std::vector<int32_t>> commands) {
    std::vector<int32_t> words;
    for (const auto& command : commands) words.insert(words.end(), command.begin(), command.end());
    words.push_back(0);
    return words;
}

Bytes Model(std::vector<int32_t> commands, std::vector<std::string> names = {"stand01", "run1"},
            int32_t vertices = 3) {
    Md2Parts parts;
    parts.numVertices = vertices;
    parts.frameNames = std::move(names);
    parts.commands = std::move(commands);
    return BuildMd2(parts);
}

// The calls one command should make: begin, each vertex's texture
// coordinates (i / 8, 1 - i / 8, bit for bit) and position, end.
void ExpectCommand(const std::vector<GlCall>& calls, size_t* at, GLenum mode, const std::vector<int>& indices,
                   int frame) {
    ASSERT_LT(*at, calls.size());
    EXPECT_EQ(calls[*at].name, "begin");
    EXPECT_EQ(calls[*at].mode, mode);
    (*at)++;
    for (size_t i = 0; i < indices.size(); i++) {
        ASSERT_LT(*at + 1, calls.size());
        const GlCall& texcoord = calls[(*at)++];
        const GlCall& vertex = calls[(*at)++];
        EXPECT_EQ(texcoord.name, "texcoord");
        EXPECT_EQ(texcoord.values[0], i / 8.0f);
        EXPECT_EQ(texcoord.values[1], 1 - i / 8.0f);
        const Vertex expected = CraftedVertex(indices[i], frame);
        EXPECT_EQ(vertex.name, "vertex");
        EXPECT_EQ(vertex.values[0], expected.x) << i;
        EXPECT_EQ(vertex.values[1], expected.y) << i;
        EXPECT_EQ(vertex.values[2], expected.z) << i;
    }
    ASSERT_LT(*at, calls.size());
    EXPECT_EQ(calls[(*at)++].name, "end");
}

}  // namespace

TEST_F(RenderTest, DrawFrameSendsEachCommandAsOneStripOrFan) {
    LoadModel(Model(Words({CommandWords({0, 1, 2}), CommandWords({2, 1, 0, 1}, true), CommandWords({2}),
                           CommandWords({1, 0}, true)})));
    StartRecordingGl();
    DrawFrame(viewer.model, 1);
    const std::vector<GlCall> calls = StopRecordingGl();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front().name, "clear");
    EXPECT_EQ(calls.front().mode, GLenum(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT));
    size_t at = 1;
    ExpectCommand(calls, &at, GL_TRIANGLE_STRIP, {0, 1, 2}, 1);
    ExpectCommand(calls, &at, GL_TRIANGLE_FAN, {2, 1, 0, 1}, 1);
    ExpectCommand(calls, &at, GL_TRIANGLE_STRIP, {2}, 1);  // too short to draw, still a pair
    ExpectCommand(calls, &at, GL_TRIANGLE_FAN, {1, 0}, 1);
    ASSERT_EQ(at + 1, calls.size());
    EXPECT_EQ(calls.back().name, "flush");

    EXPECT_STREQ(viewer.currentFrameName, "run1");
    headless::PumpUntilIdle();
    EXPECT_EQ(headless::StatusText(viewer.hStatus, 0), "run1");
}

TEST_F(RenderTest, AnEmptyListStillClearsFlushesAndPostsTheName) {
    LoadModel(Model({0}));
    StartRecordingGl();
    DrawFrame(viewer.model, 0);
    const std::vector<GlCall> calls = StopRecordingGl();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].name, "clear");
    EXPECT_EQ(calls[1].name, "flush");
    headless::PumpUntilIdle();
    EXPECT_EQ(headless::StatusText(viewer.hStatus, 0), "stand01");

    StartRecordingGl();
    DrawFrame(viewer.model, 2);  // no such frame
    DrawFrame(viewer.model, -1);
    EXPECT_TRUE(StopRecordingGl().empty());
}

TEST_F(RenderTest, CommandsLongerThanTheScratchStayWhole) {
    std::vector<int32_t> hundred(100);
    for (int i = 0; i < 100; i++) hundred[i] = (i * 7) % 3;
    LoadModel(Model(Words({CommandWords(hundred), CommandWords(hundred, true)})));
    StartRecordingGl();
    DrawFrame(viewer.model, 0);
    const std::vector<GlCall> calls = StopRecordingGl();
    size_t at = 1;
    ExpectCommand(calls, &at, GL_TRIANGLE_STRIP, std::vector<int>(hundred.begin(), hundred.end()), 0);
    ExpectCommand(calls, &at, GL_TRIANGLE_FAN, std::vector<int>(hundred.begin(), hundred.end()), 0);
    EXPECT_EQ(calls[at].name, "flush");
}

TEST_F(RenderTest, TheStatusBarGetsACopyOfTheNameThatOutlivesTheModel) {
    LoadModel(Model({0}, {"abcdefghijklmnop"}));  // 16 characters, no terminator
    DrawFrame(viewer.model, 0);
    ReleaseModel(&viewer.model);  // before the posted text is delivered
    LoadModel(Model({0}, {"other"}));
    headless::PumpUntilIdle();
    EXPECT_EQ(headless::StatusText(viewer.hStatus, 0), "abcdefghijklmnop");
    EXPECT_STREQ(viewer.currentFrameName, "abcdefghijklmnop");
}
