// velmorin-cli's three commands: render equals the viewer's own screenshot,
// info splits the real models' animations, check names the loader's reasons.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "../../res/resource.h"
#include "../fixtures/crafted_files.h"
#include "../fixtures/temp_files.h"
#include "animations.h"
#include "check.h"
#include "gltf_export.h"
#include "formats/little_endian.h"
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

Step Post(int command) { return headless::PostCommand(&viewer.hWnd, command); }

// A press, a move and a release, each when the viewer is ready for the next.
void Drag(std::vector<Step>& steps, unsigned button, int dx, int dy) {
    headless::AddDrag(&steps, &viewer.hWnd, button, 150, 150, dx, dy);
}

// The viewer's own screenshot after `steps`, as a user gets it with F12.
Bytes ViewerScreenshot(std::vector<Step> steps, const std::vector<std::string>& files, const std::string& gamma = "") {
    headless::Reset();
    viewer = ViewerState{};
    for (const std::string& file : files) headless::AnswerFile(file);
    if (!gamma.empty()) headless::AnswerDialogText(IDC_GAMMA, gamma);
    const std::string path = TempPath("viewer.bmp");
    headless::AnswerFile(path, 1);
    steps.push_back(Post(IDM_SCREENSHOT));
    steps.push_back(headless::PostClose(&viewer.hWnd));
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

namespace {

// Files of a folder named by an environment variable (the fuzzers' corpora
// after a fuzzing run), if it is set.
std::vector<std::string> FilesUnder(const char* variable, const char* kind) {
    std::vector<std::string> files;
    const char* top = std::getenv(variable);
    std::error_code error;
    if (top)
        for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(top) / kind, error))
            files.push_back(entry.path().string());
    return files;
}

bool HasError(const std::vector<Finding>& findings, std::string* text = nullptr) {
    for (const Finding& f : findings)
        if (f.error) {
            if (text) *text = f.text;
            return true;
        }
    return false;
}

}  // namespace

// Check reports an error exactly when the loader refuses or a frame's scale
// or translate is not finite (which the viewer draws but export refuses), in
// both directions: over every crafted file, every kept regression file and,
// after a fuzzing run, every file of the fuzzers' corpora (VELMORIN_FUZZ_CORPUS).
TEST(CliCheck, ErrorsExactlyWhenTheLoaderRefuses) {
    std::vector<std::string> models = FilesUnder("VELMORIN_FUZZ_CORPUS", "md2");
    std::vector<std::string> skins = FilesUnder("VELMORIN_FUZZ_CORPUS", "pcx");
    for (const auto& entry : std::filesystem::directory_iterator(VELMORIN_REGRESSIONS_DIR))
        (entry.path().extension() == ".md2" ? models : skins).push_back(entry.path().string());
    skins.erase(std::remove_if(skins.begin(), skins.end(), [](const std::string& p) { return p.size() > 3 &&
                                   p.compare(p.size() - 3, 3, ".md") == 0; }), skins.end());
    for (const CraftedFile& row : CraftedMd2Files()) {
        SCOPED_TRACE(row.name);
        const std::string path = WriteTempFile("row-" + row.name + ".md2", row.bytes);
        std::string text;
        EXPECT_EQ(HasError(CheckModel(path), &text), !row.expected);
        if (!row.expected) {
            EXPECT_EQ(text, Md2RefusalText(Md2Refusal(row.reason)));
        }
        models.push_back(path);
    }
    for (const CraftedFile& row : CraftedPcxFiles()) {
        SCOPED_TRACE(row.name);
        const std::string path = WriteTempFile("row-" + row.name + ".pcx", row.bytes);
        std::string text;
        EXPECT_EQ(HasError(CheckSkin(path), &text), !row.expected);
        if (!row.expected) {
            EXPECT_EQ(text, PcxRefusalText(PcxRefusal(row.reason)));
        }
        skins.push_back(path);
    }
    size_t agreed = 0;
    for (const std::string& path : models) {
        Md2Model model{};
        const bool loads = LoadMD2(path.c_str(), &model) == 1;
        bool finite = true;
        for (int32_t f = 0; loads && f < model.numFrames; f++) {
            float head[6];
            std::memcpy(head, Md2FrameData(model, f), sizeof head);
            finite = finite && std::all_of(head, head + 6, [](float v) { return std::isfinite(v); });
        }
        ReleaseModel(&model);
        EXPECT_EQ(HasError(CheckModel(path)), !loads || !finite) << path;
        agreed++;
    }
    for (const std::string& path : skins) {
        RgbImage image{};
        const bool loads = LoadPCX(path.c_str(), &image) == 1;
        std::free(image.pixels);
        EXPECT_EQ(HasError(CheckSkin(path)), !loads) << path;
        agreed++;
    }
    std::printf("check and the loaders agree on %zu files\n", agreed);
}

