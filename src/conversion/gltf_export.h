#pragma once

// velmorin-cli export: a model as glTF 2.0 (.glb, or .gltf with .bin and
// .png beside it): the viewer's geometry, frame 0 as the base mesh and every
// other frame as a morph target, one weight animation per animation of the
// split `info` prints (10 frames a second, linear), the skin as an unlit PNG
// texture sampled nearest.

#include <string>
#include <vector>

struct ExportRequest {
    std::string model, skin, output;
    bool brighten = false;
    float gamma = 1;
};

// Returns an empty string when written, else why not: then no file is
// written and none that was there before is touched.
std::string ExportModel(const ExportRequest& request);

// The files an export to `output` writes: the .glb, or the .gltf with its
// .bin and .png (the .png only with a skin).
std::vector<std::string> ExportOutputs(const std::string& output);
