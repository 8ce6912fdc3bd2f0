// gravelin_titlegen <boldFace.ttf> <out.bmp>
//
// Paints the 640 x 400 title picture that sits behind every menu screen. The
// menu is yellow text from about (100, 100) to (420, 300) and a white banner
// line is centred along the bottom, so those areas are kept dark and quiet;
// the name fills the top and a top-down corner of track with two cars fills
// the right-hand side. Everything is computed from fixed numbers and integer
// hashes, so every build paints the same picture.
#include "base/bytes.hpp"
#include "gfx/image.hpp"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 400;

// Bands of the picture that the menu screens depend on.
constexpr int kTitleBandBottom = 87;   // the name lives above this
constexpr int kBannerBandTop = 380;    // the white banner line lives below this
constexpr float kSceneFadeStart = 440; // the menu column is fully dark left of this
constexpr float kSceneFadeEnd = 525;   // the track scene is at full strength right of this

struct Rgb {
    float r = 0, g = 0, b = 0;
};

Rgb operator+(Rgb a, Rgb b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
Rgb operator*(Rgb a, float k) {
    return {a.r * k, a.g * k, a.b * k};
}
Rgb mix(Rgb a, Rgb b, float t) {
    return a * (1 - t) + b * t;
}
Rgb hex(std::uint32_t v) {
    return {float((v >> 16) & 255) / 255, float((v >> 8) & 255) / 255, float(v & 255) / 255};
}

float clamp01(float v) {
    return std::clamp(v, 0.0f, 1.0f);
}
float smoothstep(float a, float b, float x) {
    const float t = clamp01((x - a) / (b - a));
    return t * t * (3 - 2 * t);
}

// Integer hash to [0, 1): the same pixel always gets the same grain.
float hash01(int x, int y, std::uint32_t seed) {
    std::uint32_t h =
        std::uint32_t(x) * 0x8da6b343u ^ std::uint32_t(y) * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return float(h & 0xffffff) / float(0x1000000);
}

// Smooth noise: hashed lattice values every `scale` pixels, blended.
float valueNoise(float x, float y, float scale, std::uint32_t seed) {
    const float fx = x / scale, fy = y / scale;
    const int ix = int(std::floor(fx)), iy = int(std::floor(fy));
    const float tx = smoothstep(0, 1, fx - float(ix)), ty = smoothstep(0, 1, fy - float(iy));
    const float a = hash01(ix, iy, seed), b = hash01(ix + 1, iy, seed);
    const float c = hash01(ix, iy + 1, seed), d = hash01(ix + 1, iy + 1, seed);
    return (a * (1 - tx) + b * tx) * (1 - ty) + (c * (1 - tx) + d * tx) * ty;
}

class Canvas {
  public:
    Canvas() : pixels_(std::size_t(kWidth) * kHeight) {}
    Rgb& at(int x, int y) { return pixels_[std::size_t(y) * kWidth + x]; }
    void blend(int x, int y, Rgb c, float alpha) {
        if (x < 0 || y < 0 || x >= kWidth || y >= kHeight || alpha <= 0) return;
        Rgb& p = at(x, y);
        p = mix(p, c, clamp01(alpha));
    }

    // 24-bit bottom-up BMP, the layout SDL_LoadBMP expects.
    std::vector<std::uint8_t> encodeBmp() const {
        std::vector<std::uint32_t> rgb(pixels_.size());
        for (std::size_t i = 0; i < pixels_.size(); ++i)
            rgb[i] = std::uint32_t(toByte(pixels_[i].r)) << 16 |
                     std::uint32_t(toByte(pixels_[i].g)) << 8 | toByte(pixels_[i].b);
        return encodeBmp24(kWidth, kHeight, rgb);
    }

  private:
    static std::uint8_t toByte(float v) { return std::uint8_t(std::lround(clamp01(v) * 255)); }
    std::vector<Rgb> pixels_;
};

// ---------------------------------------------------------------- the track

struct Vec {
    float x = 0, y = 0;
};
Vec operator+(Vec a, Vec b) {
    return {a.x + b.x, a.y + b.y};
}
Vec operator-(Vec a, Vec b) {
    return {a.x - b.x, a.y - b.y};
}
Vec operator*(Vec a, float k) {
    return {a.x * k, a.y * k};
}
float dot(Vec a, Vec b) {
    return a.x * b.x + a.y * b.y;
}
float cross(Vec a, Vec b) {
    return a.x * b.y - a.y * b.x;
}
float length(Vec a) {
    return std::sqrt(dot(a, a));
}
// Screen y grows downwards, so this is the left hand of something heading dir.
Vec leftOf(Vec dir) {
    return {dir.y, -dir.x};
}

// Where a point lies relative to the track: distance from the centre line
// (positive on the outside of the corner) and distance along it.
struct TrackPos {
    float side = 0;
    float along = 0;
};

// A right-hand bend sampled from a cubic curve; cars run from the bottom of
// the picture up towards the title.
class Track {
  public:
    static constexpr float kHalfWidth = 27;
    static constexpr float kKerb = 6;

    Track() {
        const Vec p0{660, 430}, p1{470, 360}, p2{470, 150}, p3{680, 60};
        constexpr int kSamples = 160;
        for (int i = 0; i <= kSamples; ++i) {
            const float t = float(i) / kSamples, u = 1 - t;
            points_.push_back(p0 * (u * u * u) + p1 * (3 * u * u * t) + p2 * (3 * u * t * t) +
                              p3 * (t * t * t));
            lengths_.push_back(i == 0 ? 0 : lengths_.back() + length(points_[i] - points_[i - 1]));
        }
    }

    float totalLength() const { return lengths_.back(); }

    TrackPos locate(Vec p) const {
        float best = 1e30f;
        TrackPos pos;
        for (std::size_t i = 0; i + 1 < points_.size(); ++i) {
            const Vec a = points_[i], d = points_[i + 1] - a;
            const float len2 = dot(d, d);
            const float t = std::clamp(dot(p - a, d) / len2, 0.0f, 1.0f);
            const Vec q = a + d * t;
            const float dist2 = dot(p - q, p - q);
            if (dist2 < best) {
                best = dist2;
                // Travelling up the screen the bend turns right, so the
                // outside of the corner is to the left of travel.
                const float sign = cross(d, p - a) < 0 ? 1.0f : -1.0f;
                pos.side = sign * std::sqrt(dist2);
                pos.along = lengths_[i] + std::sqrt(len2) * t;
            }
        }
        return pos;
    }

    // Point and unit direction of travel at a distance along the centre line.
    void frame(float along, Vec& point, Vec& dir) const {
        std::size_t i = 1;
        while (i + 1 < lengths_.size() && lengths_[i] < along)
            ++i;
        const float span = lengths_[i] - lengths_[i - 1];
        const float t = span > 0 ? std::clamp((along - lengths_[i - 1]) / span, 0.0f, 1.0f) : 0;
        const Vec d = points_[i] - points_[i - 1];
        point = points_[i - 1] + d * t;
        dir = d * (1 / length(d));
    }

  private:
    std::vector<Vec> points_;
    std::vector<float> lengths_;
};

Rgb grassAt(int x, int y) {
    // Mowing stripes run diagonally, with a little patchiness on top.
    const bool stripe = ((x + y * 2) / 28) % 2 == 0;
    const float patch = valueNoise(float(x), float(y), 23, 11) - 0.5f;
    const float grain = hash01(x, y, 12) - 0.5f;
    return hex(0x2f5a26) * ((stripe ? 1.08f : 0.94f) + patch * 0.2f + grain * 0.12f);
}

Rgb gravelAt(int x, int y) {
    const float grain = hash01(x, y, 21);
    Rgb c = hex(0xa89572) * (0.82f + grain * 0.3f);
    if (hash01(x / 2, y / 2, 22) > 0.9f) c = c * 0.7f; // pebbles
    return c;
}

Rgb asphaltAt(int x, int y) {
    const float grain = hash01(x, y, 31) - 0.5f;
    const float blotch = valueNoise(float(x), float(y), 9, 32) - 0.5f;
    return hex(0x4c4f55) * (1 + grain * 0.16f + blotch * 0.1f);
}

// One sample of the bend: grass, gravel trap, kerbs, asphalt with a rubbered
// racing line, and the chequered line.
Rgb sceneSample(const Track& track, float fx, float fy) {
    const int x = int(std::floor(fx)), y = int(std::floor(fy));
    const TrackPos pos = track.locate({fx, fy});
    const float half = Track::kHalfWidth, edge = std::abs(pos.side);

    // The gravel trap hugs the outside of the corner with a ragged edge.
    const float trapDepth = 34 + 16 * valueNoise(pos.along, 0, 40, 41);
    const float trapFade =
        clamp01(pos.along / 60) * clamp01((track.totalLength() - pos.along) / 60);
    if (pos.side > half + Track::kKerb) {
        const bool inTrap = pos.side < half + Track::kKerb + trapDepth * trapFade;
        return inTrap ? gravelAt(x, y) : grassAt(x, y);
    }
    if (edge > half) return grassAt(x, y) * 0.9f;
    if (edge > half - Track::kKerb) {
        const bool red = int(std::floor(pos.along / 9)) % 2 == 0;
        const float rim = edge > half - 1 ? 0.75f : 1.0f; // kerbs are raised: darken the lip
        return (red ? hex(0xd42a2a) : hex(0xf2f0ea)) * rim;
    }

    // The finish line: two rows of squares across the track.
    const float finish = 125;
    const float rel = pos.along - finish;
    if (rel >= 0 && rel < 10) {
        const int col = int(std::floor((pos.side + half) / 5));
        const int row = int(std::floor(rel / 5));
        return (col + row) % 2 == 0 ? hex(0xf4f4f4) : hex(0x15161a);
    }

    // Rubber laid down by cars that swing wide, clip the inside and run out
    // wide again.
    const float phase = pos.along / track.totalLength();
    const float racingLine = half * 0.55f * (std::abs(phase - 0.55f) * 3.2f - 1);
    const float rubber = 0.32f * std::exp(-std::pow((pos.side - racingLine) / 7, 2.0f));
    return asphaltAt(x, y) * (1 - rubber);
}

void paintScene(Canvas& canvas, const Track& track) {
    constexpr int kSub = 3; // samples per pixel side, for clean kerb and track edges
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            // The track stays well right of the menu column, so plain grass
            // there spares the costly per-sample search of the centre line.
            if (x < kSceneFadeStart - 40) {
                canvas.at(x, y) = grassAt(x, y);
                continue;
            }
            Rgb sum;
            for (int sy = 0; sy < kSub; ++sy)
                for (int sx = 0; sx < kSub; ++sx)
                    sum = sum + sceneSample(track, float(x) + (sx + 0.5f) / kSub,
                                            float(y) + (sy + 0.5f) / kSub);
            canvas.at(x, y) = sum * (1.0f / (kSub * kSub));
        }
}

