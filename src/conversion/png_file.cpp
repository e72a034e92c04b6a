#include "png_file.h"

#include <png.h>

namespace {

void Append(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

std::vector<unsigned char> EncodeRows(int32_t width, int32_t height, const unsigned char* pixels, int colourType,
                                      size_t bytesPerPixel, bool quick) {
    std::vector<unsigned char> bytes;
    if (width <= 0 || height <= 0 || !pixels) return bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    // libpng reports its errors by longjmp here; nothing with a destructor
    // is made between setjmp and the writes.
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &bytes, Append, nullptr);
    if (quick) {
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
        png_set_compression_level(png, 1);
    }
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, colourType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int32_t row = 0; row < height; row++) png_write_row(png, pixels + size_t(row) * size_t(width) * bytesPerPixel);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return bytes;
}

}  // namespace

std::vector<unsigned char> EncodePng(const RgbImage& image) {
    return EncodeRows(image.width, image.height, image.pixels, PNG_COLOR_TYPE_RGB, 3, false);
}

std::vector<unsigned char> EncodePngWithAlpha(int32_t width, int32_t height, const unsigned char* rgba, bool quick) {
    return EncodeRows(width, height, rgba, PNG_COLOR_TYPE_RGB_ALPHA, 4, quick);
}
