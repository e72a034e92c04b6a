#include "render_test.h"

#include <commctrl.h>

#include "../fixtures/temp_files.h"
#include "formats/md2.h"
#include "render/scene.h"

namespace {

void StartValues() {
    viewer = ViewerState{};
    viewer.timerId = 1;
    viewer.gamma = 0.7f;
    viewer.eye = Vec3{100, 0, 0};
}

}  // namespace

void RenderTest::SetUp() {
    headless::Reset();
    StartValues();
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "RenderTest";
    windowClass.lpszMenuName = MAKEINTRESOURCE(102);
    RegisterClassA(&windowClass);
    viewer.hWnd = CreateWindowExA(0, "RenderTest", "Velmorin", 0x06CF0000, 100, 100, 400, 500, nullptr, nullptr,
                                  nullptr, nullptr);
    viewer.hDC = GetDC(viewer.hWnd);
    ASSERT_EQ(SetupPixelFormat(viewer.hDC), 1);
    InitGL(viewer.hDC, &viewer.hGLRC);
    viewer.hMenu = GetMenu(viewer.hWnd);  // known only after creation, as in the program
    viewer.hStatus = CreateWindowExA(WS_EX_TOPMOST, STATUSCLASSNAMEA, "", 0x50000100, 0, 0, 0, 0, viewer.hWnd,
                                     HMENU(100), nullptr, nullptr);
    viewer.hToolbar = CreateWindowExA(0, TOOLBARCLASSNAMEA, "", 0x50000120, 0, 0, 0, 0, viewer.hWnd, HMENU(107),
                                      nullptr, nullptr);
    ShowWindow(viewer.hWnd, SW_SHOW);
    ResizeGL();
    headless::PumpUntilIdle();
}

void RenderTest::TearDown() {
    if (viewer.model.loaded) ReleaseModel(&viewer.model);
    ReleaseGL();
    headless::Reset();
}

void RenderTest::LoadModel(const Bytes& file) {
    ASSERT_EQ(LoadMD2(WriteTempFile("render.md2", file).c_str(), &viewer.model), 1);
}

Vertex CraftedVertex(int k, int f) {
    const float vx = float(k + f), vy = float(2 * k + 1), vz = float(3 * k + 2);
    return Vertex{vx * 0.5f + 1.0f, vz * 2.0f + 3.0f, -(vy * 0.25f - 2.0f)};
}
