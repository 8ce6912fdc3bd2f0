// The generated fonts and title picture as the game reads them, damaged font
// files, and the rules by which text is drawn and measured.
#include "app/bytes.hpp"
#include "gfx/font.hpp"

#include <SDL.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const char* const kSmallFont = "data/verd10.fnt";
const char* const kMediumFont = "data/verd14.fnt";
const char* const kMenuFont = "data/verdana20b.fnt";
const char* const kLargeFont = "data/verd24.fnt";

constexpr std::uint32_t kYellow = 0xFFFFFF00;
constexpr std::uint32_t kShadow = 0xFF000000;
constexpr std::uint32_t kBackground = 0xFF204060;

bool isEmpty(const Glyph& g) {
    return g.width == 0 && g.height == 0 && g.pixels.empty();
}
bool hasInk(const Glyph& g) {
    for (std::uint8_t p : g.pixels)
        if (p) return true;
    return false;
}
int bottom(const Glyph& g) {
    return g.yOffset + g.height;
}

// Sets a font for one test and puts the previous one back.
class FontScope {
  public:
    explicit FontScope(Font* font) : saved_(currentFont()) { setFont(font); }
    ~FontScope() { setFont(saved_); }
    FontScope(const FontScope&) = delete;
    FontScope& operator=(const FontScope&) = delete;

  private:
    Font* saved_;
};

// A 32-bit surface whose pixels sit inside a larger buffer, with guard words
// before and after, so a stray write past either end shows up.
class GuardedSurface {
  public:
    static constexpr std::uint32_t kGuard = 0xDEADBEEF;
    static constexpr std::size_t kGuardWords = 256;

    GuardedSurface(int w, int h)
        : w_(w), h_(h), buffer_(2 * kGuardWords + std::size_t(w) * h, kGuard) {
        for (std::size_t i = 0; i < std::size_t(w) * h; ++i)
            buffer_[kGuardWords + i] = kBackground;
        surface_ = SDL_CreateRGBSurfaceFrom(buffer_.data() + kGuardWords, w, h, 32, w * 4,
                                            0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000);
    }
    ~GuardedSurface() { SDL_FreeSurface(surface_); }
    GuardedSurface(const GuardedSurface&) = delete;
    GuardedSurface& operator=(const GuardedSurface&) = delete;

    SDL_Surface* get() const { return surface_; }
    std::uint32_t at(int x, int y) const { return buffer_[kGuardWords + std::size_t(y) * w_ + x]; }
    bool guardsIntact() const {
        for (std::size_t i = 0; i < kGuardWords; ++i)
            if (buffer_[i] != kGuard || buffer_[buffer_.size() - 1 - i] != kGuard) return false;
        return true;
    }
    bool untouched() const {
        for (int y = 0; y < h_; ++y)
            for (int x = 0; x < w_; ++x)
                if (at(x, y) != kBackground) return false;
        return guardsIntact();
    }
    // Leftmost column holding colour in row y at or after column from; -1 if none.
    int firstColumn(int y, std::uint32_t colour, int from = 0) const {
        for (int x = from; x < w_; ++x)
            if (at(x, y) == colour) return x;
        return -1;
    }
    int width() const { return w_; }
    int height() const { return h_; }

  private:
    int w_, h_;
    std::vector<std::uint32_t> buffer_;
    SDL_Surface* surface_ = nullptr;
};

// A glyph that is all ink, so positions can be read straight off the surface.
Glyph solidGlyph(int width, int height, int xOffset = 0, int yOffset = 0) {
    Glyph g;
    g.width = width;
    g.height = height;
    g.xOffset = xOffset;
    g.yOffset = yOffset;
    g.pixels.assign(std::size_t(width) * height, 255);
    return g;
}

Font blockFont(int wWidth, int aWidth) {
    Font f;
    f.glyphs['W'] = solidGlyph(wWidth, 6);
    f.glyphs['A'] = solidGlyph(aWidth, 6);
    f.glyphs['i'] = solidGlyph(2, 6);
    return f;
}

// Byte offset of glyph c's record in an encoded font.
std::size_t recordOffset(const Font& f, int c) {
    std::size_t at = 0;
    for (int i = 0; i < c; ++i)
        at += 24 + f.glyphs[i].pixels.size();
    return at;
}

