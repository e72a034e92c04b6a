#pragma once

#include "../state/rgb_image.h"

// The byte each skin byte becomes at this gamma: b / gamma, truncated, at
// most 255. Gamma 0 makes every non-black byte 255; a negative, infinite or
// not-a-number gamma, or one so large the factor underflows, makes the skin
// black.
void BuildBrightnessTable(float gamma, unsigned char table[256]);

// Power-of-two side for a skin side with mipmaps off: 2 to 512.
int PowerOfTwoSide(int side);

// Uploads a skin as the one texture: with mipmaps, brightened in place and
// built into a chain; without, resampled to power-of-two sides, brightened,
// one level (the caller's pixels are then untouched).
void UploadSkin(RgbImage image);
int ReloadSkin();