// ------------------------------------------------------------------- the cars

struct CarLook {
    Rgb body;
    Rgb stripe;
};

// Alpha 0 is off the car.
struct Paint {
    Rgb colour;
    float alpha = 0;
};

float roundedBox(float u, float v, float halfU, float halfV, float radius) {
    const float du = std::abs(u) - (halfU - radius), dv = std::abs(v) - (halfV - radius);
    const float outside = length({std::max(du, 0.0f), std::max(dv, 0.0f)});
    return outside + std::min(std::max(du, dv), 0.0f) - radius;
}

// Car colour at a point in the car's own frame: u forward, v to the right,
// from the car's centre, in car units (the body is 30 x 13 of them).
Paint carAt(const CarLook& look, float u, float v) {
    const float av = std::abs(v);
    // Body first so that the wheels can poke out from under it at the sides.
    if (roundedBox(u, v, 15, 6.5f, 3.5f) <= 0) {
        Rgb c = look.body * (1.05f - 0.45f * (av / 6.5f) * (av / 6.5f));
        if (u > 10 && av > 3 && av < 5.5f)
            c = hex(0xfff6c8); // headlights
        else if (u > 1 && u < 6 && av < 5)
            c = mix(hex(0x1b2838), hex(0x7c9ab8), clamp01(0.8f - (u - 1) / 6)); // windscreen
        else if (u > -9 && u < -6 && av < 4.5f)
            c = hex(0x1b2838); // rear window
        else if (av > 0.8f && av < 2.2f)
            c = look.stripe;
        if (u < -12.5f && u > -15) c = hex(0x15161a); // rear wing
        return {c, 1};
    }
    const bool wheelAlong = (u > 6 && u < 12) || (u > -12 && u < -6);
    if (wheelAlong && av < 8) return {hex(0x101113), 1};
    return {};
}

