#include "skin.h"

#include <windows.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdlib>

#include "../formats/pcx.h"
#include "../state/viewer_state.h"
#include "skin_pixels.h"

void UploadSkin(RgbImage image) {
    if (image.width <= 0 || image.height <= 0 || !image.pixels) return;
    unsigned char table[256];
    BuildBrightnessTable(viewer.gamma, table);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (viewer.mipmapsOff == 1) {
        const int width = PowerOfTwoSide(image.width), height = PowerOfTwoSide(image.height);
        const size_t bytes = size_t(width) * height * 3;
        unsigned char* buffer = static_cast<unsigned char*>(std::malloc(bytes));
        if (!buffer) return;  // the texture stays as it was
        ResampleNearest(image, width, height, buffer);
        Brighten(buffer, bytes, table);
        glTexImage2D(GL_TEXTURE_2D, 0, 3, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, buffer);
        std::free(buffer);
    } else {
        Brighten(image.pixels, size_t(image.width) * image.height * 3, table);
        gluBuild2DMipmaps(GL_TEXTURE_2D, 3, image.width, image.height, GL_RGB, GL_UNSIGNED_BYTE, image.pixels);
    }
    viewer.model.textureLoaded = 1;
}

int ReloadSkin() {
    if (viewer.model.loaded != 1) return 1;
    RgbImage image;
    if (!LoadPCX(viewer.model.skinPath, &image)) return 0;
    UploadSkin(image);  // a fresh decode each time, so brightening never compounds
    std::free(image.pixels);
    return 1;
}
