#pragma once

// Where a model's skin is, as a modder lays models out: in a Quake 2 game
// folder (baseq2/players/knight/tris.md2 naming players/knight/skin.pcx) or
// a flat download folder (knight.md2 beside knight.pcx). Only inside the
// model's own tree, never through a link that leaves it; file and folder
// names compared without regard to case (skins made on Windows are often
// SKIN.PCX on disk).

#include <string>
#include <vector>

// The file a header's skin path names: the path (relative, with no ..
// step) from the game folder its own folders lead down from, else its
// file name beside the model. "" when neither is found.
std::string FindNamedSkin(const std::string& model, const std::string& headerSkinPath);

// The skin to put on a model: its header's first skin by FindNamedSkin,
// else NAME.pcx beside NAME.md2, else the only .pcx beside it; "" if none.
std::string FindSkin(const std::string& model, const std::vector<std::string>& headerSkinPaths);

// The skin paths an MD2 header names, each cut at its terminator (or at
// 64 bytes); none when the table lies outside the bytes.
std::vector<std::string> HeaderSkinPaths(const std::vector<unsigned char>& md2);