void paintCar(Canvas& canvas, Vec centre, Vec dir, const CarLook& look) {
    constexpr float kScale = 1.25f; // pixels per car unit
    constexpr int kSub = 4;
    constexpr int kReach = 28; // half the square that holds car and shadow
    const Vec right = leftOf(dir) * -1;
    const int x0 = int(centre.x) - kReach, y0 = int(centre.y) - kReach;
    // Soft shadow first, cast down and to the right.
    for (int y = y0; y < y0 + 2 * kReach; ++y)
        for (int x = x0; x < x0 + 2 * kReach; ++x) {
            const Vec p =
                (Vec{float(x) + 0.5f, float(y) + 0.5f} - centre - Vec{3, 4}) * (1 / kScale);
            const float d = roundedBox(dot(p, dir), dot(p, right), 16, 8, 4);
            canvas.blend(x, y, hex(0x000000), 0.45f * (1 - smoothstep(-1.5f, 2.5f, d)));
        }
    for (int y = y0; y < y0 + 2 * kReach; ++y)
        for (int x = x0; x < x0 + 2 * kReach; ++x) {
            Rgb sum;
            float cover = 0;
            for (int sy = 0; sy < kSub; ++sy)
                for (int sx = 0; sx < kSub; ++sx) {
                    const Vec at{float(x) + (sx + 0.5f) / kSub, float(y) + (sy + 0.5f) / kSub};
                    const Vec p = (at - centre) * (1 / kScale);
                    const Paint paint = carAt(look, dot(p, dir), dot(p, right));
                    sum = sum + paint.colour * paint.alpha;
                    cover += paint.alpha;
                }
            if (cover > 0) canvas.blend(x, y, sum * (1 / cover), cover / (kSub * kSub));
        }
}