TEST(CliCheck, PassesRealModelsAndWarnsOfWhatTheViewerTolerates) {
    for (const char* which : {"faerie", "sydney"}) {
        const std::string path = CorpusModel(which);
        if (path.empty()) continue;
        for (const Finding& f : CheckModel(path)) EXPECT_FALSE(f.error) << which << ": " << f.where << ": " << f.text;
    }
    // Warnings the viewer tolerates: a 2-vertex strip, texture coordinates outside 0..1.
    Md2Parts parts;
    parts.commands = CommandWords({0, 1});
    for (int32_t word : CommandWords({0, 1, 2})) parts.commands.push_back(word);
    parts.commands.push_back(0);
    parts.commands[2] = 0x40400000;  // t = 3.0
    std::string all;
    for (const Finding& f : CheckModel(WriteTempFile("warn.md2", BuildMd2(parts)))) {
        EXPECT_FALSE(f.error) << f.text;
        all += f.text + "\n";
    }
    EXPECT_NE(all.find("draws nothing"), std::string::npos) << all;
    EXPECT_NE(all.find("outside 0..1"), std::string::npos) << all;

    // A frame whose scale or translate is not finite: an error of check's,
    // with the frame's offset, and a refusal of export's that writes nothing.
    for (const uint32_t bits : {0x7F800000u, 0xFFC00000u}) {  // infinity, NaN
        Bytes bytes = MinimalMd2();
        const size_t frame = size_t(ReadLe32(&bytes[FieldAt(kMd2OffsetFrames)]));
        PatchLe32(bytes, frame + 20, int32_t(bits));  // the translate's z
        const std::string path = WriteTempFile("not-finite.md2", bytes);
        std::string text;
        EXPECT_TRUE(HasError(CheckModel(path), &text));
        EXPECT_EQ(text, "its translate is not a finite number");
        ExportRequest request;
        request.model = path;
        request.output = TempPath("not-finite.glb");
        EXPECT_EQ(ExportModel(request), "refused: frame 0: its translate is not a finite number");
        EXPECT_FALSE(std::filesystem::exists(request.output));
    }

    // A scale that makes the model vanish or overflow: warnings (the thumbnailer refuses the model).
    for (const auto& [bits, says] : {std::pair<uint32_t, const char*>{0x00000000u, "it vanishes"},
                                     {0x7E967699u, "too large to draw"}}) {  // 0 and 1e38
        Bytes bytes = MinimalMd2();
        const size_t frame = size_t(ReadLe32(&bytes[FieldAt(kMd2OffsetFrames)]));
        for (size_t c = 0; c < 3; c++) PatchLe32(bytes, frame + 4 * c, int32_t(bits));
        std::string all;
        for (const Finding& f : CheckModel(WriteTempFile("scaled.md2", bytes))) all += f.text + "\n";
        EXPECT_NE(all.find(says), std::string::npos) << all;
    }

    // Counts beyond Quake 2's limits that the viewer never reads by: warnings.
    for (const char* row : {"triangles-above-4096", "skins-above-32"}) {
        std::string path;
        for (const CraftedFile& crafted : CraftedMd2Files())
            if (crafted.name == row) path = WriteTempFile("limit.md2", crafted.bytes);
        const std::vector<Finding> findings = CheckModel(path);
        EXPECT_FALSE(HasError(findings)) << row;
        EXPECT_TRUE(std::any_of(findings.begin(), findings.end(), [](const Finding& f) {
            return f.text.find("above Quake 2's limit") != std::string::npos;
        })) << row;
    }
}

