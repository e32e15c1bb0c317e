#include "PngRead.h"

#include <png.h>

#include <cstdio>

namespace brivello::testing {
namespace {

// Reads a PNG back with libpng's simplest path, without any conversion.
bool decode(std::FILE* file, DecodedPng* out) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    png_get_IHDR(png, info, &out->width, &out->height, &out->bitDepth, &out->colourType, nullptr,
                 nullptr, nullptr);
    png_colorp colours = nullptr;
    int count = 0;
    png_get_PLTE(png, info, &colours, &count);
    for (int i = 0; i < count; ++i) {
        out->palette.push_back({colours[i].red, colours[i].green, colours[i].blue});
    }
    out->pixels.resize(std::size_t{out->width} * out->height);
    for (png_uint_32 y = 0; y < out->height; ++y) {
        png_read_row(png, &out->pixels[y * out->width], nullptr);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

}  // namespace

DecodedPng readPng(const std::string& path) {
    DecodedPng out;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return out;
    if (!decode(file, &out))
        out = DecodedPng{};
    std::fclose(file);
    return out;
}

}  // namespace brivello::testing