void putI32(std::vector<std::uint8_t>& bytes, std::size_t at, std::int32_t v) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = std::uint8_t(std::uint32_t(v) >> (8 * i));
}

std::string scratchFile(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            ("gravelin-font-test-" + std::to_string(::getpid()) + "-" + name))
        .string();
}

// Draws and measures enough text to touch every glyph, then lets the font go.
void exerciseFont(Font* font) {
    FontScope scope(font);
    GuardedSurface surface(24, 16);
    std::string all;
    for (int c = 1; c < 256; ++c)
        all += char(c);
    drawText(surface.get(), -3, -2, all, kYellow, true);
    drawText(surface.get(), 5, 4, "AWAY 0123 gjq", kYellow, true);
    EXPECT_GE(textWidth(all), 0);
    EXPECT_TRUE(surface.guardsIntact());
}

// ------------------------------------------------------------ generated fonts

class GeneratedFont : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(readWholeFile(GetParam(), bytes)) << GetParam() << " was not generated";
        ASSERT_TRUE(font.decode(bytes));
    }
    std::vector<std::uint8_t> bytes;
    Font font;
};

TEST_P(GeneratedFont, ReadsBackWholeAndEncodesToTheSameBytes) {
    EXPECT_TRUE(font.complete);
    EXPECT_EQ(font.encode(), bytes);
    const Font viaPath(GetParam());
    EXPECT_TRUE(viaPath.complete);
    for (const Glyph& g : font.glyphs)
        EXPECT_EQ(g.pixels.size(), std::size_t(g.width) * std::size_t(g.height));
}

TEST_P(GeneratedFont, LettersAndDigitsHaveCrispInkOfSaneSize) {
    std::string wanted = "0123456789";
    for (char c = 'A'; c <= 'Z'; ++c)
        wanted += c;
    for (char c = 'a'; c <= 'z'; ++c)
        wanted += c;
    for (char c : wanted) {
        const Glyph& g = font.glyphs[static_cast<unsigned char>(c)];
        EXPECT_GT(g.width, 0) << c;
        EXPECT_GT(g.height, 0) << c;
        EXPECT_LE(g.width, 48) << c;
        EXPECT_LE(g.height, 48) << c;
        EXPECT_TRUE(hasInk(g)) << c;
    }
    const Glyph& w = font.glyphs['W'];
    EXPECT_GT(w.width, font.glyphs['A'].width / 2);
    EXPECT_GT(w.width, font.glyphs['i'].width);
    EXPECT_GT(font.glyphs['A'].height, font.glyphs['x'].height);
    // The game inks any non-zero byte, so grey edges would come out as ink.
    for (const Glyph& g : font.glyphs)
        for (std::uint8_t p : g.pixels)
            ASSERT_TRUE(p == 0 || p == 255);
}

TEST_P(GeneratedFont, OneBaselineMeasuredFromTheLineTop) {
    const int baseline = bottom(font.glyphs['A']);
    for (char c : std::string("HEMTx0159aemnz."))
        EXPECT_EQ(bottom(font.glyphs[c]), baseline) << c;
    for (char c : std::string("gjpqy"))
        EXPECT_GT(bottom(font.glyphs[c]), baseline) << c;
    // Capitals start near the top of the line: layouts box text by the
    // height of 'A', so a deep gap above it would push every line down.
    EXPECT_LE(font.glyphs['A'].yOffset, font.glyphs['A'].height / 4);
    EXPECT_GT(font.glyphs['x'].yOffset, font.glyphs['H'].yOffset);
    for (int c = 33; c <= 126; ++c)
        EXPECT_GE(font.glyphs[c].yOffset, 0) << c;
}

TEST_P(GeneratedFont, ControlCodesAreEmptyAndLatin1IsFilled) {
    for (int c = 0; c < 32; ++c)
        EXPECT_TRUE(isEmpty(font.glyphs[c])) << c;
    for (int c = 127; c < 160; ++c)
        EXPECT_TRUE(isEmpty(font.glyphs[c])) << c;
    EXPECT_FALSE(hasInk(font.glyphs[' ']));
    EXPECT_FALSE(hasInk(font.glyphs[0xA0])); // no-break space
    EXPECT_GT(font.glyphs[0xA0].width, 0);
    for (int c : {0xC4, 0xE9, 0xF6, 0xFC, 0xDF})
        EXPECT_TRUE(hasInk(font.glyphs[c])) << c;
    // Accents sit above the letters they belong to.
    EXPECT_LT(font.glyphs[0xC4].yOffset, font.glyphs['A'].yOffset);
}

