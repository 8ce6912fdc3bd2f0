// Pixel routines and the PCX reader that tilesets come through.
#include "gfx/image.hpp"
#include "gfx/surface.hpp"
#include "test_support.hpp"

#include <gtest/gtest.h>

namespace {

struct Surfaces : ::testing::Test {
    void SetUp() override { initGame(); }
    void TearDown() override {
        for (SDL_Surface* s : owned)
            SDL_FreeSurface(s);
    }
    SDL_Surface* make(int w, int h, std::uint32_t fill) {
        owned.push_back(filledSurface(w, h, fill));
        return owned.back();
    }
    std::vector<SDL_Surface*> owned;
};

using Pixels = std::vector<std::uint32_t>;
Pixels pixels(SDL_Surface* s, std::initializer_list<std::pair<int, int>> places) {
    Pixels out;
    for (auto [x, y] : places)
        out.push_back(getPixel(s, x, y));
    return out;
}

} // namespace

TEST(PcxDecoding, LiteralsRunsTheByte192BoundaryAndOnePixel) {
    std::int32_t w, h;
    std::vector<std::uint8_t> px;
    // 192 is still a literal index; 193 is a run of one; 195 a run of three.
    ASSERT_TRUE(decodePcx(pcxFile(6, 1, {192, 193, 7, 195, 9, 5}), w, h, px));
    EXPECT_EQ(std::pair(w, h), std::pair(6, 1));
    EXPECT_EQ(px, (std::vector<std::uint8_t>{192, 7, 9, 9, 9, 5}));
    // The header's maxima are the size less one.
    ASSERT_TRUE(decodePcx(pcxFile(1, 1, {42}), w, h, px));
    EXPECT_EQ(std::pair(w, h), std::pair(1, 1));
    EXPECT_EQ(px, std::vector<std::uint8_t>{42});
}

TEST(PcxDecoding, DamagedDataNeverWritesPastThePicture) {
    std::int32_t w, h;
    std::vector<std::uint8_t> px;
    // A run of 63 into a 2 x 2 picture is cut at the fourth pixel.
    ASSERT_TRUE(decodePcx(pcxFile(2, 2, {255, 3}), w, h, px));
    EXPECT_EQ(px, (std::vector<std::uint8_t>{3, 3, 3, 3}));
    // Data that stops early leaves the rest 0.
    ASSERT_TRUE(decodePcx(pcxFile(4, 1, {1}, 0, false), w, h, px));
    EXPECT_EQ(px, (std::vector<std::uint8_t>{1, 0, 0, 0}));
    // A run byte with no value left before the palette: the palette is
    // never read as pixels.
    ASSERT_TRUE(decodePcx(pcxFile(4, 1, {1, 200}, 0, false), w, h, px));
    EXPECT_EQ(px, (std::vector<std::uint8_t>{1, 0, 0, 0}));
    // Too short for header and palette, or an absurd size: refused.
    EXPECT_FALSE(decodePcx(std::vector<std::uint8_t>(500, 0), w, h, px));
    EXPECT_FALSE(decodePcx(pcxFile(40000, 40000, {}), w, h, px));
}

TEST(ImageKinds, JudgedByNameInOrderAndCaseSensitively) {
    const std::pair<const char*, ImageKind> kinds[] = {
        {"tiles.pcx", Pcx}, {"a.pcx.bmp", Pcx}, {"a.bmp.pcx", Pcx}, {"car.bmp", Bmp},
        {"a.tl", TileFile}, {"a.TL", NoKind},   {"a.png", NoKind}};
    for (auto [name, kind] : kinds)
        EXPECT_EQ(imageKind(name), kind) << name;
}

TEST(HalfColour, HalvesChannelsAndMakesOpaque) {
    EXPECT_EQ((Pixels{halfColour(0x00FFFFFF), halfColour(0xFF010101), halfColour(0xFFFFFF00)}),
              (Pixels{0xFF7F7F7F, 0xFF000000, 0xFF7F7F00}));
}

TEST_F(Surfaces, MaskedBlitSkipsBlackWhateverItsAlpha) {
    SDL_Surface* src = make(2, 1, 0);
    SDL_Surface* dst = make(4, 4, 0xFF123456);
    pixelRow(src, 0)[0] = 0xFF000000; // black with alpha: transparent
    pixelRow(src, 0)[1] = 0x00000001; // not black: copied as it is
    maskedBlit(src, dst, SDL_Rect{1, 1, 0, 0});
    EXPECT_EQ(pixels(dst, {{1, 1}, {2, 1}}), (Pixels{0xFF123456, 0x00000001}));
}

