#pragma once

// glTF animation names as MD2 frame names: readable, ASCII, and distinct
// once cut to the 16-byte field with their frame numbers.

#include <string>
#include <vector>

// Each animation's base name, in order: letters with accents folded to
// ASCII, a path-like name ("Armature|mixamo.com|Layer0", "rig/run") cut to
// its last part that says something, kept to letters, digits and _ and to
// kLongestAnimationBase bytes; unnamed ones (or ones left empty) named from
// their place, anim1_, anim2_, ...; a name met before made distinct with
// _b, _c, ...; one that ends in a digit gets a _, as its frames' names do.
const size_t kLongestAnimationBase = 11;  // with three digits, a _ and the terminator: 16 bytes
std::vector<std::string> AnimationBases(const std::vector<std::string>& names);

// Frame `number` of an animation: its base and the number; a base that
// ends in a digit gets a _ first, so that info splits the number back off.
std::string FrameName(const std::string& base, int number);