INSTANTIATE_TEST_SUITE_P(AllFour, GeneratedFont,
                         ::testing::Values(kSmallFont, kMediumFont, kMenuFont, kLargeFont));

TEST(GeneratedFonts, SizesFollowTheirUse) {
    const Font small(kSmallFont), medium(kMediumFont), menu(kMenuFont), large(kLargeFont);
    const auto capital = [](const Font& f) { return f.glyphs['A'].height; };
    EXPECT_LT(capital(small), capital(medium));
    EXPECT_LT(capital(medium), capital(menu));
    EXPECT_LT(capital(menu), capital(large));
    EXPECT_GT(menu.glyphs['W'].width, small.glyphs['W'].width);
    // The menu face is bold: its strokes are wider than the regular face's.
    const auto strokeOfL = [](const Font& f) { return f.glyphs['l'].width; };
    EXPECT_GT(strokeOfL(menu), strokeOfL(medium));
}

// ----------------------------------------------------------- damaged files

TEST(DamagedFontFile, EveryCutKeepsWholeGlyphsAndEmptiesTheRest) {
    const Font intact(kMediumFont);
    ASSERT_TRUE(intact.complete);
    const std::vector<std::uint8_t> bytes = intact.encode();
    std::vector<std::size_t> recordEnd(256);
    for (int c = 0; c < 256; ++c)
        recordEnd[c] = recordOffset(intact, c + 1);
    for (std::size_t cut = 0; cut < bytes.size(); cut += 37) {
        const std::vector<std::uint8_t> part(bytes.begin(), bytes.begin() + std::ptrdiff_t(cut));
        Font f = intact; // what a damaged read leaves must not depend on what was there
        EXPECT_FALSE(f.decode(part)) << cut;
        EXPECT_FALSE(f.complete);
        for (int c = 0; c < 256; ++c) {
            const Glyph& g = f.glyphs[c];
            if (recordEnd[c] <= cut) {
                ASSERT_EQ(g.width, intact.glyphs[c].width) << "cut " << cut << " glyph " << c;
                ASSERT_EQ(g.yOffset, intact.glyphs[c].yOffset);
                ASSERT_EQ(g.pixels, intact.glyphs[c].pixels);
            } else {
                ASSERT_TRUE(isEmpty(g)) << "cut " << cut << " glyph " << c;
            }
        }
    }
}

TEST(DamagedFontFile, TruncatedMidGlyphIsSafeToUse) {
    const Font intact(kMenuFont);
    const std::vector<std::uint8_t> bytes = intact.encode();
    const std::size_t cut = recordOffset(intact, 'A') + 24 + intact.glyphs['A'].pixels.size() / 2;
    const std::string path = scratchFile("truncated.fnt");
    ASSERT_TRUE(writeFileAtomically(
        path, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + std::ptrdiff_t(cut))));
    auto font = std::make_unique<Font>(path);
    std::filesystem::remove(path);
    EXPECT_FALSE(font->complete);
    EXPECT_EQ(font->glyphs['@'].pixels, intact.glyphs['@'].pixels);
    EXPECT_EQ(font->glyphs['0'].width, intact.glyphs['0'].width);
    for (int c = 'A'; c < 256; ++c)
        EXPECT_TRUE(isEmpty(font->glyphs[c])) << c;
    exerciseFont(font.get());
    font.reset();
}

