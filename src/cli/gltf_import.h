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

// Quake 2's model compiler (qdata) builds a model's GL command list in
// 16,384 words; an MD2 with a longer list is refused.
const int kMd2MostGlCommandWords = 16384;
const double kLeastImportScale = 1e-6, kMostImportScale = 1e6;

struct ImportRequest {
    std::string input, output;  // OUT.md2; a skin goes to OUT.pcx beside it
    std::string palette;        // a PCX whose palette the skin takes; "" for its own
    std::string skinPath;       // the header's skin path; "" for the PCX's file name
    double scale = 1;
};

// Returns "" when OUT.md2 (and OUT.pcx) are written, else why not: then
// nothing is written and no earlier file is touched. An output that is one
// of the files read (the model, the files it names, the palette) is refused.
// `warnings` gets what was read with a doubt or left out.
std::string ImportModel(const ImportRequest& request, std::vector<std::string>* warnings);

// The MD2's bytes and, when the mesh has a texture, the PCX's, from frames
// read by ReadGltfScene; "" or why not.
struct ImportedMesh;
std::string ConvertImported(const ImportedMesh& mesh, const ImportRequest& request, std::vector<unsigned char>* md2,
                            std::vector<unsigned char>* pcx);

// The PCX written beside OUT.md2.
std::string ImportedSkinPath(const std::string& output);
