#pragma once

#include "../formats/rgb_image.h"

// Uploads a skin as the one texture: with mipmaps, brightened in place and
// built into a chain; without, resampled to power-of-two sides, brightened,
// one level (the caller's pixels are then untouched).
void UploadSkin(RgbImage image);
int ReloadSkin();
