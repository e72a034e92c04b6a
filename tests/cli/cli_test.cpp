// velmorin-cli's three commands: render equals the viewer's own screenshot,
// info splits the real models' animations, check names the loader's reasons.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "../../res/resource.h"
#include "../fixtures/crafted_files.h"
#include "../fixtures/temp_files.h"
#include "animations.h"
#include "check.h"
#include "formats/md2.h"
#include "headless/headless.h"
#include "render.h"
#include "state/viewer_state.h"

using headless::Step;

namespace {

std::string Sample(const char* name) { return std::string(VELMORIN_SAMPLE_DIR) + "/" + name; }

std::string CorpusModel(const char* which) {
    const char* root = std::getenv("VELMORIN_CORPUS_DIR");
    std::error_code error;
    if (root)
        for (const auto& entry : std::filesystem::directory_iterator(std::string(root) + "/md2", error))
            if (entry.path().string().find(which) != std::string::npos) return entry.path().string();
    return "";
}

Step Post(int command) {
    return [command] { PostMessageA(viewer.hWnd, WM_COMMAND, WPARAM(command), 0); };
}

// A press, a move and a release, each when the viewer is ready for the next.
void Drag(std::vector<Step>& steps, unsigned button, int dx, int dy) {
    steps.push_back([=] {
        headless::MoveCursorToClient(viewer.hWnd, 150, 150);
        headless::MouseDown(button);
    });
    steps.push_back([=] { headless::MoveCursorToClient(viewer.hWnd, 150 + dx, 150 + dy); });
    steps.push_back([=] { headless::MouseUp(button); });
}

// The viewer's own screenshot after `steps`, as a user gets it with F12.
Bytes ViewerScreenshot(std::vector<Step> steps, const std::vector<std::string>& files, const std::string& gamma = "") {
    headless::Reset();
    viewer = ViewerState{};
    for (const std::string& file : files) headless::AnswerFile(file);
    if (!gamma.empty()) headless::AnswerDialog({headless::SetItemText(IDC_GAMMA, gamma), headless::PressButton(IDOK)});
    const std::string path = TempPath("viewer.bmp");
    headless::AnswerFile(path, 1);
    steps.push_back(Post(IDM_SCREENSHOT));
    steps.push_back([] { PostMessageA(viewer.hWnd, WM_CLOSE, 0, 0); });
    headless::RunWinMain(steps);
    if (viewer.model.loaded) ReleaseModel(&viewer.model);
    headless::Reset();
    return ReadWholeFile(path);
}

Bytes CliRender(RenderRequest request) {
    request.model = Sample("lantern.md2");
    request.output = TempPath("cli.bmp");
    EXPECT_EQ(RenderModel(request), "");
    return ReadWholeFile(request.output);
}

}  // namespace

TEST(CliRender, EqualsTheViewersScreenshotForTheSameState) {
    const std::string model = Sample("lantern.md2"), skin = Sample("lantern.pcx");
    RenderRequest request;

    // The three modes, with the skin.
    request.skin = skin;
    for (const char* mode : {"wire", "nearest", "linear"}) {
        SCOPED_TRACE(mode);
        request.mode = mode;
        const int command = mode[0] == 'w' ? IDM_WIREFRAME : mode[0] == 'n' ? IDM_TEXTURED_NEAREST : IDM_TEXTURED_LINEAR;
        EXPECT_EQ(CliRender(request), ViewerScreenshot({Post(IDM_OPEN_MODEL), Post(IDM_CHOOSE_SKIN), Post(command)},
                                                       {model, skin}));
    }

    // Mipmaps off and a gamma of 1.5, at frame 5.
    request.mode = "";
    request.mipmapsOff = true;
    request.gamma = "1.5";
    request.frame = "spin06";
    std::vector<Step> steps = {Post(IDM_OPEN_MODEL), Post(IDM_MIPMAP), Post(IDM_CHOOSE_SKIN), Post(IDM_GAMMA)};
    for (int f = 0; f < 5; f++) steps.push_back(Post(IDM_NEXT_FRAME));
    EXPECT_EQ(CliRender(request), ViewerScreenshot(steps, {model, skin}, "1.5")) << "mipmaps off, gamma 1.5, frame spin06";

    // The camera moved by orbit, pan and zoom, with mipmaps on.
    RenderRequest camera;
    camera.orbitX = 25;
    camera.orbitY = -12;
    camera.pan = 8;
    camera.zoom = 3;
    std::vector<Step> moves = {Post(IDM_OPEN_MODEL), Post(IDM_ZOOM_IN), Post(IDM_ZOOM_IN), Post(IDM_ZOOM_IN)};
    Drag(moves, MK_LBUTTON, 25, -12);
    Drag(moves, MK_RBUTTON, 0, 8);
    EXPECT_EQ(CliRender(camera), ViewerScreenshot(moves, {model}));
}

