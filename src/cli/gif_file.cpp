#include "gif_file.h"

#include <gif_lib.h>

#include <cerrno>
#include <cstdint>

#include "colour_palette.h"

namespace {

// The NETSCAPE2.0 application extension: loop for ever.
bool PutLooping(GifFileType* gif) {
    static const char application[] = "NETSCAPE2.0";
    static const GifByteType forever[3] = {1, 0, 0};
    return EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
           EGifPutExtensionBlock(gif, 11, application) == GIF_OK && EGifPutExtensionBlock(gif, 3, forever) == GIF_OK &&
           EGifPutExtensionTrailer(gif) == GIF_OK;
}

bool PutFrame(GifFileType* gif, int width, int height, const GifFrame& frame, int delay) {
    GraphicsControlBlock control = {DISPOSE_DO_NOT, false, delay, NO_TRANSPARENT_COLOR};
    GifByteType extension[4];
    const size_t length = EGifGCBToExtension(&control, extension);
    const size_t pixels = size_t(width) * size_t(height);
    const std::vector<PaletteColour> palette = PaletteOf(frame.data(), pixels, 256);
    const std::vector<uint8_t> indices = NearestEntries(frame.data(), pixels, palette);
    GifColorType colours[256] = {};
    for (size_t p = 0; p < palette.size(); p++) colours[p] = {palette[p][0], palette[p][1], palette[p][2]};
    ColorMapObject* map = GifMakeMapObject(256, colours);
    bool written = map && EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), extension) == GIF_OK &&
                   EGifPutImageDesc(gif, 0, 0, width, height, false, map) == GIF_OK;
    for (int row = 0; row < height && written; row++)
        written = EGifPutLine(gif, const_cast<GifByteType*>(&indices[size_t(row) * size_t(width)]), width) == GIF_OK;
    GifFreeMapObject(map);
    return written;
}

}  // namespace

bool WriteAnimatedGif(const std::string& path, int width, int height, const std::vector<GifFrame>& frames,
                      int delayCentiseconds) {
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
    if (!gif) return false;
    EGifSetGifVersion(gif, true);
    bool written = EGifPutScreenDesc(gif, width, height, 8, 0, nullptr) == GIF_OK && PutLooping(gif);
    for (size_t f = 0; f < frames.size() && written; f++) written = PutFrame(gif, width, height, frames[f], delayCentiseconds);
    const int reason = errno;
    const bool closed = EGifCloseFile(gif, &error) == GIF_OK;
    if (!written) errno = reason;
    return written && closed;
}
