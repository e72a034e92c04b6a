#pragma once

// An MD2 has one skin, and one texture coordinate a triangle corner: every
// material's base colour goes into a region of one atlas, and the corners'
// coordinates are moved into their material's region.

#include <string>

struct ImportedMesh;

// The largest atlas: regions are scaled down to fit it, with a warning.
const int kLargestAtlasSide = 512;

// Makes the mesh's skin: nothing for a model with no texture, factor or
// vertex colour; a model of one plain texture whose coordinates stay within
// 0..1 keeps it as it is, pixel for pixel; else an atlas of a region a
// material (its texture over the coordinates its triangles use, repeats and
// KHR_texture_transform included, times its factor; a material without a
// texture painted in its factor's colour) and, for materials with vertex
// colours, a cell a triangle in its mean colour. "" or why not.
std::string BakeSkin(ImportedMesh* mesh);
