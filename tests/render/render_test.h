#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <GL/gl.h>

#include <string>

#include "../fixtures/crafted_files.h"
#include "headless/headless.h"
#include "state/viewer_state.h"

// A main window of the viewer's size with its menu, status bar and toolbar,
// a GL context made by the program's own SetupPixelFormat and InitGL, and the
// viewer's state at its start values.
class RenderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Loads a crafted model as the viewer's model.
    void LoadModel(const Bytes& file);
};

// The model vertex k of frame f of a crafted model, in viewer space.
struct Vertex {
    float x, y, z;
};
Vertex CraftedVertex(int k, int f);
