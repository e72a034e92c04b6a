#include "scene.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>

#include "../state/viewer_state.h"
#include "camera_steps.h"
#include "frame_drawing.h"

namespace {

const double kFieldOfView = 50.0;
const double kNearPlane = 1.0;
const double kFarPlane = 500.0;

void ReportPixelFormatError() {
    char text[32];
    std::snprintf(text, sizeof text, "Error Code: %i", int(GetLastError()));
    MessageBoxA(nullptr, text, nullptr, MB_OK);
}

// A bar that does not exist yet (during the main window's creation) takes no room.
LONG BottomOf(HWND window) {
    RECT rect = {0, 0, 0, 0};
    if (window) GetClientRect(window, &rect);
    return rect.bottom;
}

}  // namespace

int SetupPixelFormat(HDC hdc) {
    PIXELFORMATDESCRIPTOR format = {};
    format.nSize = sizeof format;
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 24;
    format.cDepthBits = 32;
    format.iLayerType = PFD_MAIN_PLANE;
    const int index = ChoosePixelFormat(hdc, &format);
    if (index == 0 || !SetPixelFormat(hdc, index, &format)) {
        ReportPixelFormatError();
        return 0;
    }
    return 1;
}

void InitGL(HDC hdc, HGLRC* hGLRC) {
    *hGLRC = wglCreateContext(hdc);
    wglMakeCurrent(hdc, *hGLRC);
    glClearColor(0, 0, 0, 0);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ApplyProjection();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    SetRenderMode(RENDER_WIREFRAME);
}

// The camera lives in the projection matrix; the modelview stays the identity.
void ApplyProjection() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(kFieldOfView, viewer.aspect, kNearPlane, kFarPlane);
    gluLookAt(viewer.eye.x, viewer.eye.y, viewer.eye.z, viewer.center.x, viewer.center.y, viewer.center.z, 0, 1, 0);
}

void SetRenderMode(int mode) {
    CheckMenuItem(viewer.hMenu, kWireframeItem, MF_BYCOMMAND | MF_UNCHECKED);
    CheckMenuItem(viewer.hMenu, kTexturedNearestItem, MF_BYCOMMAND | MF_UNCHECKED);
    CheckMenuItem(viewer.hMenu, kTexturedLinearItem, MF_BYCOMMAND | MF_UNCHECKED);
    if (mode == RENDER_WIREFRAME) {
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_CULL_FACE);
        CheckMenuItem(viewer.hMenu, kWireframeItem, MF_BYCOMMAND | MF_CHECKED);
    } else if (mode == RENDER_NEAREST || mode == RENDER_LINEAR) {
        const GLint filter = mode == RENDER_NEAREST ? GL_NEAREST : GL_LINEAR;
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glEnable(GL_TEXTURE_2D);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
        glCullFace(GL_FRONT);  // MD2 triangles wind clockwise seen from outside: GL's front faces are the inner ones
        glEnable(GL_CULL_FACE);
        CheckMenuItem(viewer.hMenu, mode == RENDER_NEAREST ? kTexturedNearestItem : kTexturedLinearItem,
                      MF_BYCOMMAND | MF_CHECKED);
    }
}

DrawingArea MeasureDrawingArea() {
    RECT main = {0, 0, 0, 0};
    GetClientRect(viewer.hWnd, &main);
    const LONG statusBottom = BottomOf(viewer.hStatus);
    return DrawingArea{0, int(statusBottom), int(main.right),
                       int(main.bottom - statusBottom - BottomOf(viewer.hToolbar))};
}

void ResizeGL() {
    const DrawingArea area = MeasureDrawingArea();
    glViewport(area.x, area.y, area.width, area.height > 0 ? area.height : 0);
    // An empty area has no aspect: keep the last usable one.
    const float aspect = AspectOf(area.width, area.height);
    if (aspect > 0) viewer.aspect = aspect;
    ApplyProjection();
}

void RenderScene() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (viewer.model.loaded == 1) {
        ApplyProjection();
        DrawFrame(viewer.model, viewer.currentFrame);
    }
    SwapBuffers(viewer.hDC);
}

void ReleaseGL() { wglDeleteContext(viewer.hGLRC); }
