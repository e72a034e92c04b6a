#pragma once

struct Vec3 {
    float x, y, z;
};
