// The generated fonts and title picture as the game reads them, damaged font
// files, and the rules by which text is drawn and measured.
#include "base/bytes.hpp"
#include "gfx/font.hpp"
#include "test_support.hpp"

#include <gtest/gtest.h>

#include <array>
#include <numeric>
#include <utility>

namespace {

constexpr std::uint32_t kYellow = 0xFFFFFF00;
constexpr std::uint32_t kBackground = 0xFF204060;

// A 32-bit surface whose pixels sit inside a larger buffer, with guard words
// before and after, so a stray write past either end shows up.
struct Canvas {
    static constexpr std::uint32_t kGuard = 0xDEADBEEF;
    static constexpr std::ptrdiff_t kPad = 256;
    int w, h;
    std::vector<std::uint32_t> buf;
    SDL_Surface* surface;

    Canvas(int width, int height)
        : w(width), h(height), buf(2 * kPad + std::size_t(w) * h, kGuard) {
        std::fill(buf.begin() + kPad, buf.end() - kPad, kBackground);
        surface = SDL_CreateRGBSurfaceFrom(&buf[kPad], w, h, 32, w * 4, 0xFF0000, 0xFF00, 0xFF,
                                           0xFF000000);
    }
    ~Canvas() { SDL_FreeSurface(surface); }
    std::uint32_t at(int x, int y) const { return buf[kPad + std::ptrdiff_t(y) * w + x]; }
    // Only ink and shadow are ever drawn, so a missing guard word was overwritten.
    bool guardsIntact() const { return std::count(buf.begin(), buf.end(), kGuard) == 2 * kPad; }
    bool untouched() const { return buf == Canvas(w, h).buf; }
    // Leftmost column holding colour in row y at or after column from; -1 if none.
    int firstColumn(int y, std::uint32_t colour, int from = 0) const {
        for (int x = from; x < w; ++x)
            if (at(x, y) == colour) return x;
        return -1;
    }
};

// A glyph that is all ink, so positions can be read straight off the surface.
Glyph solidGlyph(int w, int h) {
    return Glyph{w, h, 0, 0, 0, 0, std::vector<std::uint8_t>(std::size_t(w) * h, 255)};
}

Font blockFont(int wWidth, int aWidth) {
    Font f;
    f.glyphs['W'] = solidGlyph(wWidth, 6);
    f.glyphs['A'] = solidGlyph(aWidth, 6);
    return f;
}

// Byte offset of glyph c's record in an encoded font.
std::size_t recordOffset(const Font& f, int c) {
    std::size_t at = 0;
    for (int i = 0; i < c; ++i)
        at += 24 + f.glyphs[i].pixels.size();
    return at;
}

// Glyphs before `first` match `intact`, the rest are empty, and the font is
// safe to draw with, measure and destroy.
void expectDamagedFrom(Font&& font, const Font& intact, int first) {
    EXPECT_FALSE(font.complete);
    for (int c = 0; c < 256; ++c) {
        const Glyph& g = font.glyphs[c];
        EXPECT_TRUE(c < first ? g.pixels == intact.glyphs[c].pixels
                              : g.width == 0 && g.height == 0 && g.pixels.empty())
            << c;
    }
    Canvas canvas(24, 16);
    std::string all(255, '\0');
    std::iota(all.begin(), all.end(), '\x01');
    drawText(canvas.surface, font, -3, -2, all, kYellow, true);
    EXPECT_GE(textWidth(font, all), 0);
    EXPECT_TRUE(canvas.guardsIntact());
}

} // namespace

// ------------------------------------------------------------ font files

class GeneratedFont : public ::testing::TestWithParam<const char*> {};

TEST_P(GeneratedFont, ReadsBackCompleteOnOneBaseline) {
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(readWholeFile(GetParam(), bytes)) << GetParam() << " was not generated";
    const Font font(GetParam());
    ASSERT_TRUE(font.complete);
    EXPECT_EQ(font.encode(), bytes);
    const auto bottom = [&](int c) { return font.glyphs[c].yOffset + font.glyphs[c].height; };
    EXPECT_EQ(std::pair(bottom('H'), bottom('x')), std::pair(bottom('A'), bottom('A')));
    EXPECT_GT(bottom('g'), bottom('A'));
}

INSTANTIATE_TEST_SUITE_P(AllFour, GeneratedFont,
                         ::testing::Values("data/verd10.fnt", "data/verd14.fnt",
                                           "data/verdana20b.fnt", "data/verd24.fnt"));

TEST(DamagedFontFile, TruncatedOrMissingFileKeepsWholeGlyphsAndEmptiesTheRest) {
    const Font intact("data/verdana20b.fnt");
    std::vector<std::uint8_t> bytes = intact.encode();
    bytes.resize(recordOffset(intact, 'A') + 24 + intact.glyphs['A'].pixels.size() / 2);
    ScratchDir dir;
    ASSERT_TRUE(writeFileAtomically("cut.fnt", bytes));
    expectDamagedFrom(Font("cut.fnt"), intact, 'A');
    expectDamagedFrom(Font("no-such-font.fnt"), Font(), 0);
}

