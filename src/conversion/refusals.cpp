#include "refusals.h"

#include <cmath>
#include <cstring>

std::string RefusalMessage(int64_t offset, const char* text) {
    return "refused: offset " + std::to_string(offset) + ": " + text;
}

std::string NonFiniteFrameText(const unsigned char* frame) {
    float head[6];  // scale, then translate
    std::memcpy(head, frame, sizeof head);
    for (int i = 0; i < 6; i++)
        if (!std::isfinite(head[i]))
            return std::string("its ") + (i < 3 ? "scale" : "translate") + " is not a finite number";
    return "";
}
