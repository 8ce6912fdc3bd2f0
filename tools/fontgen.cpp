// gravelin_fontgen <face.ttf> <pixelSize> <out.fnt>
//
// Turns a TrueType face into the game's bitmap font. The game inks every pixel
// whose coverage is non-zero, so glyphs are rendered hinted and monochrome:
// grey anti-aliased edges would all become ink and look bold and smeared.
//
// Character codes are Latin-1: 32..126 and 160..255 are the Unicode code
// points of the same number, and the control ranges stay empty.
#include "base/bytes.hpp"
#include "gfx/font.hpp"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BITMAP_H

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

constexpr long kMinPixelSize = 4;
constexpr long kMaxPixelSize = 128;

bool isPrintable(int code) {
    return (code >= 32 && code <= 126) || code >= 160;
}

// A glyph straight from FreeType, before it is placed on the game's line.
struct Rendered {
    Glyph glyph;
    int top = 0; // rows of ink above the baseline
};

// Owns the library and the face so that every early exit releases them.
class Face {
  public:
    ~Face() {
        if (face_) FT_Done_Face(face_);
        if (library_) FT_Done_FreeType(library_);
    }

    bool open(const std::string& path, long pixelSize) {
        if (FT_Init_FreeType(&library_) != 0) {
            library_ = nullptr;
            std::printf("fontgen: cannot start FreeType\n");
            return false;
        }
        if (FT_New_Face(library_, path.c_str(), 0, &face_) != 0) {
            face_ = nullptr;
            std::printf("fontgen: cannot open face %s\n", path.c_str());
            return false;
        }
        if (FT_Set_Pixel_Sizes(face_, 0, FT_UInt(pixelSize)) != 0) {
            std::printf("fontgen: %s has no %ld px size\n", path.c_str(), pixelSize);
            return false;
        }
        return true;
    }

    // Empty optional only on a FreeType failure; a code point the face lacks
    // comes back as an empty glyph.
    std::optional<Rendered> render(int code) {
        Rendered out;
        if (FT_Get_Char_Index(face_, FT_ULong(code)) == 0) return out;
        if (FT_Load_Char(face_, FT_ULong(code), FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0)
            return std::nullopt;
        FT_GlyphSlot slot = face_->glyph;
        if (slot->format != FT_GLYPH_FORMAT_BITMAP &&
            FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0)
            return std::nullopt;

        // Converting to one byte per pixel takes care of bit packing and of
        // bottom-up bitmaps in one place.
        FT_Bitmap bytes;
        FT_Bitmap_Init(&bytes);
        if (FT_Bitmap_Convert(library_, &slot->bitmap, &bytes, 1) != 0) {
            FT_Bitmap_Done(library_, &bytes);
            return std::nullopt;
        }
        const int width = int(bytes.width);
        const int height = int(bytes.rows);
        if (width > kMaxGlyphSide || height > kMaxGlyphSide) {
            FT_Bitmap_Done(library_, &bytes);
            std::printf("fontgen: glyph %d is %dx%d, too large for the game\n", code, width,
                        height);
            return std::nullopt;
        }
        if (width > 0 && height > 0) {
            out.glyph.width = width;
            out.glyph.height = height;
            out.glyph.xOffset = slot->bitmap_left;
            out.glyph.pixels.resize(std::size_t(width) * height);
            for (int r = 0; r < height; ++r) {
                const unsigned char* row = bytes.buffer + std::ptrdiff_t(r) * bytes.pitch;
                for (int k = 0; k < width; ++k)
                    out.glyph.pixels[std::size_t(r) * width + k] = row[k] ? 255 : 0;
            }
            out.top = slot->bitmap_top;
        }
        FT_Bitmap_Done(library_, &bytes);
        return out;
    }

    // Pen advance of the face's space, in whole pixels.
    int spaceAdvance() {
        if (FT_Load_Char(face_, ' ', FT_LOAD_TARGET_MONO) != 0) return 0;
        return int((face_->glyph->advance.x + 32) >> 6);
    }

  private:
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
};

std::optional<long> parsePixelSize(const char* text) {
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0') return std::nullopt;
    if (value < kMinPixelSize || value > kMaxPixelSize) return std::nullopt;
    return value;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::printf("usage: gravelin_fontgen <face.ttf> <pixelSize> <out.fnt>\n");
        return 1;
    }
    const std::optional<long> pixelSize = parsePixelSize(argv[2]);
    if (!pixelSize) {
        std::printf("fontgen: pixel size must be a whole number from %ld to %ld, not '%s'\n",
                    kMinPixelSize, kMaxPixelSize, argv[2]);
        return 1;
    }
    Face face;
    if (!face.open(argv[1], *pixelSize)) return 1;

    std::array<Rendered, 256> rendered;
    for (int code = 0; code < 256; ++code) {
        if (!isPrintable(code)) continue;
        std::optional<Rendered> r = face.render(code);
        if (!r) {
            std::printf("fontgen: FreeType failed on character %d of %s\n", code, argv[1]);
            return 1;
        }
        rendered[code] = std::move(*r);
    }

    // The game places glyphs from the top of the line, so one baseline depth
    // is shared by all. It is taken from plain ASCII only: the face's own
    // ascender leaves room for accents above capitals, which would push every
    // line of text visibly below where layouts (which measure 'A') expect it.
    // Accented capitals may poke above the line top instead; drawing clips.
    int baseline = 0;
    for (int code = 33; code <= 126; ++code)
        if (rendered[code].glyph.width > 0) baseline = std::max(baseline, rendered[code].top);
    if (rendered['A'].glyph.width == 0 || rendered['W'].glyph.width == 0) {
        std::printf("fontgen: %s has no 'A' or 'W'; the game measures lines by them\n", argv[1]);
        return 1;
    }

    Font font;
    for (int code = 0; code < 256; ++code) {
        Glyph& g = font.glyphs[code];
        g = std::move(rendered[code].glyph);
        if (g.width > 0) g.yOffset = baseline - rendered[code].top;
    }
    // Text drawing only treats code 32 as a space, so the no-break space gets
    // a blank box as wide as the face's space to keep words apart.
    const int blank = std::clamp(face.spaceAdvance(), 1, int(kMaxGlyphSide));
    Glyph& nbsp = font.glyphs[160];
    nbsp = Glyph{};
    nbsp.width = blank;
    nbsp.height = 1;
    nbsp.pixels.assign(std::size_t(blank), 0);

    if (!writeFileAtomically(argv[3], font.encode())) {
        std::printf("fontgen: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
