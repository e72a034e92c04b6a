#pragma once

// GL for the headless backend: Mesa's surfaceless EGL platform, one pbuffer
// per window sized to its client area, desktop OpenGL compatibility contexts.

#include <windows.h>

#include <vector>

struct EglPicture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;  // bottom row first
};

bool EglCreateSurface(HWND window);
void EglResizeSurface(HWND window);  // re-made when the client area's size changed
void EglDestroySurface(HWND window);
void* EglCreateContext(HWND window);
bool EglMakeCurrent(HWND window, void* context);
void EglDeleteContext(void* context);
// Keeps the back buffer as the window's shown picture.
void EglSwapBuffers(HWND window);
const EglPicture* EglShownPicture(HWND window);
