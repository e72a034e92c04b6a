#include "animation_names.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace {

// Latin-1's letters U+00C0 to U+00FF without their accents; "" for the
// signs among them (x and division).
const char* const kFolded[64] = {
    "A", "A", "A", "A", "A", "A", "AE", "C", "E", "E", "E", "E", "I", "I", "I", "I",
    "D", "N", "O", "O", "O", "O", "O", "", "O", "U", "U", "U", "U", "Y", "TH", "ss",
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",
    "d", "n", "o", "o", "o", "o", "o", "", "o", "u", "u", "u", "u", "y", "th", "y"};

// The text as ASCII: UTF-8 decoded, Latin-1's letters folded, anything
// else beyond ASCII dropped.
std::string Folded(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            out += char(lead), i++;
            continue;
        }
        const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        if (length == 2 && i + 1 < text.size()) {
            const uint32_t point = uint32_t(lead & 0x1F) << 6 | (static_cast<unsigned char>(text[i + 1]) & 0x3F);
            if (point >= 0xC0 && point <= 0xFF) out += kFolded[point - 0xC0];
        }
        i += length;
    }
    return out;
}

// Parts of exporters' paths that name no animation: Blender's object and
// "Action", Mixamo's "mixamo.com" and "Layer0".
bool SaysNothing(std::string part) {
    for (char& c : part) c = char(std::tolower(static_cast<unsigned char>(c)));
    const bool layer = part.rfind("layer", 0) == 0 &&
                       std::all_of(part.begin() + 5, part.end(), [](char c) { return c >= '0' && c <= '9'; });
    return part.empty() || layer || part == "armature" || part == "action" || part == "mixamo.com" ||
           part == "baselayer" || part == "scene";
}

std::string BaseOf(const std::string& name) {
    std::vector<std::string> parts(1);
    for (char c : Folded(name)) {
        if (c == '|' || c == '/' || c == '\\' || c == ':') parts.emplace_back();
        else parts.back() += c;
    }
    std::string chosen;
    for (auto part = parts.rbegin(); part != parts.rend() && chosen.empty(); ++part)
        if (!SaysNothing(*part)) chosen = *part;
    std::string base;
    for (char c : chosen)
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '_') base += c;
    return base.substr(0, kLongestAnimationBase);
}

}  // namespace

std::vector<std::string> AnimationBases(const std::vector<std::string>& names) {
    std::vector<std::string> bases;
    for (size_t a = 0; a < names.size(); a++) {
        std::string base = BaseOf(names[a]);
        if (base.empty()) base = "anim" + std::to_string(a + 1);
        // A second "run" is run_b, a third run_c; a suffix takes the name's end where it is long.
        const std::string stem = base;
        const auto taken = [&bases](const std::string& name) {
            return std::find(bases.begin(), bases.end(), name) != bases.end();
        };
        for (char suffix = 'b'; taken(base) && suffix <= 'z'; suffix++)
            base = stem.substr(0, kLongestAnimationBase - 2) + "_" + suffix;
        if (taken(base)) base = "anim" + std::to_string(a + 1);
        // A name that ends in a digit ends in _ too, as its frames' names will.
        if (std::isdigit(static_cast<unsigned char>(base.back())) && base.size() < kLongestAnimationBase + 1) base += '_';
        bases.push_back(base);
    }
    return bases;
}

std::string FrameName(const std::string& base, int number) {
    const std::string digits = std::to_string(number);
    std::string name = base.substr(0, kLongestAnimationBase);
    if (!name.empty() && std::isdigit(static_cast<unsigned char>(name.back()))) name += '_';
    return name + digits;
}
