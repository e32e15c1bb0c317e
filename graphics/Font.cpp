// Everything fontconfig and FreeType lives here.
#include "Font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <strings.h>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace brivello::graphics {
namespace {

// Faces designed with the same metrics as the one asked for: text set in
// either takes the same space.
bool isMetricCompatible(const char* requested, const char* found) {
    if (strcasecmp(requested, found) == 0)
        return true;
    if (strcasecmp(requested, "Arial") == 0) {
        return strcasecmp(found, "Liberation Sans") == 0 || strcasecmp(found, "Arimo") == 0;
    }
    return false;
}

struct FaceFile {
    std::string path;
    int index = 0;
    std::string family;
};

bool findFace(const char* family, FaceFile* face, std::string* why) {
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (config == nullptr) {
        *why = "fontconfig could not load its configuration";
        return false;
    }
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    bool found = false;
    if (match != nullptr) {
        FcChar8* file = nullptr;
        FcChar8* matchFamily = nullptr;
        int index = 0;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
            FcPatternGetString(match, FC_FAMILY, 0, &matchFamily) == FcResultMatch &&
            isMetricCompatible(family, reinterpret_cast<const char*>(matchFamily))) {
            FcPatternGetInteger(match, FC_INDEX, 0, &index);
            face->path = reinterpret_cast<const char*>(file);
            face->index = index;
            face->family = reinterpret_cast<const char*>(matchFamily);
            found = true;
        }
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    FcConfigDestroy(config);
    if (!found) {
        *why = std::string("no \"") + family +
               "\" font face (nor a metric-compatible one) was found; on Debian, install "
               "the package fonts-liberation2";
    }
    return found;
}

// A blank glyph (the space) has no bitmap, so no pixel mode to check.
bool isMonochrome(const FT_Bitmap& bitmap) {
    return bitmap.rows == 0 || bitmap.width == 0 || bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
}

// Copies FreeType's 1-bit bitmap of the loaded glyph to the end of `masks`;
// returns where its mask starts there.
std::size_t takeGlyph(FT_GlyphSlot slot, int descent, Glyph* glyph,
                      std::vector<std::uint8_t>* masks) {
    const FT_Bitmap& bitmap = slot->bitmap;
    glyph->advance = static_cast<int>((slot->advance.x + 32) >> 6);
    glyph->left = slot->bitmap_left;
    glyph->top = -descent - slot->bitmap_top;
    glyph->width = std::min<int>(static_cast<int>(bitmap.width), Glyph::kMaxSize);
    glyph->height = std::min<int>(static_cast<int>(bitmap.rows), Glyph::kMaxSize);
    glyph->stride = glyph->width <= 8 ? 8 : glyph->width <= 16 ? 16 : 32;
    const std::size_t offset = masks->size();
    masks->resize(offset + std::size_t(glyph->stride) * glyph->height);
    for (int row = 0; row < glyph->height; ++row) {
        const unsigned char* bits = bitmap.buffer + row * bitmap.pitch;
        std::uint8_t* out = masks->data() + offset + std::size_t(row) * glyph->stride;
        for (int column = 0; column < glyph->width; ++column) {
            const bool on = (bits[column >> 3] >> (7 - (column & 7))) & 1;
            out[column] = on ? 0xFF : 0x00;
        }
    }
    return offset;
}

}  // namespace

std::unique_ptr<Font> Font::load(const char* family, int cellHeight, std::string* why) {
    FaceFile file;
    if (!findFace(family, &file, why))
        return nullptr;

    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        *why = "FreeType could not start";
        return nullptr;
    }
    std::unique_ptr<Font> font;
    FT_Face face = nullptr;
    if (FT_New_Face(library, file.path.c_str(), file.index, &face) != 0) {
        *why = "FreeType could not open " + file.path;
    } else if (!FT_IS_SCALABLE(face)) {
        *why = file.path + " is not a scalable face";
    } else {
        // Windows sizes a face by its cell: ascent + descent from the OS/2
        // table's Windows metrics, at a whole number of pixels per em.
        const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        const double ascent = os2 != nullptr ? os2->usWinAscent : face->ascender;
        const double descent = os2 != nullptr ? os2->usWinDescent : -face->descender;
        const double unitsPerEm = face->units_per_EM;
        const int ppem =
            static_cast<int>(std::lround(cellHeight * unitsPerEm / (ascent + descent)));
        const int descentPixels = static_cast<int>(std::lround(descent * ppem / unitsPerEm));
        if (ppem < 1 || FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(ppem)) != 0) {
            *why = "FreeType could not size " + file.path;
        } else {
            font.reset(new Font());
            std::array<std::size_t, kLastChar - kFirstChar + 1> offsets{};
            font->cellHeight_ = cellHeight;
            font->faceName_ = file.family;
            for (int c = kFirstChar; c <= kLastChar && font; ++c) {
                if (FT_Load_Char(face, static_cast<FT_ULong>(c),
                                 FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME) != 0 ||
                    !isMonochrome(face->glyph->bitmap)) {
                    *why = "FreeType could not render character " + std::to_string(c) + " of " +
                           file.path;
                    font.reset();
                } else {
                    offsets[c - kFirstChar] = takeGlyph(
                        face->glyph, descentPixels, &font->glyphs_[c - kFirstChar], &font->masks_);
                }
            }
            // The pool is complete: offsets become pointers into it.
            for (std::size_t i = 0; font && i < offsets.size(); ++i) {
                font->glyphs_[i].mask = font->masks_.data() + offsets[i];
            }
        }
    }
    if (face != nullptr)
        FT_Done_Face(face);
    FT_Done_FreeType(library);
    return font;
}

const Glyph* Font::glyph(char c) const {
    const int code = static_cast<unsigned char>(c);
    if (code < kFirstChar || code > kLastChar)
        return nullptr;
    return &glyphs_[code - kFirstChar];
}

int Font::textWidth(const char* text, int length) const {
    int width = 0;
    for (int i = 0; i < length; ++i) {
        if (const Glyph* g = glyph(text[i]))
            width += g->advance;
    }
    return width;
}

}  // namespace brivello::graphics
