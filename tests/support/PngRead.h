// Test support: reads an indexed PNG back exactly as stored.
#pragma once

#include "Palette.h"

#include <cstdint>
#include <string>
#include <vector>

namespace brivello::testing {

struct DecodedPng {
    unsigned width = 0, height = 0;
    int bitDepth = 0, colourType = 0;
    std::vector<graphics::Rgb> palette;
    std::vector<std::uint8_t> pixels;  // one byte per pixel, row after row
};

// An empty result (width 0) if the file cannot be read as a PNG.
DecodedPng readPng(const std::string& path);

}  // namespace brivello::testing