TEST(DamagedFontFile, OversizedGlyphRecordEmptiesItAndTheRest) {
    Font source;
    for (int c : {'A', 'B', 'C'})
        source.glyphs[c] = solidGlyph(5, 7);
    const std::size_t b = recordOffset(source, 'B');
    for (const auto& [w, h] : {std::pair{kMaxGlyphSide + 1, 1}, std::pair{1, kMaxGlyphSide + 1},
                               std::pair{-6, 7}, std::pair{INT32_MAX, 2}}) {
        std::vector<std::uint8_t> bytes = source.encode();
        putI32(bytes, b, w);
        putI32(bytes, b + 4, h);
        Font font;
        EXPECT_FALSE(font.decode(bytes)) << w << "x" << h;
        expectDamagedFrom(std::move(font), source, 'B');
    }
}

// -------------------------------------------------------------- text rules

TEST(TextRules, DrawingGapIsAFifthOfWAndMeasuringAddsOne) {
    for (const auto [w, drawGap, measureGap] : {std::array{9, 1, 2}, std::array{4, 1, 1}}) {
        Font f = blockFont(w, 5);
        Canvas canvas(40, 8);
        drawText(canvas.surface, f, 1, 1, "WW", kYellow, false);
        EXPECT_EQ(canvas.firstColumn(1, kBackground, 1), 1 + w) << w;
        EXPECT_EQ(canvas.firstColumn(1, kYellow, 1 + w), 1 + w + drawGap) << w;
        EXPECT_EQ(textWidth(f, "WW"), 2 * (w + measureGap)) << w;
    }
}

TEST(TextRules, SpaceAndEmptyGlyphsDrawNothingButMoveThePen) {
    Font f = blockFont(9, 7);
    Canvas canvas(60, 16);
    // A space draws as an advance of 'A' but measures as 'W'.
    drawText(canvas.surface, f, 0, 0, "A A", kYellow, false);
    EXPECT_EQ(canvas.firstColumn(0, kYellow, 7), 7 + 1 + 7);
    EXPECT_EQ(textWidth(f, "A A"), 7 + 9 + 7 + 3 * 2);
    // A zero-size glyph still adds its gap.
    const char empty[] = {'A', '\x01', 'A', 0};
    drawText(canvas.surface, f, 0, 8, empty, kYellow, false);
    EXPECT_EQ(canvas.firstColumn(8, kYellow, 7), 7 + 1 + 0 + 1);
    EXPECT_EQ(textWidth(f, empty), 7 + 0 + 7 + 3 * 2);
}

TEST(TextRules, ShadowIsDrawnFirstInBlackUpAndToTheLeft) {
    Font f = blockFont(9, 11); // 'A' 11 wide puts the shadow 2 px away
    f.glyphs['o'] = solidGlyph(4, 4);
    Canvas canvas(40, 30);
    drawText(canvas.surface, f, 10, 10, "o", kYellow, true);
    EXPECT_EQ(canvas.at(8, 8), 0xFF000000u); // black
    EXPECT_EQ(canvas.at(8, 7), kBackground);
    EXPECT_EQ(canvas.at(7, 8), kBackground);
    EXPECT_EQ(canvas.at(10, 10), kYellow); // overlap: the glyph came second
}

TEST(TextRules, NothingLandsOutsideTheSurface) {
    Font f = blockFont(9, 11);
    f.glyphs['#'] = solidGlyph(11, 11);
    const int w = 16, h = 12;
    for (int y = -14; y <= h + 2; ++y)
        for (int x = -14; x <= w + 2; ++x) {
            Canvas canvas(w, h);
            drawGlyph(canvas.surface, f, x, y, '#', kYellow);
            const int inside = std::max(0, std::min(x + 11, w) - std::max(x, 0)) *
                               std::max(0, std::min(y + 11, h) - std::max(y, 0));
            ASSERT_EQ(std::count(canvas.buf.begin(), canvas.buf.end(), kYellow), inside)
                << x << "," << y;
            drawText(canvas.surface, f, x, y, "#A#A", kYellow, true);
            ASSERT_TRUE(canvas.guardsIntact()) << x << "," << y;
        }
    for (int far : {INT32_MIN, INT32_MAX / 2, INT32_MAX}) {
        Canvas canvas(w, h);
        drawGlyph(canvas.surface, f, far, 0, '#', kYellow);
        drawGlyph(canvas.surface, f, far, far, '#', kYellow);
        EXPECT_TRUE(canvas.untouched()) << far;
    }
}

// ----------------------------------------------------------- title picture

TEST(TitlePicture, LoadsAt640x400) {
    SDL_Surface* loaded = SDL_LoadBMP("data/title.bmp");
    ASSERT_NE(loaded, nullptr) << "data/title.bmp did not load";
    EXPECT_EQ(std::pair(loaded->w, loaded->h), std::pair(640, 400));
    SDL_FreeSurface(loaded);
}
