#include "gfx/font.hpp"

#include "base/bytes.hpp"
#include "gfx/surface.hpp"

#include <cstdio>

Font* fontSmall = nullptr;
Font* fontMedium = nullptr;
Font* fontMenu = nullptr;
Font* fontLarge = nullptr;

namespace {
Font* current = nullptr;
// Stands in when no font was set, so that text calls are always safe.
Font emptyFont;

Font& font() {
    return current ? *current : emptyFont;
}
} // namespace

Font::Font(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    if (!readWholeFile(path, bytes)) {
        std::printf("Cannot load font %s\n", path.c_str());
        return;
    }
    if (!decode(bytes))
        std::printf("Font %s is damaged; some characters are missing\n", path.c_str());
}

bool Font::decode(const std::vector<std::uint8_t>& bytes) {
    ByteReader in(bytes);
    complete = false;
    for (auto& g : glyphs)
        g = Glyph{};
    for (int c = 0; c < 256; ++c) {
        Glyph g;
        g.width = in.i32();
        g.height = in.i32();
        g.xOffset = in.i32();
        g.yOffset = in.i32();
        g.spare1 = in.i32();
        g.spare2 = in.i32();
        if (!in.ok() || g.width < 0 || g.height < 0 || g.width > kMaxGlyphSide ||
            g.height > kMaxGlyphSide || std::size_t(g.width) * g.height > in.remaining())
            return false;
        g.pixels.resize(std::size_t(g.width) * g.height);
        if (!in.take(g.pixels.data(), g.pixels.size())) return false;
        glyphs[c] = std::move(g);
    }
    complete = true;
    return true;
}

std::vector<std::uint8_t> Font::encode() const {
    ByteWriter out;
    for (const Glyph& g : glyphs) {
        out.i32(g.width);
        out.i32(g.height);
        out.i32(g.xOffset);
        out.i32(g.yOffset);
        out.i32(g.spare1);
        out.i32(g.spare2);
        out.raw(g.pixels.data(), g.pixels.size());
    }
    return out.bytes();
}

void setFont(Font* f) {
    current = f;
}
Font* currentFont() {
    return current;
}

std::int32_t glyphWidth(unsigned char c) {
    return font().glyphs[c].width;
}
std::int32_t glyphHeight(unsigned char c) {
    return font().glyphs[c].height;
}

void drawGlyph(SDL_Surface* surface, std::int32_t x, std::int32_t y, unsigned char c,
               std::uint32_t colour) {
    const Glyph& g = font().glyphs[c];
    if (!surface || surface->format->BytesPerPixel != 4 || g.width <= 0 || g.height <= 0) return;
    if (SDL_LockSurface(surface) != 0) return;
    const std::int64_t left = std::int64_t(x) + g.xOffset;
    const std::int64_t top = std::int64_t(y) + g.yOffset;
    for (std::int32_t r = 0; r < g.height; ++r) {
        const std::int64_t py = top + r;
        if (py < 0 || py >= surface->h) continue;
        for (std::int32_t k = 0; k < g.width; ++k) {
            const std::int64_t px = left + k;
            if (px < 0 || px >= surface->w) continue;
            if (g.pixels[std::size_t(r) * g.width + k])
                pixelRow(surface, std::int32_t(py))[px] = colour;
        }
    }
    SDL_UnlockSurface(surface);
}

void drawText(SDL_Surface* surface, std::int32_t x, std::int32_t y, const char* text,
              std::uint32_t colour, bool shadow) {
    if (!text) return;
    std::int32_t gap = glyphWidth('W') / 5;
    if (gap == 0) gap = 1;
    const std::int32_t d = glyphWidth('A') / 10 + 1;
    std::int32_t pen = x;
    for (const char* p = text; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c == ' ') {
            pen += glyphWidth('A');
            continue;
        }
        if (shadow) drawGlyph(surface, pen - d, y - d, c, 0xFF000000);
        drawGlyph(surface, pen, y, c, colour);
        pen += glyphWidth(c) + gap;
    }
}

std::int32_t textWidth(const char* text) {
    if (!text) return 0;
    const std::int32_t gap = glyphWidth('W') / 5 + 1;
    std::int32_t width = 0;
    for (const char* p = text; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        width += (c == ' ' ? glyphWidth('W') : glyphWidth(c)) + gap;
    }
    return width;
}
