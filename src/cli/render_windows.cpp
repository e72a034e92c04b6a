// render on Windows is still to come: it needs the viewer drawn through WGL
// in a window never shown. Said plainly, with the Linux command as the way.
#include "render.h"

std::string RenderModel(const RenderRequest&) {
    return "render is not in the Windows build yet: use the viewer's screenshot (F12), or velmorin-cli render on Linux";
}