// Thin streaks trailing a car along the track; side as in TrackPos.
void paintWake(Canvas& canvas, const Track& track, float along, float side) {
    for (int lane = -1; lane <= 1; lane += 2)
        for (float back = 20; back < 70; back += 0.5f) {
            Vec point, dir;
            track.frame(along - back, point, dir);
            const Vec p = point + leftOf(dir) * (side + lane * 5.0f);
            const float alpha = 0.22f * (1 - (back - 20) / 50);
            canvas.blend(int(p.x), int(p.y), hex(0xffffff), alpha);
        }
}

// ------------------------------------------------------------- calm and bands

void darkenForMenu(Canvas& canvas) {
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            // A deep blue-black that lightens a touch towards the upper left,
            // with a faint diagonal weave so it reads as a surface, not a void.
            const float glow = 1 - clamp01(length({float(x) - 200, float(y) - 150}) / 420);
            const bool weave = ((x + y) / 3) % 2 == 0;
            Rgb dark = mix(hex(0x07090f), hex(0x1a2236), glow * glow);
            dark = dark * (weave ? 1.04f : 0.97f);
            float shade = 1 - smoothstep(kSceneFadeStart, kSceneFadeEnd, float(x));
            shade = std::max(shade * 0.93f, 0.18f);
            if (y < kTitleBandBottom + 6) shade = std::max(shade, 0.85f);
            if (y >= kBannerBandTop - 6) shade = std::max(shade, 0.7f);
            canvas.at(x, y) = mix(canvas.at(x, y), dark, shade);
        }
}

// A hot stripe under the title band and a thin one over the banner band;
// both fade out towards the picture's edges.
void paintBandEdges(Canvas& canvas) {
    for (int x = 0; x < kWidth; ++x) {
        const float across = float(x) / (kWidth - 1);
        const float fade = smoothstep(0, 0.25f, across) * smoothstep(0, 0.25f, 1 - across);
        const Rgb hot = mix(hex(0xffb020), hex(0xe02010), across);
        canvas.blend(x, kTitleBandBottom, hot, 0.9f * fade);
        canvas.blend(x, kTitleBandBottom + 1, hot, 0.6f * fade);
        canvas.blend(x, kTitleBandBottom + 2, hot, 0.25f * fade);
        canvas.blend(x, kTitleBandBottom - 1, hot, 0.25f * fade);
        canvas.blend(x, kBannerBandTop - 4, hex(0x8090a8), 0.35f * fade);
    }
}

// ------------------------------------------------------------------- the name

// Coverage mask over the whole picture.
struct Mask {
    std::vector<float> v = std::vector<float>(std::size_t(kWidth) * kHeight, 0.0f);
    float at(int x, int y) const {
        if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) return 0;
        return v[std::size_t(y) * kWidth + x];
    }
    float& ref(int x, int y) { return v[std::size_t(y) * kWidth + x]; }
};