TEST_F(Surfaces, BlitsPastAnyEdgeAreClipped) {
    SDL_Surface* src = make(8, 8, 0xFFFFFFFF);
    // A guard row around the destination would show any stray write; the
    // destination here is small and the source hangs over every side.
    SDL_Surface* dst = make(4, 4, 0xFF202020);
    for (Sint16 at : {-6, -2, 2, 3, 100, -100}) {
        maskedBlit(src, dst, SDL_Rect{at, at, 0, 0});
        shadowBlit(src, dst, SDL_Rect{Sint16(-at), at, 0, 0});
    }
    maskedBlit(src, dst, SDL_Rect{-2, -2, 0, 0});
    EXPECT_EQ(pixels(dst, {{0, 0}, {3, 3}}), (Pixels{0xFFFFFFFF, 0xFFFFFFFF}));
    SDL_Surface* dark = make(4, 4, 0xFF808080);
    shadowBlit(src, dark, SDL_Rect{2, 2, 0, 0});
    EXPECT_EQ(pixels(dark, {{1, 1}, {2, 2}, {3, 3}}), (Pixels{0xFF808080, 0xFF404040, 0xFF404040}));
}

TEST_F(Surfaces, DarkenRectIsExclusiveAndClipped) {
    SDL_Surface* s = make(4, 4, 0xFF808080);
    darkenRect(s, 1, 1, 3, 3);
    EXPECT_EQ(pixels(s, {{0, 0}, {1, 1}, {3, 3}}), (Pixels{0xFF808080, 0xFF404040, 0xFF808080}));
    darkenRect(s, 3, 3, 3, 9); // empty: nothing
    EXPECT_EQ(getPixel(s, 3, 3), 0xFF808080u);
    darkenRect(s, -50, -50, 500, 500); // whole surface, nothing outside
    EXPECT_EQ(getPixel(s, 3, 3), 0xFF404040u);
    // The race display's panel: a quarter, as darkening twice gives, and
    // opaque whatever the alpha was.
    SDL_Surface* d = make(4, 4, 0x12F1C37Bu);
    dimRect(d, -9, 1, 2, 99);
    EXPECT_EQ(pixels(d, {{0, 0}, {1, 3}, {2, 1}}),
              (Pixels{0x12F1C37Bu, halfColour(halfColour(0x12F1C37Bu)), 0x12F1C37Bu}));
}

TEST_F(Surfaces, DrawBoxLeavesTheFarCornerUndrawn) {
    SDL_Surface* s = make(32, 32, 0xFF000000);
    drawBox(s, 10, 10, 20, 20, 0xFFFFFFFF);
    for (auto [x, y] : {std::pair{10, 10}, {19, 10}, {10, 19}, {20, 19}, {19, 20}})
        EXPECT_EQ(getPixel(s, x, y), 0xFFFFFFFFu) << x << "," << y;
    EXPECT_EQ(pixels(s, {{20, 20}, {15, 15}}), (Pixels{0xFF000000, 0xFF000000}));
    drawBox(s, -10, -10, 100, 100, 0xFF00FF00); // mostly outside: no crash
    fillBox(s, 30, 30, 90, 90, 0xFF0000FF);
    EXPECT_EQ(getPixel(s, 31, 31), 0xFF0000FFu);
}

TEST(BlockCopy, CopiesExactlyTheCount) {
    for (std::size_t count : {0u, 1u, 63u, 64u, 65u, 2560u}) {
        std::vector<std::uint8_t> src(3000), dst(3000, 0xEE);
        for (std::size_t i = 0; i < src.size(); ++i)
            src[i] = std::uint8_t(i * 7 + 1);
        blockCopy(dst.data(), src.data(), count);
        for (std::size_t i = 0; i < count; ++i)
            ASSERT_EQ(dst[i], src[i]) << count;
        for (std::size_t i = count; i < dst.size(); ++i)
            ASSERT_EQ(dst[i], 0xEE) << count;
    }
}

TEST_F(Surfaces, CopySurfaceLaysTheSourceAtTheCorner) {
    SDL_Surface* src = make(3, 2, 0xFF112233);
    SDL_Surface* dst = make(5, 5, 0xFF000000);
    copySurface(dst, src);
    EXPECT_EQ(pixels(dst, {{2, 1}, {3, 1}, {0, 2}}), (Pixels{0xFF112233, 0xFF000000, 0xFF000000}));
    SDL_Surface* big = make(9, 9, 0xFFABCDEF);
    copySurface(dst, big); // larger than the destination: clipped
    EXPECT_EQ(getPixel(dst, 4, 4), 0xFFABCDEFu);
}