TEST(DamagedFontFile, ImpossibleDimensionsAreRejected) {
    Font source;
    source.glyphs['A'] = solidGlyph(5, 7);
    source.glyphs['B'] = solidGlyph(6, 7);
    source.glyphs['C'] = solidGlyph(4, 7);
    const std::vector<std::uint8_t> good = source.encode();
    const std::size_t b = recordOffset(source, 'B');
    struct Damage {
        std::int32_t width, height;
    };
    const Damage damages[] = {{100000, 7},
                              {6, 100000},
                              {-6, 7},
                              {6, -7},
                              {kMaxGlyphSide + 1, 1},
                              {1, kMaxGlyphSide + 1},
                              {INT32_MAX, 2},
                              {65536, 65536},
                              {INT32_MIN, INT32_MIN}};
    for (const Damage& d : damages) {
        std::vector<std::uint8_t> bytes = good;
        putI32(bytes, b, d.width);
        putI32(bytes, b + 4, d.height);
        auto font = std::make_unique<Font>();
        EXPECT_FALSE(font->decode(bytes)) << d.width << "x" << d.height;
        EXPECT_EQ(font->glyphs['A'].pixels, source.glyphs['A'].pixels);
        EXPECT_TRUE(isEmpty(font->glyphs['B']));
        EXPECT_TRUE(isEmpty(font->glyphs['C']));
        exerciseFont(font.get());
    }

    // The largest side allowed is still a glyph, when its bytes are there.
    Font big;
    big.glyphs['B'] = solidGlyph(kMaxGlyphSide, kMaxGlyphSide);
    Font back;
    EXPECT_TRUE(back.decode(big.encode()));
    EXPECT_EQ(back.glyphs['B'].width, kMaxGlyphSide);
}

TEST(DamagedFontFile, MissingFileGivesAnEmptyFontThatDrawsNothing) {
    auto font = std::make_unique<Font>("data/no-such-font.fnt");
    EXPECT_FALSE(font->complete);
    for (const Glyph& g : font->glyphs)
        EXPECT_TRUE(isEmpty(g));
    {
        FontScope scope(font.get());
        GuardedSurface surface(20, 10);
        drawText(surface.get(), 2, 2, "Quit", kYellow, true);
        EXPECT_TRUE(surface.untouched());
        EXPECT_EQ(textWidth("Quit"), 4); // only the one-pixel gaps
    }
    font.reset();
}

TEST(DamagedFontFile, EncodeThenDecodeGivesTheSameGlyphs) {
    Font source;
    source.glyphs['a'] = solidGlyph(3, 5, -1, 4);
    source.glyphs['a'].pixels[2] = 0;
    source.glyphs['a'].spare1 = 7;
    source.glyphs['a'].spare2 = -9;
    source.glyphs[255] = solidGlyph(1, 1, 2, 3);
    Font back;
    ASSERT_TRUE(back.decode(source.encode()));
    EXPECT_TRUE(back.complete);
    for (int c = 0; c < 256; ++c) {
        const Glyph &a = source.glyphs[c], &b = back.glyphs[c];
        EXPECT_EQ(a.width, b.width);
        EXPECT_EQ(a.height, b.height);
        EXPECT_EQ(a.xOffset, b.xOffset);
        EXPECT_EQ(a.yOffset, b.yOffset);
        EXPECT_EQ(a.spare1, b.spare1);
        EXPECT_EQ(a.spare2, b.spare2);
        EXPECT_EQ(a.pixels, b.pixels);
    }
    // Extra bytes after the 256th glyph are not part of the font.
    std::vector<std::uint8_t> longer = source.encode();
    longer.push_back(1);
    EXPECT_TRUE(back.decode(longer));
}

// -------------------------------------------------------------- text rules

TEST(TextRules, DrawingGapIsAFifthOfWAndMeasuringAddsOne) {
    struct Case {
        int wWidth, drawGap, measureGap;
    };
    for (const Case& c : {Case{9, 1, 2}, Case{4, 1, 1}, Case{10, 2, 3}, Case{23, 4, 5}}) {
        Font f = blockFont(c.wWidth, 5);
        FontScope scope(&f);
        GuardedSurface surface(80, 8);
        drawText(surface.get(), 1, 1, "WW", kYellow, false);
        EXPECT_EQ(surface.firstColumn(1, kYellow), 1);
        EXPECT_EQ(surface.firstColumn(1, kBackground, 1), 1 + c.wWidth) << c.wWidth;
        EXPECT_EQ(surface.firstColumn(1, kYellow, 1 + c.wWidth), 1 + c.wWidth + c.drawGap)
            << c.wWidth;
        EXPECT_EQ(textWidth("W"), c.wWidth + c.measureGap);
        EXPECT_EQ(textWidth("WiW"), 2 * c.wWidth + 2 + 3 * c.measureGap);
    }
}

