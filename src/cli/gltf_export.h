#pragma once

// velmorin-cli export: a model as glTF 2.0 (.glb, or .gltf with .bin and
// .png beside it): the viewer's geometry, frame 0 as the base mesh and every
// other frame as a morph target, one weight animation per animation of the
// split `info` prints (10 frames a second, linear), the skin as an unlit PNG
// texture sampled nearest.

#include <string>

struct ExportRequest {
    std::string model, skin, output;
    bool brighten = false;
    float gamma = 1;
};

// Returns an empty string when written, else why not (nothing is left behind).
std::string ExportModel(const ExportRequest& request);