TEST(CliInfo, SplitsTheRealModelsAnimations) {
    for (const char* which : {"faerie", "sydney"}) {
        const std::string path = CorpusModel(which);
        if (path.empty()) {
            if (std::getenv("VELMORIN_REQUIRE_CORPUS")) FAIL() << "corpus missing";
            GTEST_SKIP() << "no corpus";
        }
        Md2Model model{};
        ASSERT_EQ(LoadMD2(path.c_str(), &model), 1);
        const std::vector<std::string> names = FrameNames(model);
        ReleaseModel(&model);
        const std::vector<Animation> fromNames = AnimationsFromNames(names);
        bool layout = false;
        const std::vector<Animation> split = ApplyStandardLayout(fromNames, int32_t(names.size()), &layout);
        std::vector<std::string> splitNames;
        for (const Animation& a : split) splitNames.push_back(a.name);
        if (std::string(which) == "faerie") {
            EXPECT_EQ(fromNames.size(), 20u);
            EXPECT_FALSE(layout);
            EXPECT_EQ(splitNames, (std::vector<std::string>{"stand", "run", "attack", "pain1", "pain2", "pain3",
                                                            "jump", "flip", "salute", "taunt", "wave", "point",
                                                            "crstnd", "crwalk", "crattak", "crpain", "crdeath",
                                                            "death1", "death2", "death3"}));
        } else {
            EXPECT_EQ(fromNames.size(), 16u);
            EXPECT_TRUE(layout);
            ASSERT_EQ(split.size(), 20u);
            EXPECT_EQ(split[3].name, "pain1");
            EXPECT_TRUE(split[3].inferred);
            EXPECT_EQ(split[19].name, "death3");
            EXPECT_EQ(split[19].first, 190);
            EXPECT_EQ(split[19].length, 8);
            EXPECT_EQ(split[16].name, "crdeth");  // its own name, not split
            EXPECT_FALSE(split[16].inferred);
        }
    }
}

TEST(CliInfo, NamesWithoutNumbersAndRestartsMakeTheirOwnAnimations) {
    const std::vector<Animation> a = AnimationsFromNames({"idle", "walk1", "walk2", "walk1", "walk2", "walk7"});
    ASSERT_EQ(a.size(), 4u);
    EXPECT_EQ(a[0].name, "idle");
    EXPECT_EQ(a[1].length, 2);
    EXPECT_EQ(a[3].first, 5);  // 7 does not follow 2
}

TEST(CliCheck, NamesTheLoadersReasonForEveryRefusedRowAndPassesRealModels) {
    // Each refused crafted file, and words of the reason the lint must give.
    const std::vector<std::pair<std::string, std::string>> reasons = {
        {"shorter-than-header", "68-byte header"}, {"offset-", "starts outside the file"},
        {"negative-", "is negative"}, {"int-min-", "is negative"},
        {"zero-frames", "no frames"}, {"zero-vertices", "no vertices"}, {"vertices-2049", "limit of 2048"},
        {"frames-513", "limit of 512"}, {"triangles-above-4096", "limit of 4096"}, {"skins-above-32", "limit of 32"},
        {"wraps-32-bits", "past the end of the file"},
        {"frame-size-below", "cannot hold"}, {"frame-block-past-end", "past the end of the file"},
        {"command-list-past-end", "past the end of the file"}, {"file-cut-short", "past the end of the file"},
        {"command-list-empty", "list is empty"}, {"no-zero-word", "no 0 word"}, {"zero-word-outside", "no 0 word"},
        {"count-", "run past the end of the list"}, {"fan-past-list", "run past the end of the list"},
        {"index-", "not one of the frame's"}};
    for (const CraftedFile& row : CraftedMd2Files()) {
        if (row.expected) continue;
        SCOPED_TRACE(row.name);
        std::string expected;
        for (const auto& [prefix, text] : reasons)
            if (row.name.find(prefix) != std::string::npos && expected.empty()) expected = text;
        ASSERT_FALSE(expected.empty()) << "no reason listed for this row";
        Md2File file;
        file.path = WriteTempFile("row.md2", row.bytes);
        file.bytes = row.bytes;
        if (file.bytes.size() >= 68)
            for (int i = 0; i < 17; i++) file.header[i] = Word(file, 4 * i);
        bool found = false;
        for (const Finding& f : CheckModel(file)) found = found || (f.error && f.text.find(expected) != std::string::npos);
        EXPECT_TRUE(found) << "expected an error with \"" << expected << "\"";
    }
    for (const char* which : {"faerie", "sydney"}) {
        const std::string path = CorpusModel(which);
        if (path.empty()) continue;
        Md2File file;
        ASSERT_TRUE(ReadMd2File(path, &file));
        for (const Finding& f : CheckModel(file)) EXPECT_FALSE(f.error) << which << ": " << f.where << ": " << f.text;
    }
    // Warnings the viewer tolerates: a 2-vertex strip, texture coordinates outside 0..1.
    Md2Parts parts;
    parts.commands = CommandWords({0, 1});
    for (int32_t word : CommandWords({0, 1, 2})) parts.commands.push_back(word);
    parts.commands.push_back(0);
    parts.commands[2] = 0x40400000;  // t = 3.0
    const Bytes bytes = BuildMd2(parts);
    Md2File file;
    ASSERT_TRUE(ReadMd2File(WriteTempFile("warn.md2", bytes), &file));
    std::string all;
    for (const Finding& f : CheckModel(file)) {
        EXPECT_FALSE(f.error) << f.text;
        all += f.text + "\n";
    }
    EXPECT_NE(all.find("draws nothing"), std::string::npos) << all;
    EXPECT_NE(all.find("outside 0..1"), std::string::npos) << all;
}
