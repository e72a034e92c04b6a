#include "skin_atlas.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "gltf_scene.h"

namespace {

const int kCell = 4;  // the side of a flat colour's region
const int kPad = 1;   // texels around a region copied from its edge, so that nearest sampling never strays

struct Region {
    int material = -1;
    long triangle = -1;         // a vertex-coloured triangle's cell; -1 for a material's region
    int width = 1, height = 1;  // inside the padding
    double low[2] = {0, 0}, high[2] = {1, 1};  // the texture coordinates a textured region covers
    unsigned char colour[3] = {255, 255, 255};  // a flat region's
    int x = 0, y = 0;           // where its inside starts in the atlas
};

// KHR_texture_transform: scaled, turned (counter-clockwise in texture
// coordinates) and offset.
void Transform(const ImportedMaterial& m, float s, float t, double out[2]) {
    const double x = s * m.scale[0], y = t * m.scale[1], c = std::cos(m.rotation), n = std::sin(m.rotation);
    out[0] = c * x + n * y + m.offset[0];
    out[1] = -n * x + c * y + m.offset[1];
}

// The texture at (s, t), nearest and repeating, times the factor.
void Sample(const ImportedMaterial& m, double s, double t, unsigned char out[3]) {
    const auto wrap = [](double v, int n) {
        if (!std::isfinite(v)) return 0;
        return std::min(n - 1, int((v - std::floor(v)) * n));
    };
    for (int c = 0; c < 3; c++) {
        const double texel = m.texture.empty()
                                 ? 255
                                 : m.texture[(size_t(wrap(t, m.height)) * size_t(m.width) + size_t(wrap(s, m.width))) * 3 +
                                             size_t(c)];
        out[c] = (unsigned char)std::lround(std::min(255.0, std::max(0.0, texel * double(m.factor[c]))));
    }
}

bool White(const float* colour) { return colour[0] == 1 && colour[1] == 1 && colour[2] == 1; }

// One texture as it is: one material, no factor, no vertex colour, no
// transform, every coordinate within 0..1.
bool Plain(const ImportedMesh& mesh) {
    if (mesh.materials.size() != 1) return false;
    const ImportedMaterial& m = mesh.materials[0];
    if (m.texture.empty() || m.transformed || !White(m.factor)) return false;
    for (size_t i = 0; i + 2 < mesh.colours.size(); i += 3)
        if (!White(&mesh.colours[i])) return false;
    for (uint32_t v : mesh.triangles)
        for (int k = 0; k < 2; k++)
            if (!(mesh.texCoords[2 * v + size_t(k)] >= 0 && mesh.texCoords[2 * v + size_t(k)] <= 1)) return false;
    return true;
}

// Nothing to paint: no texture, no factor, no vertex colour.
bool Blank(const ImportedMesh& mesh) {
    for (const ImportedMaterial& m : mesh.materials)
        if (!m.texture.empty() || !White(m.factor)) return false;
    for (size_t i = 0; i + 2 < mesh.colours.size(); i += 3)
        if (!White(&mesh.colours[i])) return false;
    return true;
}

// The regions: a material's over the coordinates its triangles use, at its
// texture's resolution; a flat one for a material without a texture; a
// cell a triangle for a material whose vertices are coloured.
std::vector<Region> Regions(const ImportedMesh& mesh, std::vector<int>* regionOfTriangle) {
    const size_t triangles = mesh.triangles.size() / 3;
    std::vector<bool> coloured(mesh.materials.size(), false);
    for (size_t t = 0; t < triangles; t++)
        for (int k = 0; k < 3; k++)
            if (!White(&mesh.colours[3 * size_t(mesh.triangles[3 * t + size_t(k)])])) coloured[size_t(mesh.triangleMaterials[t])] = true;
    std::vector<Region> regions;
    std::vector<int> regionOfMaterial(mesh.materials.size(), -1);
    regionOfTriangle->assign(triangles, -1);
    for (size_t t = 0; t < triangles; t++) {
        const int material = mesh.triangleMaterials[t];
        const ImportedMaterial& m = mesh.materials[size_t(material)];
        double corners[3][2];
        for (int k = 0; k < 3; k++) {
            const uint32_t v = mesh.triangles[3 * t + size_t(k)];
            Transform(m, mesh.texCoords[2 * v], mesh.texCoords[2 * v + 1], corners[k]);
        }
        if (coloured[size_t(material)]) {
            // A cell in the triangle's mean colour, its texture taken at its middle.
            Region cell;
            cell.material = material, cell.triangle = long(t), cell.width = cell.height = kCell;
            unsigned char texel[3];
            Sample(m, (corners[0][0] + corners[1][0] + corners[2][0]) / 3, (corners[0][1] + corners[1][1] + corners[2][1]) / 3,
                   texel);
            for (int c = 0; c < 3; c++) {
                double mean = 0;
                for (int k = 0; k < 3; k++) mean += mesh.colours[3 * size_t(mesh.triangles[3 * t + size_t(k)]) + size_t(c)] / 3;
                cell.colour[c] = (unsigned char)std::lround(std::min(1.0, std::max(0.0, mean)) * texel[c]);
            }
            (*regionOfTriangle)[t] = int(regions.size());
            regions.push_back(cell);
            continue;
        }
        int& region = regionOfMaterial[size_t(material)];
        if (region < 0) {
            region = int(regions.size());
            Region r;
            r.material = material;
            for (int k = 0; k < 2; k++) r.low[k] = HUGE_VAL, r.high[k] = -HUGE_VAL;
            if (m.texture.empty()) {
                r.width = r.height = kCell;
                Sample(m, 0, 0, r.colour);
            }
            regions.push_back(r);
        }
        Region& r = regions[size_t(region)];
        if (!m.texture.empty())
            for (auto& corner : corners)
                for (int k = 0; k < 2; k++)
                    if (std::isfinite(corner[k])) r.low[k] = std::min(r.low[k], corner[k]), r.high[k] = std::max(r.high[k], corner[k]);
        (*regionOfTriangle)[t] = region;
    }
    for (Region& r : regions) {
        const ImportedMaterial& m = mesh.materials[size_t(r.material)];
        if (r.triangle >= 0 || m.texture.empty()) continue;
        if (!(r.low[0] <= r.high[0])) r.low[0] = r.low[1] = 0, r.high[0] = r.high[1] = 1;
        // At the texture's resolution over the span used, at most the atlas.
        r.width = int(std::min(double(kLargestAtlasSide), std::max(1.0, std::ceil((r.high[0] - r.low[0]) * m.width))));
        r.height = int(std::min(double(kLargestAtlasSide), std::max(1.0, std::ceil((r.high[1] - r.low[1]) * m.height))));
    }
    return regions;
}

// Shelves of regions, tallest first, in rows as wide as the atlas.
bool Pack(std::vector<Region>* regions, int side, int* width, int* height) {
    std::vector<size_t> order(regions->size());
    for (size_t i = 0; i < order.size(); i++) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [regions](size_t a, size_t b) { return (*regions)[a].height > (*regions)[b].height; });
    int x = 0, y = 0, row = 0;
    *width = 0;
    for (size_t i : order) {
        Region& r = (*regions)[i];
        const int w = r.width + 2 * kPad, h = r.height + 2 * kPad;
        if (w > side) return false;
        if (x + w > side) x = 0, y += row, row = 0;
        r.x = x + kPad, r.y = y + kPad;
        x += w, row = std::max(row, h), *width = std::max(*width, x);
    }
    *height = y + row;
    return *height <= side;
}

}  // namespace