class FaceHolder {
  public:
    ~FaceHolder() {
        if (face) FT_Done_Face(face);
        if (library) FT_Done_FreeType(library);
    }
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

struct TextBox {
    int left = 0, right = 0, top = 0, bottom = 0;
};

// Renders the word anti-aliased and leaning forward into a mask, centred on
// centreX, with its baseline at baselineY. Returns false on a FreeType error.
bool renderWord(FT_Face face, const std::string& word, float centreX, int baselineY, Mask& mask,
                TextBox& box) {
    // Shear only: x grows with height, so the letters lean into the turn.
    FT_Matrix lean{0x10000, FT_Fixed(0.22 * 0x10000), 0, 0x10000};
    FT_Set_Transform(face, &lean, nullptr);
    constexpr int kTracking = 3; // letters a little apart, for the outline

    // Two passes: measure, then draw centred.
    int width = 0;
    for (int pass = 0; pass < 2; ++pass) {
        long pen = pass == 0 ? 0 : std::lround(centreX - width / 2.0f);
        box = {kWidth, 0, kHeight, 0};
        FT_UInt previous = 0;
        for (char ch : word) {
            const FT_UInt index = FT_Get_Char_Index(face, FT_ULong(static_cast<unsigned char>(ch)));
            if (previous && index && FT_HAS_KERNING(face)) {
                FT_Vector kern;
                if (FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &kern) == 0)
                    pen += kern.x >> 6;
            }
            if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_NO_HINTING) != 0) return false;
            const FT_GlyphSlot slot = face->glyph;
            const FT_Bitmap& bm = slot->bitmap;
            const int left = int(pen) + slot->bitmap_left, top = baselineY - slot->bitmap_top;
            if (pass == 1 && bm.pixel_mode == FT_PIXEL_MODE_GRAY && bm.pitch >= int(bm.width)) {
                for (unsigned r = 0; r < bm.rows; ++r)
                    for (unsigned k = 0; k < bm.width; ++k) {
                        const int x = left + int(k), y = top + int(r);
                        if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) continue;
                        const float c = bm.buffer[std::ptrdiff_t(r) * bm.pitch + k] / 255.0f;
                        mask.ref(x, y) = std::max(mask.at(x, y), c);
                    }
            }
            box.left = std::min(box.left, left);
            box.right = std::max(box.right, left + int(bm.width));
            box.top = std::min(box.top, top);
            box.bottom = std::max(box.bottom, top + int(bm.rows));
            pen += (slot->advance.x >> 6) + kTracking;
            previous = index;
        }
        width = box.right - box.left;
    }
    FT_Set_Transform(face, nullptr, nullptr);
    return true;
}

// Grows a mask by a disc of the given radius, keeping soft edges soft.
Mask dilate(const Mask& in, float radius, int x0, int y0, int x1, int y1) {
    Mask out;
    const int r = int(std::ceil(radius)) + 1;
    for (int y = std::max(0, y0 - r); y < std::min(kHeight, y1 + r); ++y)
        for (int x = std::max(0, x0 - r); x < std::min(kWidth, x1 + r); ++x) {
            float best = 0;
            for (int dy = -r; dy <= r; ++dy)
                for (int dx = -r; dx <= r; ++dx) {
                    const float reach = clamp01(radius + 0.5f - length({float(dx), float(dy)}));
                    if (reach > 0) best = std::max(best, in.at(x + dx, y + dy) * reach);
                }
            out.ref(x, y) = best;
        }
    return out;
}

// Box blur, three times over, in both directions: close enough to a Gaussian.
Mask blur(const Mask& in, int radius) {
    Mask a = in, b;
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                float sum = 0;
                for (int d = -radius; d <= radius; ++d)
                    sum += a.at(x + d, y);
                b.ref(x, y) = sum / float(2 * radius + 1);
            }
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                float sum = 0;
                for (int d = -radius; d <= radius; ++d)
                    sum += b.at(x, y + d);
                a.ref(x, y) = sum / float(2 * radius + 1);
            }
    }
    return a;
}

// Molten fill: pale gold at the top through orange to deep red, with a hard
// step in the middle like a horizon reflected in chrome.
Rgb nameFill(float t) {
    if (t < 0.52f) return mix(hex(0xfff4b0), hex(0xffa41c), smoothstep(0, 0.52f, t));
    return mix(hex(0xff6414), hex(0x9c0c08), smoothstep(0.52f, 1, t));
}

