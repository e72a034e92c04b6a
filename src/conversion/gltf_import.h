#pragma once

// velmorin-cli import: a glTF 2.0 model (.glb or .gltf) as an MD2 and, when
// it has a base-colour texture, an 8-bit PCX skin beside it; the reverse of
// export. The frames are ReadGltfScene's; each frame's scale and translate
// come from its bounds, coordinates rounded to their bytes; each vertex's
// normal index is the nearest of Quake 2's 162 normals to its smooth normal;
// glTF vertices split at texture seams become one MD2 vertex when their
// positions agree in every frame; the GL commands are BuildGlCommands'.

#include <string>
#include <vector>

#include "gltf_scene.h"

// Quake 2's model compiler (qdata) builds a model's GL command list in
// 16,384 words; an MD2 with a longer list is refused.
const int kMd2MostGlCommandWords = 16384;
const double kLeastImportScale = 1e-6, kMostImportScale = 1e6;

// Quake 2's players stand with their feet here.
const double kQuakeFeet = -24;

struct ImportRequest {
    std::string input, output;  // OUT.md2; a skin goes beside it (see ImportedSkinPath)
    std::string palette;        // a PCX whose palette the skin takes; "" for its own
    std::string skinPath;       // the header's skin path; "" for the PCX's file name
    SceneRequest scene;         // the scale, and which animations
    double height = 0;          // > 0: frame 0 scaled to stand this many units tall
    std::string origin = "keep";  // keep, feet (on z = -24, centred) or centre
};

// What an import says: warnings (read with a doubt, or left out), and on
// success a summary of what was written.
struct ImportReport {
    std::vector<std::string> warnings, summary;
};

// Returns "" when OUT.md2 (and its skin) are written, else why not: then
// nothing is written and no earlier file is touched. An output that is one
// of the files read (the model, the files it names, the palette) is refused.
std::string ImportModel(const ImportRequest& request, ImportReport* report);

// The MD2's bytes and, when the mesh has a texture, the PCX's, from frames
// read by ReadGltfScene, placed as the request asks; "" or why not, with
// the summary's lines in `summary` when given.
std::string ConvertImported(const ImportedMesh& mesh, const ImportRequest& request, std::vector<unsigned char>* md2,
                            std::vector<unsigned char>* pcx, std::vector<std::string>* summary = nullptr);

// The PCX written beside OUT.md2: named as --skin-path's last part, else OUT.pcx.
std::string ImportedSkinPath(const ImportRequest& request);
