// Everything libpng lives here.
#include "Png.h"

#include "Canvas.h"

#include <png.h>

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace brivello::graphics {
namespace {

// Keeps libpng's message for our own, instead of its printing to stderr.
void onError(png_structp png, png_const_charp text) {
    auto* message = static_cast<char*>(png_get_error_ptr(png));
    std::snprintf(message, 128, "%s", text);
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

// libpng reports errors by longjmp; this function holds no object with a
// destructor across it, so the jump skips nothing.
bool encode(std::FILE* file, const std::uint8_t* pixels, const Palette& palette,
            char (&message)[128]) {
    const std::size_t messageSize = sizeof message;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, message, onError, onWarning);
    if (png == nullptr) {
        std::snprintf(message, messageSize, "libpng could not start");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        std::snprintf(message, messageSize, "libpng could not start");
        png_destroy_write_struct(&png, &info);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, kWidth, kHeight, 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color colours[kPaletteSize];
    for (int i = 0; i < kPaletteSize; ++i) {
        colours[i] = {palette[i].r, palette[i].g, palette[i].b};
    }
    png_set_PLTE(png, info, colours, kPaletteSize);
    png_write_info(png, info);
    for (int y = 0; y < kHeight; ++y) {
        png_write_row(png, pixels + y * kWidth);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool writePng(const char* path, const std::uint8_t* pixels, const Palette& palette,
              std::string* why) {
    // Renaming over a device, a pipe or a directory would replace it, not
    // write to it.
    struct stat existing {};
    if (lstat(path, &existing) == 0 && !S_ISREG(existing.st_mode)) {
        *why = std::string("cannot write ") + path + ": not a regular file";
        return false;
    }
    std::string temporary = std::string(path) + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) {
        *why = std::string("cannot write ") + path + ": " + std::strerror(errno);
        return false;
    }
    // mkstemp makes the file private; give it the mode a new file would get.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    std::FILE* file = fdopen(fd, "wb");
    if (file == nullptr) {
        *why = std::string("cannot write ") + path + ": " + std::strerror(errno);
        close(fd);
        unlink(temporary.c_str());
        return false;
    }
    char message[128] = {};
    bool ok = encode(file, pixels, palette, message);
    // Every byte must reach the disk before the rename makes it the file.
    if (ok && (std::fflush(file) != 0 || fsync(fileno(file)) != 0)) {
        std::snprintf(message, sizeof message, "%s", std::strerror(errno));
        ok = false;
    }
    if (std::fclose(file) != 0 && ok) {
        std::snprintf(message, sizeof message, "%s", std::strerror(errno));
        ok = false;
    }
    if (ok && std::rename(temporary.c_str(), path) != 0) {
        std::snprintf(message, sizeof message, "%s", std::strerror(errno));
        ok = false;
    }
    if (!ok) {
        unlink(temporary.c_str());
        *why = std::string("cannot write ") + path + ": " + message;
    }
    return ok;
}

}  // namespace brivello::graphics