bool paintName(Canvas& canvas, FT_Face face) {
    const std::string word = "GRAVELIN";
    // Largest size whose capitals fit the band with room for the outline.
    Mask mask;
    TextBox box;
    for (int size = 96;; size -= 2) {
        if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(size)) != 0) return false;
        mask = Mask{};
        if (!renderWord(face, word, kWidth / 2.0f, 76, mask, box)) return false;
        const bool fits = box.right - box.left <= 560 && box.top >= 12;
        if (fits || size <= 24) break;
    }

    const Mask outline = dilate(mask, 3.5f, box.left, box.top, box.right, box.bottom);
    Mask shifted;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            shifted.ref(x, y) = outline.at(x - 5, y - 5);
    const Mask shadow = blur(shifted, 2);
    const Mask glow = blur(outline, 6);

    for (int y = 0; y < kTitleBandBottom; ++y)
        for (int x = 0; x < kWidth; ++x) {
            canvas.blend(x, y, hex(0xff5a10), 0.45f * glow.at(x, y));
            canvas.blend(x, y, hex(0x000000), 0.8f * shadow.at(x, y));
            canvas.blend(x, y, hex(0x1c0702), outline.at(x, y));
            const float m = mask.at(x, y);
            if (m <= 0) continue;
            const float t = clamp01(float(y - box.top) / float(box.bottom - box.top));
            Rgb fill = nameFill(t);
            // A bevel: edges facing the upper left catch the light, edges
            // facing the lower right fall into shade.
            const float lit = m - mask.at(x - 2, y - 2), shade = m - mask.at(x + 2, y + 2);
            if (lit > 0) fill = mix(fill, hex(0xffffff), 0.6f * lit);
            if (shade > 0) fill = mix(fill, hex(0x4a0400), 0.45f * shade);
            canvas.blend(x, y, fill, m);
        }

    // Speed streaks trailing off the left of the name, thinning out.
    const int streakRows[] = {box.top + 14, box.top + 26, box.top + 40, box.top + 52};
    for (int i = 0; i < 4; ++i) {
        const int y = streakRows[i];
        const int end = box.left - 6 + i * 3; // the lean moves lower letters left
        const int start = 10 + i * 14;
        for (int x = start; x < end; ++x) {
            const float t = float(x - start) / float(std::max(1, end - start));
            const float thick = (i % 2 == 0) ? 1.0f : 0.6f;
            canvas.blend(x, y, mix(hex(0xffd060), hex(0xff5a10), t), t * 0.85f * thick);
            canvas.blend(x, y + 1, hex(0x9c0c08), t * 0.5f * thick);
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::printf("usage: gravelin_titlegen <boldFace.ttf> <out.bmp>\n");
        return 1;
    }
    FaceHolder ft;
    if (FT_Init_FreeType(&ft.library) != 0) {
        ft.library = nullptr;
        std::printf("titlegen: cannot start FreeType\n");
        return 1;
    }
    if (FT_New_Face(ft.library, argv[1], 0, &ft.face) != 0) {
        ft.face = nullptr;
        std::printf("titlegen: cannot open face %s\n", argv[1]);
        return 1;
    }

    Canvas canvas;
    const Track track;
    paintScene(canvas, track);
    // The leader clips the apex; the chaser is still out wide, past the line.
    const float leader = track.totalLength() * 0.52f, chaser = track.totalLength() * 0.36f;
    const float leaderSide = -11, chaserSide = 7;
    paintWake(canvas, track, leader, leaderSide);
    paintWake(canvas, track, chaser, chaserSide);
    Vec point, dir;
    track.frame(chaser, point, dir);
    paintCar(canvas, point + leftOf(dir) * chaserSide, dir, {hex(0x2a5ad8), hex(0xf2f2f2)});
    track.frame(leader, point, dir);
    paintCar(canvas, point + leftOf(dir) * leaderSide, dir, {hex(0xd8221c), hex(0xffd23a)});
    darkenForMenu(canvas);
    paintBandEdges(canvas);
    if (!paintName(canvas, ft.face)) {
        std::printf("titlegen: FreeType could not draw the name with %s\n", argv[1]);
        return 1;
    }

    if (!writeFileAtomically(argv[2], canvas.encodeBmp())) {
        std::printf("titlegen: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