TEST(TextRules, SpaceMeasuresAsWButDrawsAsAnAdvanceOfA) {
    Font f = blockFont(9, 7);
    FontScope scope(&f);
    EXPECT_EQ(textWidth(" "), 9 + 2);
    EXPECT_EQ(textWidth("A A"), 7 + 9 + 7 + 3 * 2);

    GuardedSurface surface(60, 8);
    drawText(surface.get(), 0, 0, " ", kYellow, true);
    EXPECT_TRUE(surface.untouched());
    drawText(surface.get(), 0, 0, "A A", kYellow, false);
    // First A, its gap, then the space moves the pen by A's width alone.
    EXPECT_EQ(surface.firstColumn(0, kYellow, 7), 7 + 1 + 7);
}

TEST(TextRules, ShadowIsDrawnFirstUpAndToTheLeft) {
    struct Case {
        int aWidth, d; // the shadow's distance grows with the font
    };
    for (const auto [aWidth, d] : {Case{11, 2}, Case{9, 1}, Case{20, 3}}) {
        Font f = blockFont(9, aWidth);
        f.glyphs['o'] = solidGlyph(4, 4);
        FontScope scope(&f);
        GuardedSurface surface(40, 30);
        drawText(surface.get(), 10, 10, "o", kYellow, true);
        EXPECT_EQ(surface.at(10 - d, 10 - d), kShadow) << aWidth;
        EXPECT_EQ(surface.at(10 - d, 9), kShadow);
        EXPECT_EQ(surface.at(10, 10), kYellow); // overlap: the glyph came second
        EXPECT_EQ(surface.at(13, 13), kYellow);
        EXPECT_EQ(surface.at(13 - d + 1, 10 - d), kBackground); // right of the shadow row
        EXPECT_EQ(surface.at(10 - d - 1, 10 - d), kBackground);
        EXPECT_EQ(surface.at(14, 13), kBackground);
    }
}

TEST(TextRules, OffsetsMoveTheBitmapFromPenAndLineTop) {
    Font f = blockFont(9, 5);
    f.glyphs['q'] = solidGlyph(2, 3, 3, 4);
    f.glyphs['j'] = solidGlyph(2, 3, -1, 0);
    FontScope scope(&f);
    GuardedSurface surface(30, 20);
    drawText(surface.get(), 5, 6, "q", kYellow, false);
    EXPECT_EQ(surface.at(8, 10), kYellow);
    EXPECT_EQ(surface.at(9, 12), kYellow);
    EXPECT_EQ(surface.at(7, 10), kBackground);
    EXPECT_EQ(surface.at(8, 9), kBackground);
    EXPECT_EQ(surface.at(8, 13), kBackground);
    // Offsets place ink only; the pen still moves by the bitmap's width.
    drawText(surface.get(), 0, 0, "qj", kYellow, false);
    EXPECT_EQ(surface.firstColumn(0, kYellow), 2 + 1 - 1);
}

TEST(TextRules, EmptyGlyphStillAdvancesByTheGap) {
    Font f = blockFont(9, 5);
    FontScope scope(&f);
    GuardedSurface surface(40, 8);
    const char text[] = {'A', '\x01', 'A', 0};
    drawText(surface.get(), 0, 0, text, kYellow, false);
    EXPECT_EQ(surface.firstColumn(0, kYellow, 5), 5 + 1 + 0 + 1);
    EXPECT_EQ(textWidth(text), 5 + 0 + 5 + 3 * 2);
}

TEST(TextRules, NothingLandsOutsideTheSurface) {
    Font f = blockFont(9, 11);
    f.glyphs['#'] = solidGlyph(11, 11);
    FontScope scope(&f);
    const int w = 16, h = 12;
    for (int y = -14; y <= h + 2; ++y)
        for (int x = -14; x <= w + 2; ++x) {
            GuardedSurface surface(w, h);
            drawGlyph(surface.get(), x, y, '#', kYellow);
            ASSERT_TRUE(surface.guardsIntact()) << x << "," << y;
            for (int py = 0; py < h; ++py)
                for (int px = 0; px < w; ++px) {
                    const bool inside = px >= x && px < x + 11 && py >= y && py < y + 11;
                    ASSERT_EQ(surface.at(px, py), inside ? kYellow : kBackground)
                        << "glyph at " << x << "," << y << " pixel " << px << "," << py;
                }
            drawText(surface.get(), x, y, "#A#A", kYellow, true);
            ASSERT_TRUE(surface.guardsIntact()) << x << "," << y;
        }
    for (int far : {INT_MIN, INT_MIN / 2, INT_MAX / 2, INT_MAX}) {
        GuardedSurface surface(w, h);
        drawGlyph(surface.get(), far, 0, '#', kYellow);
        drawGlyph(surface.get(), 0, far, '#', kYellow);
        drawGlyph(surface.get(), far, far, '#', kYellow);
        EXPECT_TRUE(surface.untouched()) << far;
    }
}

