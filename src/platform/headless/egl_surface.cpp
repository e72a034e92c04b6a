#include "egl_surface.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <algorithm>
#include <cstdio>

#include "../core/internal.h"

namespace {

struct Surface {
    EGLSurface surface = EGL_NO_SURFACE;
    int width = 0, height = 0;
    EglPicture shown;
};

EGLDisplay display = EGL_NO_DISPLAY;
EGLConfig config = nullptr;
HWND currentWindow = nullptr;
EGLContext currentContext = EGL_NO_CONTEXT;

bool OpenDisplay() {
    if (display != EGL_NO_DISPLAY) return true;
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) return false;
    EGLDisplay opened = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (opened == EGL_NO_DISPLAY || !eglInitialize(opened, nullptr, nullptr)) return false;
    const EGLint attributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                 EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_DEPTH_SIZE, 24,
                                 EGL_NONE};
    EGLint count = 0;
    if (!eglChooseConfig(opened, attributes, &config, 1, &count) || count < 1 || !eglBindAPI(EGL_OPENGL_API)) {
        std::fprintf(stderr, "headless: no EGL configuration for desktop OpenGL\n");
        return false;
    }
    display = opened;
    return true;
}

Surface* SurfaceOf(HWND window) { return static_cast<Surface*>(window->backendData); }

EGLSurface MakePbuffer(int width, int height) {
    const EGLint attributes[] = {EGL_WIDTH, std::max(width, 1), EGL_HEIGHT, std::max(height, 1), EGL_NONE};
    return eglCreatePbufferSurface(display, config, attributes);
}

}  // namespace

bool EglCreateSurface(HWND window) {
    if (!OpenDisplay()) return false;
    const RECT client = ClientRectOf(window);
    auto* surface = new Surface;
    surface->surface = MakePbuffer(client.right, client.bottom);
    surface->width = client.right;
    surface->height = client.bottom;
    if (surface->surface == EGL_NO_SURFACE) {
        delete surface;
        return false;
    }
    window->backendData = surface;
    return true;
}

void EglResizeSurface(HWND window) {
    Surface* surface = SurfaceOf(window);
    const RECT client = ClientRectOf(window);
    if (!surface || (surface->width == client.right && surface->height == client.bottom)) return;
    // A pbuffer cannot change size: make a new one and move the context over.
    EGLSurface resized = MakePbuffer(client.right, client.bottom);
    if (resized == EGL_NO_SURFACE) return;
    if (currentWindow == window) eglMakeCurrent(display, resized, resized, currentContext);
    eglDestroySurface(display, surface->surface);
    surface->surface = resized;
    surface->width = client.right;
    surface->height = client.bottom;
}

void EglDestroySurface(HWND window) {
    Surface* surface = SurfaceOf(window);
    if (!surface) return;
    if (currentWindow == window) {
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        currentWindow = nullptr;
        currentContext = EGL_NO_CONTEXT;
    }
    eglDestroySurface(display, surface->surface);
    delete surface;
    window->backendData = nullptr;
}

void* EglCreateContext(HWND) {
    if (!OpenDisplay()) return nullptr;
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    return context == EGL_NO_CONTEXT ? nullptr : context;
}

bool EglMakeCurrent(HWND window, void* context) {
    if (!window) {
        if (display != EGL_NO_DISPLAY) eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        currentWindow = nullptr;
        currentContext = EGL_NO_CONTEXT;
        return true;
    }
    Surface* surface = SurfaceOf(window);
    if (!surface || !eglMakeCurrent(display, surface->surface, surface->surface, context)) return false;
    currentWindow = window;
    currentContext = context;
    return true;
}

void EglDeleteContext(void* context) {
    if (context == currentContext) EglMakeCurrent(nullptr, nullptr);
    eglDestroyContext(display, context);
}

void EglSwapBuffers(HWND window) {
    Surface* surface = SurfaceOf(window);
    if (!surface || currentWindow != window) return;
    EglPicture& shown = surface->shown;
    shown.width = std::max(surface->width, 1);
    shown.height = std::max(surface->height, 1);
    shown.rgb.resize(size_t(shown.width) * shown.height * 3);
    // Read without disturbing the program's own read buffer and pack alignment.
    GLint readBuffer = 0, alignment = 4;
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, shown.width, shown.height, GL_RGB, GL_UNSIGNED_BYTE, shown.rgb.data());
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
    glReadBuffer(GLenum(readBuffer));
    eglSwapBuffers(display, surface->surface);
}

const EglPicture* EglShownPicture(HWND window) {
    const Surface* surface = window ? SurfaceOf(window) : nullptr;
    return surface ? &surface->shown : nullptr;
}
