#include "gltf_mesh.h"

#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <tuple>

#include "formats/md2.h"

namespace {

uint32_t Bits(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// The triangles GL makes of a strip or fan, in GL's order, then reversed: MD2
// front faces wind clockwise (the viewer culls GL's front faces), glTF's
// counter-clockwise.
void AddTriangles(const std::vector<uint32_t>& v, bool fan, std::vector<uint32_t>* indices) {
    for (size_t n = 2; n < v.size(); n++) {
        uint32_t a, b, c = v[n];
        if (fan) a = v[0], b = v[n - 1];
        else if (n % 2 == 0) a = v[n - 2], b = v[n - 1];
        else a = v[n - 1], b = v[n - 2];
        indices->insert(indices->end(), {a, c, b});
    }
}

}  // namespace

GltfGeometry BuildGeometry(const Md2Model& model) {
    GltfGeometry geometry;
    std::map<std::tuple<int32_t, uint32_t, uint32_t>, uint32_t> known;
    int32_t cursor = 0;
    Md2Command command;
    while (NextMd2Command(model, &cursor, &command)) {
        std::vector<uint32_t> ids;
        for (int32_t n = 0; n < command.vertexCount; n++) {
            const Md2Vertex decoded = DecodeMd2Vertex(Md2FrameData(model, 0), command, n);
            const int32_t index = command.vertexWords[3 * n + 2];
            const auto key = std::make_tuple(index, Bits(decoded.s), Bits(decoded.t));
            auto found = known.find(key);
            if (found == known.end()) {
                found = known.emplace(key, uint32_t(geometry.vertices.size())).first;
                geometry.vertices.push_back({index, decoded.s, decoded.t});
            }
            ids.push_back(found->second);
        }
        AddTriangles(ids, command.isFan != 0, &geometry.indices);
    }
    return geometry;
}

std::vector<float> FramePositions(const Md2Model& model, int32_t frame, const GltfGeometry& geometry) {
    std::vector<float> positions;
    positions.reserve(3 * geometry.vertices.size());
    const unsigned char* data = Md2FrameData(model, frame);
    for (const GltfVertex& vertex : geometry.vertices) {
        // One vertex word triple, as a command would hold it, to decode through the viewer's own path.
        int32_t words[3] = {0, 0, vertex.md2Index};
        const Md2Command single = {0, 1, words};
        const Md2Vertex decoded = DecodeMd2Vertex(data, single, 0);
        positions.insert(positions.end(), {decoded.x, decoded.y, decoded.z});
    }
    return positions;
}

std::vector<float> GltfFramePositions(const Md2Model& model, int32_t frame, const GltfGeometry& geometry) {
    std::vector<float> positions = FramePositions(model, frame, geometry);
    for (size_t v = 0; v + 2 < positions.size(); v += 3) {
        // The viewer draws MD2 (x, y, z) at (x, z, -y): glTF's (y, z, x) is the viewer's (-z, y, x).
        const float x = positions[v], y = positions[v + 1], z = positions[v + 2];
        positions[v] = -z, positions[v + 1] = y, positions[v + 2] = x;
    }
    return positions;
}

std::vector<float> SmoothNormals(const std::vector<float>& positions, const GltfGeometry& geometry) {
    std::map<int32_t, std::array<double, 3>> sums;
    for (size_t t = 0; t + 2 < geometry.indices.size(); t += 3) {
        const float* p[3];
        for (int k = 0; k < 3; k++) p[k] = &positions[3 * size_t(geometry.indices[t + k])];
        const double u[3] = {p[1][0] - p[0][0], p[1][1] - p[0][1], p[1][2] - p[0][2]};
        const double w[3] = {p[2][0] - p[0][0], p[2][1] - p[0][1], p[2][2] - p[0][2]};
        // The cross product's length is twice the area: the weighting comes with it.
        const double n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
        for (int k = 0; k < 3; k++) {
            auto& sum = sums[geometry.vertices[geometry.indices[t + k]].md2Index];
            for (int c = 0; c < 3; c++) sum[c] += n[c];
        }
    }
    std::vector<float> normals;
    normals.reserve(positions.size());
    for (const GltfVertex& vertex : geometry.vertices) {
        const auto found = sums.find(vertex.md2Index);
        const std::array<double, 3> sum = found == sums.end() ? std::array<double, 3>{0, 0, 0} : found->second;
        const double length = std::sqrt(sum[0] * sum[0] + sum[1] * sum[1] + sum[2] * sum[2]);
        if (!(length > 1e-12)) normals.insert(normals.end(), {0.0f, 1.0f, 0.0f});
        else normals.insert(normals.end(), {float(sum[0] / length), float(sum[1] / length), float(sum[2] / length)});
    }
    return normals;
}
