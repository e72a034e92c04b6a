#pragma once

// An MD2 model as glTF wants it: the GL command list's strips and fans (as
// the viewer draws them) unrolled to indexed triangles over the distinct
// (vertex index, s, t) triples, wound counter-clockwise, and each frame's
// positions and smooth normals in the viewer's axes (Y up).

#include <cstdint>
#include <vector>

struct Md2Model;

struct GltfVertex {
    int32_t md2Index;  // the frame vertex it takes its position from
    float s, t;        // texture coordinates as the commands give them
};

struct GltfGeometry {
    std::vector<GltfVertex> vertices;
    std::vector<uint32_t> indices;  // three per triangle, counter-clockwise seen from outside
};

GltfGeometry BuildGeometry(const Md2Model& model);

// x, y, z of every geometry vertex in frame `frame`, as DrawFrame places it.
std::vector<float> FramePositions(const Md2Model& model, int32_t frame, const GltfGeometry& geometry);

// The same in glTF's axes, Quake's front as glTF's: glTF's front is +Z with
// +Y up, a Quake 2 model's +X with +Z up, so MD2 (x, y, z) is glTF (y, z, x),
// the viewer's (x, z, -y) is glTF (y, z, x) too, turned about the up axis.
std::vector<float> GltfFramePositions(const Md2Model& model, int32_t frame, const GltfGeometry& geometry);

// Unit normals, three floats a vertex: the area-weighted sum of the faces
// around each frame vertex, so that vertices split by texture coordinates
// share one. A vertex of no face (or only degenerate ones) gets (0, 1, 0).
std::vector<float> SmoothNormals(const std::vector<float>& positions, const GltfGeometry& geometry);