std::string BakeSkin(ImportedMesh* mesh) {
    if (mesh->materials.empty() || Plain(*mesh)) {
        if (!mesh->materials.empty()) {
            mesh->textureWidth = mesh->materials[0].width, mesh->textureHeight = mesh->materials[0].height;
            mesh->texture = mesh->materials[0].texture;
        }
        return "";
    }
    if (Blank(*mesh)) return "";
    std::vector<int> regionOfTriangle;
    std::vector<Region> regions = Regions(*mesh, &regionOfTriangle);
    // Halved until they fit: a warning says so.
    int width = 0, height = 0, halvings = 0;
    while (!Pack(&regions, kLargestAtlasSide, &width, &height)) {
        if (++halvings > 12) return "the materials cannot be baked into a " + std::to_string(kLargestAtlasSide) + " pixel skin";
        for (Region& r : regions)
            if (r.triangle < 0 && !mesh->materials[size_t(r.material)].texture.empty())
                r.width = std::max(1, r.width / 2), r.height = std::max(1, r.height / 2);
        if (halvings > 6)  // cells too: thousands of coloured triangles
            for (Region& r : regions)
                if (r.triangle >= 0 || mesh->materials[size_t(r.material)].texture.empty()) r.width = r.height = 1;
    }
    if (halvings)
        mesh->warnings.push_back("the materials' textures are scaled down to fit a " + std::to_string(kLargestAtlasSide) +
                                 " x " + std::to_string(kLargestAtlasSide) + " skin");
    mesh->textureWidth = width, mesh->textureHeight = height;
    mesh->texture.assign(size_t(width) * size_t(height) * 3, 0);
    for (const Region& r : regions) {
        const ImportedMaterial& m = mesh->materials[size_t(r.material)];
        for (int y = -kPad; y < r.height + kPad; y++)
            for (int x = -kPad; x < r.width + kPad; x++) {
                unsigned char texel[3] = {r.colour[0], r.colour[1], r.colour[2]};
                if (r.triangle < 0 && !m.texture.empty()) {
                    const int ix = std::min(std::max(x, 0), r.width - 1), iy = std::min(std::max(y, 0), r.height - 1);
                    Sample(m, r.low[0] + (ix + 0.5) / r.width * (r.high[0] - r.low[0]),
                           r.low[1] + (iy + 0.5) / r.height * (r.high[1] - r.low[1]), texel);
                }
                std::copy(texel, texel + 3, &mesh->texture[(size_t(r.y + y) * size_t(width) + size_t(r.x + x)) * 3]);
            }
    }
    // Each corner's coordinates in its region.
    const size_t triangles = mesh->triangles.size() / 3;
    mesh->cornerTexCoords.resize(6 * triangles);
    for (size_t t = 0; t < triangles; t++) {
        const Region& r = regions[size_t(regionOfTriangle[t])];
        const ImportedMaterial& m = mesh->materials[size_t(r.material)];
        for (int k = 0; k < 3; k++) {
            const uint32_t v = mesh->triangles[3 * t + size_t(k)];
            double at[2] = {0.5, 0.5};  // a flat region's or a cell's middle
            if (r.triangle < 0 && !m.texture.empty()) {
                Transform(m, mesh->texCoords[2 * v], mesh->texCoords[2 * v + 1], at);
                for (int c = 0; c < 2; c++)
                    at[c] = r.high[c] > r.low[c] && std::isfinite(at[c]) ? (at[c] - r.low[c]) / (r.high[c] - r.low[c]) : 0.5;
            }
            mesh->cornerTexCoords[6 * t + 2 * size_t(k)] = float((r.x + at[0] * r.width) / width);
            mesh->cornerTexCoords[6 * t + 2 * size_t(k) + 1] = float((r.y + at[1] * r.height) / height);
        }
    }
    return "";
}
