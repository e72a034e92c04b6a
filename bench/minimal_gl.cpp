// The floor for the viewer's memory: only the GL context the viewer makes,
// on the same backend, cleared once and shown.
#include <windows.h>

#include <GL/gl.h>

#include "render/scene.h"

int main() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "MinimalGl";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "MinimalGl", "", 0x06CF0000, 0, 0, 400, 500, nullptr, nullptr, nullptr, nullptr);
    HDC dc = GetDC(window);
    if (!SetupPixelFormat(dc)) return 1;
    HGLRC context = wglCreateContext(dc);
    wglMakeCurrent(dc, context);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SwapBuffers(dc);
    wglDeleteContext(context);
    return 0;
}
