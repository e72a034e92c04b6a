#include "gif_file.h"

#include <gif_lib.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>

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

// giflib's output through the caller's stream, whose error flag keeps a failure.
int PutBytes(GifFileType* gif, const GifByteType* bytes, int length) {
    FILE* stream = static_cast<FILE*>(gif->UserData);
    return int(std::fwrite(bytes, 1, size_t(length), stream));
}

bool PutFrame(GifFileType* gif, int width, int height, const GifFrame& frame, int delay,
              const std::vector<unsigned char>* opaque) {
    // A frame with transparency is cleared before the next, and keeps its last entry for it.
    const int transparent = opaque ? 255 : NO_TRANSPARENT_COLOR;
    GraphicsControlBlock control = {opaque ? DISPOSE_BACKGROUND : DISPOSE_DO_NOT, false, delay, transparent};
    GifByteType extension[4];
    const size_t length = EGifGCBToExtension(&control, extension);
    const size_t pixels = size_t(width) * size_t(height);
    std::vector<unsigned char> shown;  // the opaque pixels, which the palette is made of
    for (size_t p = 0; p < pixels; p++)
        if (!opaque || (*opaque)[p]) shown.insert(shown.end(), &frame[3 * p], &frame[3 * p] + 3);
    std::vector<PaletteColour> palette = PaletteOf(shown.data(), shown.size() / 3, opaque ? 255 : 256);
    if (palette.empty()) palette.push_back({0, 0, 0});  // a frame all transparent
    std::vector<uint8_t> indices = NearestEntries(frame.data(), pixels, palette);
    for (size_t p = 0; opaque && p < pixels; p++)
        if (!(*opaque)[p]) indices[p] = uint8_t(transparent);
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

bool WriteAnimatedGif(FILE* stream, int width, int height, const std::vector<GifFrame>& frames,
                      int delayCentiseconds, const std::vector<std::vector<unsigned char>>& opaque) {
    int error = 0;
    GifFileType* gif = EGifOpen(stream, PutBytes, &error);
    if (!gif) return false;
    EGifSetGifVersion(gif, true);
    bool written = EGifPutScreenDesc(gif, width, height, 8, 0, nullptr) == GIF_OK && PutLooping(gif);
    for (size_t f = 0; f < frames.size() && written; f++)
        written = PutFrame(gif, width, height, frames[f], delayCentiseconds, opaque.empty() ? nullptr : &opaque[f]);
    const int reason = errno;
    const bool closed = EGifCloseFile(gif, &error) == GIF_OK;
    if (!written) errno = reason;
    return written && closed && !std::ferror(stream);
}
