#pragma once

// An MD2's GL command list from its triangles: strips and fans built
// greedily as Quake 2's own model tool builds them (for each triangle not yet
// drawn, the longest strip or fan that starts with it), in MD2's winding,
// ended by a 0 word. Corners that share a vertex but not texture
// coordinates are different corners: strips only run across shared ones.

#include <cstdint>
#include <vector>

struct GlCorner {
    int32_t vertex;  // the frame vertex
    float s, t;
};

// `triangles` holds three corner indices a triangle, each in MD2's winding.
std::vector<int32_t> BuildGlCommands(const std::vector<GlCorner>& corners, const std::vector<uint32_t>& triangles);
