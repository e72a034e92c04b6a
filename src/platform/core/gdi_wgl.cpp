// Device contexts, pixel formats and WGL contexts, carried out by the backend
// on each window's client area; the last error; common-control start-up.
#include "internal.h"

namespace {

DWORD lastError = 0;
std::vector<std::unique_ptr<HGLRC__>> contexts;
HGLRC current = nullptr;

// A device context lives inside its window's record: a stale one is never
// followed, only compared with the live windows'.
HWND WindowOf(HDC dc) {
    for (HWND window : AllWindows())
        if (dc == &window->dc) return window;
    return nullptr;
}

HGLRC LiveContext(HGLRC context) {
    for (const auto& c : contexts)
        if (c.get() == context) return context;
    return nullptr;
}

}  // namespace

void ResetContexts() {
    for (const auto& c : contexts) platformBackend.deleteContext(c->context);
    contexts.clear();
    current = nullptr;
}

HDC WINAPI GetDC(HWND window) {
    if (!LiveWindow(window)) return nullptr;
    window->dc.window = window;  // one device context per window, kept for its life
    return &window->dc;
}

int WINAPI ReleaseDC(HWND window, HDC dc) { return LiveWindow(window) && dc == &window->dc; }

// The one format offered: RGBA, 24-bit colour, double-buffered, with depth.
int WINAPI ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* wanted) {
    const DWORD needed = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
    if (!WindowOf(dc) || !wanted || wanted->iPixelType != PFD_TYPE_RGBA || (wanted->dwFlags & needed) != needed) {
        SetLastError(2000);  // ERROR_INVALID_PIXEL_FORMAT
        return 0;
    }
    return 1;
}

BOOL WINAPI SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR*) {
    HWND window = WindowOf(dc);
    if (!window || format != 1) {
        SetLastError(2000);
        return FALSE;
    }
    if (dc->pixelFormat) return dc->pixelFormat == format;
    if (!platformBackend.createSurface(window)) {
        SetLastError(2000);
        return FALSE;
    }
    dc->pixelFormat = format;
    return TRUE;
}

HGLRC WINAPI wglCreateContext(HDC dc) {
    HWND window = WindowOf(dc);
    if (!window || !dc->pixelFormat) {
        SetLastError(2000);
        return nullptr;
    }
    void* context = platformBackend.createContext(window);
    if (!context) return nullptr;
    contexts.push_back(std::make_unique<HGLRC__>(HGLRC__{context, window}));
    return contexts.back().get();
}

BOOL WINAPI wglMakeCurrent(HDC dc, HGLRC context) {
    if (!context) {
        if (current) platformBackend.makeCurrent(nullptr, nullptr);
        current = nullptr;
        return TRUE;
    }
    HWND window = WindowOf(dc);
    if (!LiveContext(context) || !window || !dc->pixelFormat) return FALSE;
    if (!platformBackend.makeCurrent(window, context->context)) return FALSE;
    context->window = window;
    current = context;
    return TRUE;
}

BOOL WINAPI wglDeleteContext(HGLRC context) {
    if (!LiveContext(context)) return FALSE;
    if (current == context) wglMakeCurrent(nullptr, nullptr);
    platformBackend.deleteContext(context->context);
    contexts.erase(std::remove_if(contexts.begin(), contexts.end(), [&](const auto& c) { return c.get() == context; }),
                   contexts.end());
    return TRUE;
}

BOOL WINAPI SwapBuffers(HDC dc) {
    HWND window = WindowOf(dc);
    if (!window || !dc->pixelFormat) return FALSE;
    platformBackend.swapBuffers(window);
    return TRUE;
}

DWORD WINAPI GetLastError(void) { return lastError; }

void WINAPI SetLastError(DWORD error) { lastError = error; }

void WINAPI InitCommonControls(void) {}