TEST(TextRules, NoFontNoSurfaceOrNoTextIsHarmless) {
    FontScope scope(nullptr);
    GuardedSurface surface(10, 10);
    drawText(surface.get(), 0, 0, "ABC", kYellow, true);
    drawText(surface.get(), 0, 0, static_cast<const char*>(nullptr), kYellow, true);
    EXPECT_TRUE(surface.untouched());
    EXPECT_EQ(textWidth(static_cast<const char*>(nullptr)), 0);
    Font f = blockFont(9, 5);
    setFont(&f);
    drawText(nullptr, 0, 0, "AW", kYellow, true);
    EXPECT_EQ(textWidth(""), 0);
}

// ----------------------------------------------------------- title picture

struct SurfaceFree {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceFree>;

// The title in 0xRRGGBB words, whatever depth the file has.
std::vector<std::uint32_t> loadTitle(int& w, int& h) {
    SurfacePtr loaded(SDL_LoadBMP("data/title.bmp"));
    if (!loaded) return {};
    w = loaded->w;
    h = loaded->h;
    SurfacePtr rgb(SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0xFF0000, 0xFF00, 0xFF, 0));
    if (!rgb || SDL_BlitSurface(loaded.get(), nullptr, rgb.get(), nullptr) != 0) return {};
    std::vector<std::uint32_t> out(std::size_t(w) * h);
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(
            static_cast<const std::uint8_t*>(rgb->pixels) + std::ptrdiff_t(y) * rgb->pitch);
        for (int x = 0; x < w; ++x)
            out[std::size_t(y) * w + x] = row[x] & 0xFFFFFF;
    }
    return out;
}

double luminance(std::uint32_t rgb) {
    return 0.299 * ((rgb >> 16) & 255) + 0.587 * ((rgb >> 8) & 255) + 0.114 * (rgb & 255);
}

class TitlePicture : public ::testing::Test {
  protected:
    void SetUp() override {
        pixels = loadTitle(w, h);
        ASSERT_FALSE(pixels.empty()) << "data/title.bmp did not load";
        ASSERT_EQ(w, 640);
        ASSERT_EQ(h, 400);
    }
    std::uint32_t at(int x, int y) const { return pixels[std::size_t(y) * w + x]; }
    std::vector<std::uint32_t> pixels;
    int w = 0, h = 0;
};

TEST_F(TitlePicture, IsAPictureNotAFill) {
    const std::set<std::uint32_t> colours(pixels.begin(), pixels.end());
    EXPECT_GT(colours.size(), 2000u);
}

TEST_F(TitlePicture, MenuAreaIsDarkEnoughForYellowText) {
    double sum = 0;
    int bright = 0, count = 0;
    for (int y = 90; y < 320; ++y)
        for (int x = 80; x < 440; ++x) {
            const double l = luminance(at(x, y));
            sum += l;
            if (l > 80) ++bright;
            ++count;
        }
    // Dimmed items are 0x7F7F00 (luminance 113): the backdrop must stay well below.
    EXPECT_LT(sum / count, 45.0);
    EXPECT_LT(bright, count / 100);
}

TEST_F(TitlePicture, BannerStripIsDarkAndTheNameIsBrightAndWarm) {
    double sum = 0;
    int count = 0;
    for (int y = 383; y < 400; ++y)
        for (int x = 120; x < 520; ++x, ++count)
            sum += luminance(at(x, y));
    EXPECT_LT(sum / count, 50.0);

    int warm = 0;
    for (int y = 10; y < 85; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint32_t c = at(x, y);
            const int r = int(c >> 16), b = int(c & 255);
            if (r > 200 && r > b + 100) ++warm;
        }
    EXPECT_GT(warm, 3000);
}

} // namespace
