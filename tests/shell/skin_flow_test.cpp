// Choosing a skin, and the skin path across models, gamma and mipmaps.
#include <GL/gl.h>

#include <map>

#include "../fixtures/temp_files.h"
#include "shell_test.h"

namespace {

// The red of texel (0, 0) of the skin texture now in GL.
int FirstTexelRed() {
    GLint width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    if (width == 0) return -1;
    GLint height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    std::vector<unsigned char> texels(size_t(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    return texels[0];
}

}  // namespace

TEST_F(ShellTest, ASkinNeedsAModelAndADecodableFile) {
    headless::AnswerOk();
    headless::AnswerFile(SamplePath("lantern.md2"));
    headless::AnswerFile(WriteTempFile("bad.pcx", Bytes(900, 1)));
    headless::AnswerOk();
    headless::AnswerCancel();
    Run({Key('S', headless::kAlt),
         [] {
             const headless::ShownModal* shown = LastShown();
             ASSERT_NE(shown, nullptr);
             EXPECT_EQ(shown->kind, headless::Shown::MessageBox);
             EXPECT_EQ(shown->text, "Please open a model first");
             EXPECT_EQ(shown->title, "Error");  // the system's default caption
             EXPECT_EQ(headless::ShownModals().size(), 1u);
         },
         Command(IDM_OPEN_MODEL), Command(IDM_CHOOSE_SKIN),
         [] {
             EXPECT_EQ(LastShown()->text, "Error loading texture");
             EXPECT_EQ(LastShown()->owner, nullptr);
             const headless::ShownModal& chooser = headless::ShownModals()[2];
             EXPECT_EQ(chooser.title, "Open PCX Skin");
             EXPECT_EQ(chooser.filters,
                       (std::vector<std::pair<std::string, std::string>>{{"PCX (*.pcx)", "*.pcx"}}));
             EXPECT_EQ(chooser.flags, 0x1804u);
             EXPECT_FALSE(Checked(IDM_TEXTURED_NEAREST));
         },
         Command(IDM_CHOOSE_SKIN),  // cancelled: nothing
         [] { EXPECT_EQ(viewer.model.skinPath[0], '\0'); }, Close()});
}

TEST_F(ShellTest, ASkinSurvivesANewModelAndIsReloadedByGammaAndMipmaps) {
    headless::AnswerFile(SamplePath("lantern.md2"));
    headless::AnswerFile(SamplePath("lantern.pcx"));
    headless::AnswerFile(SamplePath("lantern.md2"));
    headless::AnswerDialogText(IDC_GAMMA, "1");
    int redAtDefault = 0, redAtOne = 0;
    Run({Command(IDM_OPEN_MODEL), Command(IDM_CHOOSE_SKIN),
         [&] {
             EXPECT_TRUE(Checked(IDM_TEXTURED_NEAREST));
             EXPECT_FALSE(Checked(IDM_WIREFRAME));
             EXPECT_EQ(viewer.model.textureLoaded, 1);
             EXPECT_EQ(std::string(viewer.model.skinPath), SamplePath("lantern.pcx"));
             redAtDefault = FirstTexelRed();
         },
         Command(IDM_OPEN_MODEL),
         [] {
             EXPECT_EQ(std::string(viewer.model.skinPath), SamplePath("lantern.pcx"));
             EXPECT_TRUE(Checked(IDM_WIREFRAME));
         },
         Command(IDM_GAMMA), [&] { redAtOne = FirstTexelRed(); }, Command(IDM_MIPMAP),
         [&] {
             EXPECT_FALSE(Checked(IDM_MIPMAP));
             EXPECT_EQ(viewer.mipmapsOff, 1);
             EXPECT_EQ(FirstTexelRed(), redAtOne);  // decoded afresh, not brightened twice
         },
         Command(IDM_MIPMAP), [] { EXPECT_TRUE(Checked(IDM_MIPMAP)); }, Close()});
    EXPECT_EQ(viewer.gamma, 1.0f);
    EXPECT_GT(redAtDefault, redAtOne);  // 1 / 0.7 brightens
}

// The Options menu as a user sees it after each drawing-mode command: the
// chosen mode marked alone, mipmaps untouched, and the picture following:
// wire-frame leaves the background showing between its lines, a textured
// mode covers it, and the two filters draw the skin differently.
TEST_F(ShellTest, EachDrawingModeCommandIsMarkedAloneAndDrawn) {
    headless::AnswerFile(SamplePath("lantern.md2"));
    headless::AnswerFile(SamplePath("lantern.pcx"));
    const WORD modes[] = {IDM_WIREFRAME, IDM_TEXTURED_NEAREST, IDM_TEXTURED_LINEAR};
    const WORD commands[] = {IDM_TEXTURED_LINEAR, IDM_WIREFRAME, IDM_TEXTURED_NEAREST, IDM_TEXTURED_NEAREST,
                             IDM_WIREFRAME, IDM_TEXTURED_LINEAR};
    std::map<WORD, std::vector<unsigned char>> pictures;
    std::vector<Step> script = {Command(IDM_OPEN_MODEL), Command(IDM_CHOOSE_SKIN)};
    for (WORD command : commands) {
        script.push_back(Command(command));
        script.push_back([&, command] {
            SCOPED_TRACE(command);
            for (WORD mode : modes) EXPECT_EQ(Checked(mode), mode == command) << mode;
            EXPECT_TRUE(Checked(IDM_MIPMAP));
            const headless::Picture shown = headless::ShownPicture(viewer.hWnd);
            if (pictures.count(command)) {
                EXPECT_EQ(shown.rgb, pictures[command]);  // the same mode draws alike
            }
            pictures[command] = shown.rgb;
        });
    }
    script.push_back(Close());
    Run(script);
    const auto background = [](const std::vector<unsigned char>& rgb) {
        size_t count = 0;
        for (size_t i = 0; i + 2 < rgb.size(); i += 3) count += rgb[i] == rgb[0] && rgb[i + 1] == rgb[1] && rgb[i + 2] == rgb[2];
        return count;
    };
    EXPECT_GT(background(pictures[IDM_WIREFRAME]), background(pictures[IDM_TEXTURED_NEAREST]));
    EXPECT_NE(pictures[IDM_TEXTURED_NEAREST], pictures[IDM_TEXTURED_LINEAR]);
}
