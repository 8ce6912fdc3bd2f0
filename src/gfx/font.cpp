#include "gfx/font.hpp"

#include "base/bytes.hpp"
#include "gfx/surface.hpp"

#include <cstdio>

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

bool Fonts::load(std::string& missing) {
    const std::pair<Font*, const char*> files[] = {{&small, "data/verd10.fnt"},
                                                   {&large, "data/verd24.fnt"},
                                                   {&menu, "data/verdana20b.fnt"},
                                                   {&medium, "data/verd14.fnt"}};
    for (const auto& [font, path] : files)
        *font = Font(path);
    for (const auto& [font, path] : files)
        if (!font->complete) {
            missing = path;
            return false;
        }
    return true;
}

std::int32_t glyphWidth(const Font& font, unsigned char c) {
    return font.glyphs[c].width;
}
std::int32_t glyphHeight(const Font& font, unsigned char c) {
    return font.glyphs[c].height;
}

void drawGlyph(SDL_Surface* surface, const Font& font, std::int32_t x, std::int32_t y,
               unsigned char c, std::uint32_t colour) {
    const Glyph& g = font.glyphs[c];
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

void drawText(SDL_Surface* surface, const Font& font, std::int32_t x, std::int32_t y,
              const char* text, std::uint32_t colour, bool shadow) {
    if (!text) return;
    std::int32_t gap = glyphWidth(font, 'W') / 5;
    if (gap == 0) gap = 1;
    const std::int32_t d = glyphWidth(font, 'A') / 10 + 1;
    std::int32_t pen = x;
    for (const char* p = text; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c == ' ') {
            pen += glyphWidth(font, 'A');
            continue;
        }
        if (shadow) drawGlyph(surface, font, pen - d, y - d, c, 0xFF000000);
        drawGlyph(surface, font, pen, y, c, colour);
        pen += glyphWidth(font, c) + gap;
    }
}

std::int32_t textWidth(const Font& font, const char* text) {
    if (!text) return 0;
    const std::int32_t gap = glyphWidth(font, 'W') / 5 + 1;
    std::int32_t width = 0;
    for (const char* p = text; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        width += (c == ' ' ? glyphWidth(font, 'W') : glyphWidth(font, c)) + gap;
    }
    return width;
}

void drawCentred(SDL_Surface* surface, const Font& font, const std::string& text,
                 std::uint32_t colour, std::int32_t y) {
    if (!surface) return;
    const std::int32_t x = surface->w / 2 - textWidth(font, text) / 2;
    if (y == -1) y = surface->h / 2 - glyphWidth(font, 'A') / 2;
    drawText(surface, font, x, y, text, colour, true);
}
