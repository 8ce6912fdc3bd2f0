// Bitmap fonts: 256 coverage bitmaps read from a .fnt file, and the text
// routines that draw them into 32-bit surfaces in one raw colour.
//
// A .fnt file has no header: 256 records, for character codes 0..255, each
// six little-endian int32 (width, height, xOffset, yOffset, spare1, spare2)
// followed by width x height coverage bytes, row by row. A non-zero byte is
// ink. xOffset and yOffset place the bitmap relative to the pen and to the
// top of the line.
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct Glyph {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t spare1 = 0;
    std::int32_t spare2 = 0;
    std::int32_t xOffset = 0;
    std::int32_t yOffset = 0;
    std::vector<std::uint8_t> pixels; // width x height coverage bytes
};

// No single glyph of a real font comes near this; a record that claims more
// is damage, not a big letter.
constexpr std::int32_t kMaxGlyphSide = 256;

class Font {
  public:
    Font() = default;
    // Reads the file; a missing or damaged file prints a line and leaves the
    // glyphs it could not read empty (safe to draw, measure and destroy).
    explicit Font(const std::string& path);
    virtual ~Font() = default;

    // Decodes .fnt bytes. Glyphs are read whole or left empty; returns false
    // when the data ran out or a record was damaged before the 256th glyph.
    bool decode(const std::vector<std::uint8_t>& bytes);
    std::vector<std::uint8_t> encode() const;

    std::array<Glyph, 256> glyphs;
    bool complete = false; // all 256 glyphs were read
};

// The game's four faces, loaded once at start-up and handed to whatever
// draws text; every text call names the font it draws with.
struct Fonts {
    Font small;
    Font medium;
    Font menu;
    Font large;
    // Reads data/'s four font files; false (with the path of the first that
    // is not whole in missing) when any glyph could not be read.
    bool load(std::string& missing);
};

// Width and height of the font's glyph for one character; layouts measure
// lines by 'A' and 'W'.
std::int32_t glyphWidth(const Font& font, unsigned char c);
std::int32_t glyphHeight(const Font& font, unsigned char c);

// Sets every pixel under ink of glyph c to colour; pixels outside the surface
// are skipped.
void drawGlyph(SDL_Surface* surface, const Font& font, std::int32_t x, std::int32_t y,
               unsigned char c, std::uint32_t colour);
// (x, y) is the pen of the first character at the top of the line. A shadow
// is drawn first, in black, up and to the left.
void drawText(SDL_Surface* surface, const Font& font, std::int32_t x, std::int32_t y,
              const char* text, std::uint32_t colour, bool shadow);
inline void drawText(SDL_Surface* surface, const Font& font, std::int32_t x, std::int32_t y,
                     const std::string& text, std::uint32_t colour, bool shadow) {
    drawText(surface, font, x, y, text.c_str(), colour, shadow);
}
// Measures wider than drawText advances (a wider gap, spaces as 'W'); the
// centring helpers rely on that measure, so it stays.
std::int32_t textWidth(const Font& font, const char* text);
inline std::int32_t textWidth(const Font& font, const std::string& text) {
    return textWidth(font, text.c_str());
}
// Centres text across the surface, with a shadow; y -1 centres it
// vertically too (by the height of an 'A' as wide as it is high).
void drawCentred(SDL_Surface* surface, const Font& font, const std::string& text,
                 std::uint32_t colour, std::int32_t y);
