// Renders with the program's own WinMain on the headless backend, for the
// window tests to compare the desktop viewer's screenshots with:
//
//   headless_render ACTION... where ACTION is one of
//     size WIDTH HEIGHT | open PATH | skin PATH | command ID | drag DX DY | save PATH
//
// `size` resizes the main window, so that a drawing area of another size
// (another platform's bars and frame) can be matched; `drag` presses the left button in the middle of the drawing area and moves
// by (DX, DY); `save` takes a screenshot with the BMP filter.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../../res/resource.h"
#include "headless/headless.h"
#include "state/viewer_state.h"

using headless::Step;

namespace {

Step Post(int command) {
    return [command] { PostMessageA(viewer.hWnd, WM_COMMAND, WPARAM(command), 0); };
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<Step> script;
    for (int i = 1; i < argc; i++) {
        const std::string action = argv[i];
        const bool hasArgument = i + 1 < argc;
        if (action == "size" && i + 2 < argc) {
            const int width = std::atoi(argv[i + 1]), height = std::atoi(argv[i + 2]);
            i += 2;
            script.push_back([width, height] { headless::ResizeWindow(viewer.hWnd, width, height); });
        } else if (action == "open" && hasArgument) {
            headless::AnswerFile(argv[++i]);
            script.push_back(Post(IDM_OPEN_MODEL));
        } else if (action == "skin" && hasArgument) {
            headless::AnswerFile(argv[++i]);
            script.push_back(Post(IDM_CHOOSE_SKIN));
        } else if (action == "command" && hasArgument) {
            script.push_back(Post(std::atoi(argv[++i])));
        } else if (action == "drag" && i + 2 < argc) {
            const int dx = std::atoi(argv[i + 1]), dy = std::atoi(argv[i + 2]);
            i += 2;
            script.push_back([] {
                headless::MoveCursorToClient(viewer.hWnd, 192, 220);
                headless::MouseDown(MK_LBUTTON);
            });
            script.push_back([dx, dy] { headless::MoveCursorToClient(viewer.hWnd, 192 + dx, 220 + dy); });
            script.push_back([] { headless::MouseUp(MK_LBUTTON); });
        } else if (action == "save" && hasArgument) {
            headless::AnswerFile(argv[++i], 1);
            script.push_back(Post(IDM_SCREENSHOT));
        } else {
            std::fprintf(stderr, "headless_render: cannot read \"%s\"\n", action.c_str());
            return 2;
        }
    }
    script.push_back([] { PostMessageA(viewer.hWnd, WM_CLOSE, 0, 0); });
    headless::RunWinMain(script);
    for (const std::string& problem : headless::Problems()) std::fprintf(stderr, "headless_render: %s\n", problem.c_str());
    return headless::Problems().empty() ? 0 : 1;
}
