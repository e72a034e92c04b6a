#pragma once

// Animations from frame names: a name's animation is the name without its
// trailing digits; consecutive frames whose numbers count up by one belong
// together. Groups of one base are named by the digits that tell them apart
// (pain101.., pain201.. -> pain1, pain2). Groups merged against the standard
// 198-frame player layout are split by it (marked inferred).

#include <cstdint>
#include <string>
#include <vector>

struct Animation {
    std::string name;
    int32_t first;
    int32_t length;
    bool inferred;  // split by the standard layout, not by names
};

std::vector<Animation> AnimationsFromNames(const std::vector<std::string>& names);
// Every frame's name, in order, bounded to its 16 bytes.
struct Md2Model;
std::vector<std::string> FrameNames(const Md2Model& model);
// The standard layout's split where the name groups are consistent with it; `used` says whether it was.
std::vector<Animation> ApplyStandardLayout(const std::vector<Animation>& fromNames, int32_t numFrames, bool* used);