// Every bad argument is a clean refusal: exit 1 or 2 with one line saying
// which argument and why, never a signal.
TEST(CliUsage, EveryBadArgumentIsACleanRefusal) {
    const std::string cli = ShellQuote(VELMORIN_CLI), model = ShellQuote(Sample("lantern.md2"));
    const std::string render = cli + " render " + model + " -o " + ShellQuote(TempPath("usage.bmp")) + " ";
    const std::vector<std::string> rows = {
        "--sheet 0 --animation spin", "--sheet 100000 --animation spin", "--size 0x0", "--size 100000x100000",
        "--size 12", "--size 12x", "--size 99999999999x2", "--frame -1", "--frame 99999", "--zoom 1e12",
        "--zoom 99999999999", "--pan 2x", "--gamma nan", "--gamma inf", "--gamma 1e999", "--orbit x",
        "--orbit 1,", "--background zzzzzz", "--background -12345", "--mode solid", "--mipmaps maybe",
        "--bogus 1", "--animation spin --sheet 512 --size 8192x8192", "--animation nothing --sheet 2"};
    std::vector<std::string> commands;
    for (const std::string& row : rows) commands.push_back(render + row);
    for (const char* option : {"-o", "--skin", "--frame", "--animation", "--sheet", "--mode", "--size", "--orbit",
                               "--zoom", "--pan", "--gamma", "--mipmaps", "--background"})
        commands.push_back(cli + " render " + model + " " + option);  // no value after it
    for (const char* row : {"", " -o x.txt", " -o x.glb --gamma nan", " -o x.glb --skin", " -o x.glb --frame 1"})
        commands.push_back(cli + " export " + model + row);
    commands.push_back(cli + " frobnicate " + model);
    commands.push_back(cli);
    // Numbers are plain decimals within their ranges: anything else is bad usage.
    const size_t usageOnly = commands.size();
    for (const char* gamma : {"0x2", "-1", "0", "1e30", "nan", "inf", "''", "' 1'", "1.5x"}) {
        commands.push_back(render + "--gamma " + gamma);
        commands.push_back(cli + " export " + model + " -o x.glb --gamma " + gamma);
    }
    for (const char* row : {"--zoom 0x2", "--zoom +1", "--zoom ' 1'", "--pan 1.5", "--sheet 1e1 --animation spin",
                            "--size 0x10x10", "--orbit 1,0x1"})
        commands.push_back(render + row);
    for (size_t c = 0; c < commands.size(); c++) {
        const std::string& command = commands[c];
        SCOPED_TRACE(command);
        const std::string errors = TempPath("usage.err");
        const int status = std::system((command + " >/dev/null 2>" + ShellQuote(errors)).c_str());
        ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal";
        if (c >= usageOnly) {
            EXPECT_EQ(WEXITSTATUS(status), 2);
        }
        EXPECT_TRUE(WEXITSTATUS(status) == 1 || WEXITSTATUS(status) == 2) << "status " << WEXITSTATUS(status);
        const Bytes message = ReadWholeFile(errors);
        EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << std::string(message.begin(), message.end());
    }
}

// One version: the About box's line, velmorin-cli --version and the build's.
TEST(CliVersion, IsTheAboutBoxsVersion) {
    headless::Reset();
    viewer = ViewerState{};
    headless::AnswerDialog({headless::PressButton(IDOK)});
    headless::RunWinMain({Post(IDM_ABOUT), [] { PostMessageA(viewer.hWnd, WM_CLOSE, 0, 0); }});
    std::string aboutVersion;
    for (const headless::ShownModal& shown : headless::ShownModals())
        for (const auto& item : shown.items)
            if (item.second.rfind("Version ", 0) == 0) aboutVersion = item.second.substr(8);
    headless::Reset();
    EXPECT_EQ(aboutVersion, VELMORIN_VERSION);

    Bytes printed;
    ASSERT_TRUE(RunCommand(ShellQuote(VELMORIN_CLI) + " --version", &printed));
    EXPECT_EQ(std::string(printed.begin(), printed.end()), "velmorin-cli " + aboutVersion + "\n");
}

