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

extern Font* fontSmall;
extern Font* fontMedium;
extern Font* fontMenu;
extern Font* fontLarge;

void setFont(Font* font);
Font* currentFont();

// Width and height of the current font's glyph for one character; layouts
// measure lines by 'A' and 'W'.
std::int32_t glyphWidth(unsigned char c);
std::int32_t glyphHeight(unsigned char c);

// Sets every pixel under ink of glyph c to colour; pixels outside the surface
// are skipped.
void drawGlyph(SDL_Surface* surface, std::int32_t x, std::int32_t y, unsigned char c,
               std::uint32_t colour);
// (x, y) is the pen of the first character at the top of the line. A shadow
// is drawn first, in black, up and to the left.
void drawText(SDL_Surface* surface, std::int32_t x, std::int32_t y, const char* text,
              std::uint32_t colour, bool shadow);
inline void drawText(SDL_Surface* surface, std::int32_t x, std::int32_t y, const std::string& text,
                     std::uint32_t colour, bool shadow) {
    drawText(surface, x, y, text.c_str(), colour, shadow);
}
// Measures wider than drawText advances (a wider gap, spaces as 'W'); the
// centring helpers rely on that measure, so it stays.
std::int32_t textWidth(const char* text);
inline std::int32_t textWidth(const std::string& text) {
    return textWidth(text.c_str());
}
