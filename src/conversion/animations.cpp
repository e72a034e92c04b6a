#include "animations.h"

#include "formats/md2.h"

#include <cctype>
#include <algorithm>
#include <map>
#include <set>

namespace {

struct Named {
    std::string base, digits;
};

Named Split(const std::string& name) {
    size_t end = name.size();
    while (end > 0 && std::isdigit(static_cast<unsigned char>(name[end - 1]))) end--;
    return Named{name.substr(0, end), name.substr(end)};
}

// The numbers of names are compared as numbers; long digit strings never overflow.
bool Follows(const std::string& previous, const std::string& next) {
    if (previous.empty() || next.empty() || previous.size() > 18 || next.size() > 18) return false;
    return std::stoll(next) == std::stoll(previous) + 1;
}

// The shortest prefix of the first numbers that tells one base's groups apart
// (101, 201, 301 -> 1, 2, 3); all of them where no prefix does.
template <typename Groups>
std::string DistinguishingDigits(const Groups& groups, const std::vector<size_t>& same, const std::string& digits) {
    size_t longest = 0;
    for (size_t g : same) longest = std::max(longest, groups[g].firstDigits.size());
    for (size_t length = 1; length <= longest; length++) {
        std::set<std::string> prefixes;
        for (size_t g : same) prefixes.insert(groups[g].firstDigits.substr(0, length));
        if (prefixes.size() == same.size()) return digits.substr(0, length);
    }
    return digits;
}

struct LayoutEntry {
    const char* name;
    int32_t length;
};

const LayoutEntry kStandardLayout[] = {
    {"stand", 40}, {"run", 6},    {"attack", 8}, {"pain1", 4},   {"pain2", 4},   {"pain3", 4},  {"jump", 6},
    {"flip", 12},  {"salute", 11}, {"taunt", 17}, {"wave", 11},  {"point", 12},  {"crstnd", 19}, {"crwalk", 6},
    {"crattak", 9}, {"crpain", 4}, {"crdeath", 5}, {"death1", 6}, {"death2", 6},  {"death3", 8}};
const int32_t kStandardFrames = 198;

}  // namespace

std::vector<Animation> AnimationsFromNames(const std::vector<std::string>& names) {
    struct Group {
        std::string base, firstDigits;
        int32_t first, length;
    };
    std::vector<Group> groups;
    std::string lastDigits;
    for (int32_t i = 0; i < int32_t(names.size()); i++) {
        const Named named = Split(names[i]);
        if (!groups.empty() && groups.back().base == named.base && Follows(lastDigits, named.digits)) {
            groups.back().length++;
        } else {
            groups.push_back(Group{named.base, named.digits, i, 1});
        }
        lastDigits = named.digits;
    }
    std::map<std::string, std::vector<size_t>> byBase;
    for (size_t g = 0; g < groups.size(); g++) byBase[groups[g].base].push_back(g);
    std::vector<Animation> animations;
    for (const Group& group : groups) {
        std::string name = group.base;
        const std::vector<size_t>& same = byBase[group.base];
        if (same.size() > 1) name += DistinguishingDigits(groups, same, group.firstDigits);
        animations.push_back(Animation{name, group.first, group.length, false});
    }
    return animations;
}

std::vector<Animation> ApplyStandardLayout(const std::vector<Animation>& fromNames, int32_t numFrames, bool* used) {
    *used = false;
    if (numFrames != kStandardFrames) return fromNames;
    // Consistent: every group's edges are edges of the layout.
    std::vector<int32_t> edges = {0};
    for (const LayoutEntry& entry : kStandardLayout) edges.push_back(edges.back() + entry.length);
    auto isEdge = [&](int32_t frame) {
        for (int32_t edge : edges)
            if (edge == frame) return true;
        return false;
    };
    for (const Animation& a : fromNames)
        if (!isEdge(a.first) || !isEdge(a.first + a.length)) return fromNames;
    std::vector<Animation> split;
    for (const Animation& a : fromNames) {
        int32_t at = 0;
        size_t entries = 0;
        for (size_t e = 0; e < edges.size() - 1; e++)
            if (edges[e] >= a.first && edges[e] < a.first + a.length) entries++;
        for (size_t e = 0; e < edges.size() - 1; e++) {
            at = edges[e];
            if (at < a.first || at >= a.first + a.length) continue;
            if (entries == 1) split.push_back(a);
            else split.push_back(Animation{kStandardLayout[e].name, at, kStandardLayout[e].length, true});
        }
        if (entries > 1) *used = true;
    }
    return split;
}

std::vector<std::string> FrameNames(const Md2Model& model) {
    std::vector<std::string> names;
    for (int32_t f = 0; f < model.numFrames; f++) {
        char name[17];
        CopyMd2FrameName(Md2FrameData(model, f), name);
        names.push_back(name);
    }
    return names;
}
