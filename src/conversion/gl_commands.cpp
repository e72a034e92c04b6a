#include "gl_commands.h"

#include <cstring>
#include <unordered_map>

namespace {

using Edge = uint64_t;  // a directed edge between two corners
Edge EdgeOf(uint32_t from, uint32_t to) { return uint64_t(from) << 32 | to; }

struct Builder {
    const std::vector<uint32_t>& triangles;
    std::unordered_multimap<Edge, uint32_t> byEdge;  // each triangle under its three directed edges
    std::vector<bool> drawn;
    std::vector<uint32_t> takenBy;  // the attempt that took each triangle last
    uint32_t attempt = 0;

    // The third corner of a triangle neither drawn nor taken by this attempt
    // that has the directed edge from -> to; false when there is none.
    bool Next(uint32_t from, uint32_t to, uint32_t* triangle, uint32_t* third) {
        const auto range = byEdge.equal_range(EdgeOf(from, to));
        for (auto it = range.first; it != range.second; ++it) {
            const uint32_t t = it->second;
            if (drawn[t] || takenBy[t] == attempt) continue;
            const uint32_t* c = &triangles[3 * size_t(t)];
            for (int k = 0; k < 3; k++)
                if (c[k] == from && c[(k + 1) % 3] == to) *third = c[(k + 2) % 3];
            *triangle = t;
            return true;
        }
        return false;
    }

    // The strip or fan that starts with triangle `first` turned to begin at
    // its corner `start`: its corners and the triangles it draws.
    void Grow(uint32_t first, int start, bool fan, std::vector<uint32_t>* corners, std::vector<uint32_t>* taken) {
        const uint32_t* c = &triangles[3 * size_t(first)];
        *corners = {c[start], c[(start + 1) % 3], c[(start + 2) % 3]};
        *taken = {first};
        takenBy[first] = ++attempt;
        for (;;) {
            const size_t n = corners->size();
            // A strip's next triangle is (v[n-2], v[n-1], new) after an odd
            // count, (v[n-1], v[n-2], new) after an even one; a fan's (v[0], v[n-1], new).
            const uint32_t from = fan ? (*corners)[0] : (n % 2 ? (*corners)[n - 1] : (*corners)[n - 2]);
            const uint32_t to = fan ? (*corners)[n - 1] : (n % 2 ? (*corners)[n - 2] : (*corners)[n - 1]);
            uint32_t triangle = 0, third = 0;
            if (!Next(from, to, &triangle, &third)) return;
            corners->push_back(third);
            taken->push_back(triangle);
            takenBy[triangle] = attempt;
        }
    }
};

}  // namespace

std::vector<int32_t> BuildGlCommands(const std::vector<GlCorner>& corners, const std::vector<uint32_t>& triangles) {
    Builder b = {triangles, {}, std::vector<bool>(triangles.size() / 3, false),
                 std::vector<uint32_t>(triangles.size() / 3, 0), 0};
    for (uint32_t t = 0; t < triangles.size() / 3; t++)
        for (int k = 0; k < 3; k++)
            b.byEdge.emplace(EdgeOf(triangles[3 * t + size_t(k)], triangles[3 * t + size_t(k + 1) % 3]), t);
    std::vector<int32_t> words;
    for (uint32_t t = 0; t < triangles.size() / 3; t++) {
        if (b.drawn[t]) continue;
        std::vector<uint32_t> best, bestTaken, grown, taken;
        bool bestFan = false;
        for (bool fan : {false, true})
            for (int start = 0; start < 3; start++) {
                b.Grow(t, start, fan, &grown, &taken);
                if (taken.size() > bestTaken.size()) best = grown, bestTaken = taken, bestFan = fan;
            }
        for (uint32_t drawn : bestTaken) b.drawn[drawn] = true;
        words.push_back(bestFan ? -int32_t(best.size()) : int32_t(best.size()));
        for (uint32_t corner : best) {
            int32_t s, tt;
            std::memcpy(&s, &corners[corner].s, 4);  // s and t are stored as the floats' bits
            std::memcpy(&tt, &corners[corner].t, 4);
            words.insert(words.end(), {s, tt, corners[corner].vertex});
        }
    }
    words.push_back(0);
    return words;
}
