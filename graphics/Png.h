// Writes one page as an 800 × 600 8-bit indexed PNG carrying the whole
// palette, so the file's pixel values are the page's palette entries.
#pragma once

#include "Palette.h"

#include <cstdint>
#include <string>

namespace brivello::graphics {

// Writes kWidth × kHeight bytes of `pixels` to `path` through a temporary
// file beside it, renamed into place only once complete: a failure leaves
// neither a partial file nor the temporary. Only a regular file (or none)
// is replaced. Returns false and says why in
// *why on failure.
bool writePng(const char* path, const std::uint8_t* pixels, const Palette& palette,
              std::string* why);

}  // namespace brivello::graphics