namespace {

// A command's exit status (-1 when a signal ended it), its output thrown away.
int ExitStatus(const std::string& command) {
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::pair<uint32_t, uint32_t> BmpSize(const std::string& path) {
    const Bytes bmp = ReadWholeFile(path);
    if (bmp.size() < 26) return {0, 0};
    return {bmp[18] | bmp[19] << 8 | bmp[20] << 16 | uint32_t(bmp[21]) << 24,
            bmp[22] | bmp[23] << 8 | bmp[24] << 16 | uint32_t(bmp[25]) << 24};
}

}  // namespace

// A failed run leaves every earlier file as it was: outputs that are not
// regular files are refused before anything is written, a model's files are
// put in place together or not at all, and models of one name from several
// folders each get their own file.
TEST(CliFiles, ARunNeverLosesOrClobbersAFile) {
    namespace fs = std::filesystem;
    const fs::path dir = TempPath("outputs");
    fs::remove_all(dir);
    fs::create_directories(dir / "folder.glb");
    fs::create_symlink("/dev/null", dir / "device.glb");
    const std::string cli = ShellQuote(VELMORIN_CLI), model = ShellQuote(Sample("lantern.md2"));
    const std::string skin = " --skin " + ShellQuote(Sample("lantern.pcx"));
    const auto at = [&dir](const char* name) { return ShellQuote((dir / name).string()); };

    // An earlier good export, then runs that must fail without touching it.
    ASSERT_EQ(ExitStatus(cli + " export " + model + skin + " -o " + at("kept.gltf")), 0);
    std::vector<Bytes> kept;
    for (const char* name : {"kept.gltf", "kept.bin", "kept.png"}) kept.push_back(ReadWholeFile((dir / name).string()));
    fs::remove(dir / "kept.bin");
    fs::create_directories(dir / "kept.bin" / "inside");
    const struct {
        std::string arguments;
        int status;
    } rows[] = {
        {"export " + model + " -o " + at("folder.glb"), 1},
        {"export " + model + " -o " + at("device.glb"), 1},
        {"render " + model + " -o /dev/null", 1},
        {"render " + model + " -o " + at("folder.glb"), 1},
        {"render " + model + " --skin " + model + " -o " + at("skin.bmp"), 1},  // a skin refused leaves no picture
        {"export " + model + skin + " -o " + at("kept.gltf"), 1},  // its .bin is a folder with a file in it
        {"export " + model + " -o /proc/velmorin.glb", 1},          // a folder no file can be made in
        {"export " + model + " -o " + at("missing/x.glb"), 1},
        {"export " + model + " " + model + " -o " + at("x.glb"), 2},  // several models need a folder
        {"export " + model + " " + model + " -o " + at("") + "/", 2},  // one model twice: one file for two
        {"render " + model + " -o " + at("missing") + "/", 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments);
        EXPECT_EQ(ExitStatus(cli + " " + row.arguments), row.status);
    }
    fs::remove_all(dir / "kept.bin");
    std::ofstream(dir / "kept.bin", std::ios::binary).write(reinterpret_cast<const char*>(kept[1].data()),
                                                            std::streamsize(kept[1].size()));
    // A file-size limit stops the writing part-way: the earlier files stay whole.
    EXPECT_EQ(ExitStatus("ulimit -f 1; " + cli + " export " + model + skin + " -o " + at("kept.gltf")), 1);
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir)) left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"device.glb", "folder.glb", "kept.bin", "kept.gltf", "kept.png"}));
    EXPECT_TRUE(fs::is_empty(dir / "folder.glb"));
    EXPECT_TRUE(fs::is_symlink(dir / "device.glb"));
    EXPECT_EQ(ReadWholeFile((dir / "kept.gltf").string()), kept[0]);
    EXPECT_EQ(ReadWholeFile((dir / "kept.bin").string()), kept[1]);
    EXPECT_EQ(ReadWholeFile((dir / "kept.png").string()), kept[2]);
    // A file replaced keeps its permission bits.
    const fs::perms ownerOnly = fs::perms::owner_read | fs::perms::owner_write;
    fs::permissions(dir / "kept.gltf", ownerOnly);
    ASSERT_EQ(ExitStatus(cli + " export " + model + skin + " -o " + at("kept.gltf")), 0);
    EXPECT_EQ(fs::status(dir / "kept.gltf").permissions(), ownerOnly);

    // Two tris.md2 from different folders: one file each, named by their folders.
    for (const char* folder : {"a", "b", "out"}) fs::create_directories(dir / "tree" / folder);
    for (const char* folder : {"a", "b"}) fs::copy_file(Sample("lantern.md2"), dir / "tree" / folder / "tris.md2");
    const std::string both = at("tree/a/tris.md2") + " " + at("tree/b/tris.md2") + " -o " + at("tree/out") + "/";
    EXPECT_EQ(ExitStatus(cli + " export " + both), 0);
    EXPECT_EQ(ExitStatus(cli + " render " + both), 0);
    for (const char* name : {"a_tris.glb", "b_tris.glb", "a_tris.bmp", "b_tris.bmp"})
        EXPECT_TRUE(fs::is_regular_file(dir / "tree" / "out" / name)) << name;

    // --size is the picture's size, however narrow the window it needs.
    for (const char* size : {"100x100", "1x1", "37x500"}) {
        SCOPED_TRACE(size);
        ASSERT_EQ(ExitStatus(cli + " render " + model + " --size " + size + " -o " + at("sized.bmp")), 0);
        const auto [width, height] = BmpSize((dir / "sized.bmp").string());
        EXPECT_EQ(std::to_string(width) + "x" + std::to_string(height), size);
    }
}
