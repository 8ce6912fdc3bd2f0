#include "tilegen.hpp"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kT = kTileSide;

struct Rgb {
    double r = 0, g = 0, b = 0;
};
Rgb operator+(Rgb a, Rgb b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
Rgb operator*(Rgb a, double k) {
    return {a.r * k, a.g * k, a.b * k};
}
Rgb mix(Rgb a, Rgb b, double t) {
    return a * (1 - t) + b * t;
}
constexpr Rgb hex(std::uint32_t v) {
    return {double((v >> 16) & 255) / 255, double((v >> 8) & 255) / 255, double(v & 255) / 255};
}
double clamp01(double v) {
    return std::clamp(v, 0.0, 1.0);
}
double smoothstep(double a, double b, double x) {
    const double t = clamp01((x - a) / (b - a));
    return t * t * (3 - 2 * t);
}
// Never pure black (transparent in masked copies) nor pure white (the
// tileset's colour key): both would punch holes into the picture.
std::uint32_t pack(Rgb c) {
    auto ch = [](double v) {
        return std::uint32_t(std::lround(std::clamp(v, 0.0, 1.0) * 247)) + 4;
    };
    return 0xFF000000u | ch(c.r) << 16 | ch(c.g) << 8 | ch(c.b);
}

std::uint32_t hashInts(int x, int y, std::uint32_t seed) {
    std::uint32_t h =
        std::uint32_t(x) * 0x8da6b343u ^ std::uint32_t(y) * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return h;
}
double hash01(int x, int y, std::uint32_t seed) {
    return double(hashInts(x, y, seed) & 0xffffff) / double(0x1000000);
}

// Value noise on a lattice of `step` pixels that repeats every tile, so a
// texture made of it meets itself seamlessly across cells.
double tileNoise(double u, double v, int step, std::uint32_t seed) {
    const int period = kT / step;
    const double fx = u / step, fy = v / step;
    const int ix = int(std::floor(fx)), iy = int(std::floor(fy));
    const double tx = smoothstep(0, 1, fx - ix), ty = smoothstep(0, 1, fy - iy);
    auto at = [&](int x, int y) {
        return hash01(((x % period) + period) % period, ((y % period) + period) % period, seed);
    };
    const double a = at(ix, iy), b = at(ix + 1, iy), c = at(ix, iy + 1), d = at(ix + 1, iy + 1);
    return (a * (1 - tx) + b * tx) * (1 - ty) + (c * (1 - tx) + d * tx) * ty;
}
// Zero on a tile's border, one in its middle: per-cell variety fades out
// before it reaches a neighbour.
double window(double u, double v) {
    return std::sin(kPi * u / kT) * std::sin(kPi * v / kT);
}
int pixelHash(double u, double v) {
    return (int(u) & 31) + 32 * (int(v) & 31);
}

enum class Style : std::uint8_t { Grass, Sand, Snow, Slabs, Gravel, Dirt, Water, Ice };

struct Material {
    Style style;
    Rgb colour;
};

struct Theme {
    const char* name;
    std::array<Material, 5> ground; // Plain, Rough, Pavement, Trap, Water
    Rgb asphalt;
    Rgb edgeLine;
    double stripes; // strength of the mowing stripes on plain grass
    Rgb verge;      // worn ground just off the road
    Rgb leaf, needle, frond;
    bool snowyTrees;
    Rgb rock;
    Rgb flatRoof, tiledRoof, metalRoof;
    Rgb wall;
    Rgb shore; // the band of ground around water
};

const Theme kThemes[] = {
    {"meadow",
     {{{Style::Grass, hex(0x4f8a32)},
       {Style::Grass, hex(0x3f7428)},
       {Style::Slabs, hex(0xa8a69e)},
       {Style::Gravel, hex(0xc4b594)},
       {Style::Water, hex(0x2f6f9a)}}},
     hex(0x5a5b5f),
     hex(0xeeeeea),
     0.07,
     hex(0x6b6a45),
     hex(0x3d7a2a),
     hex(0x2a5a34),
     hex(0x6c9a2e),
     false,
     hex(0x8c8478),
     hex(0x8f9092),
     hex(0xa5513a),
     hex(0x4f6f96),
     hex(0xc9c7c0),
     hex(0xb8ad82)},
    {"desert",
     {{{Style::Sand, hex(0xd9b47a)},
       {Style::Sand, hex(0xc69858)},
       {Style::Slabs, hex(0xc2ab88)},
       {Style::Gravel, hex(0xa8744c)},
       {Style::Water, hex(0x2f8a9a)}}},
     hex(0x6a6460),
     hex(0xf0ece0),
     0.0,
     hex(0xb08e5e),
     hex(0x5f8a34),
     hex(0x4a6a3a),
     hex(0x7ea23a),
     false,
     hex(0x9a6446),
     hex(0xc8b08a),
     hex(0xb0603e),
     hex(0x8a8f94),
     hex(0xd8c8a8),
     hex(0xe6d2a0)},
    {"forest",
     {{{Style::Grass, hex(0x3f6e2a)},
       {Style::Dirt, hex(0x6e5638)},
       {Style::Slabs, hex(0x9a988e)},
       {Style::Dirt, hex(0x8a7250)},
       {Style::Water, hex(0x2a5a6e)}}},
     hex(0x56575a),
     hex(0xe8e8e2),
     0.0,
     hex(0x5e5236),
     hex(0x3a7a2c),
     hex(0x24503a),
     hex(0x6c9a2e),
     false,
     hex(0x7e7a72),
     hex(0x8a8a86),
     hex(0x9a5238),
     hex(0x54705a),
     hex(0xbdbbb4),
     hex(0x8a7a5a)},
    {"city",
     {{{Style::Slabs, hex(0xa6a49c)},
       {Style::Grass, hex(0x4e8434)},
       {Style::Slabs, hex(0xbcb8ae)},
       {Style::Gravel, hex(0xb0a68c)},
       {Style::Water, hex(0x35627e)}}},
     hex(0x4e4f53),
     hex(0xf0f0ec),
     0.0,
     hex(0x85837c),
     hex(0x3f7e2e),
     hex(0x2a5a34),
     hex(0x6c9a2e),
     false,
     hex(0x8a8680),
     hex(0x7d7e80),
     hex(0x9e4a34),
     hex(0x5a7a98),
     hex(0xc4c2bc),
     hex(0x9a9890)},
    {"snow",
     {{{Style::Snow, hex(0xe6ecf4)},
       {Style::Snow, hex(0xcdd8e6)},
       {Style::Slabs, hex(0xb4b8bc)},
       {Style::Snow, hex(0xf2f5fa)},
       {Style::Ice, hex(0xa8c8de)}}},
     hex(0x4c4f55),
     hex(0xe8c84a),
     0.0,
     hex(0x9aa0a8),
     hex(0x3a6a34),
     hex(0x23483a),
     hex(0x5a8a3a),
     true,
     hex(0x6e6e74),
     hex(0x8e9094),
     hex(0x8a4a3a),
     hex(0x4a5e7a),
     hex(0xb8bcc4),
     hex(0xd0dae6)},
    {"park",
     {{{Style::Grass, hex(0x5a9438)},
       {Style::Grass, hex(0x4a7e2c)},
       {Style::Slabs, hex(0xb8b2a2)},
       {Style::Sand, hex(0xdcc896)},
       {Style::Water, hex(0x3a7aa4)}}},
     hex(0x5c5d62),
     hex(0xeeeeea),
     0.05,
     hex(0x78704a),
     hex(0x4a8a30),
     hex(0x2a5a34),
     hex(0x6c9a2e),
     false,
     hex(0x8e8a80),
     hex(0x8a8c90),
     hex(0xb05a40),
     hex(0x3f7fa8),
     hex(0xcac8c0),
     hex(0xd8c898)},
    {"autumn",
     {{{Style::Grass, hex(0x6f8a34)},
       {Style::Grass, hex(0x8a8038)},
       {Style::Slabs, hex(0xaaa69a)},
       {Style::Gravel, hex(0xbcae8e)},
       {Style::Water, hex(0x2e6688)}}},
     hex(0x58595d),
     hex(0xeeeeea),
     0.06,
     hex(0x6e6440),
     hex(0xc8642a),
     hex(0x2f5a36),
     hex(0x6c9a2e),
     false,
     hex(0x8a8278),
     hex(0x8e8f90),
     hex(0x9a4a34),
     hex(0x6a5a8a),
     hex(0xc8c6be),
     hex(0xb4a878)},
    {"coast",
     {{{Style::Grass, hex(0x6a9a44)},
       {Style::Sand, hex(0xe2cc92)},
       {Style::Slabs, hex(0xc8c0ae)},
       {Style::Sand, hex(0xeedcaa)},
       {Style::Water, hex(0x1f78a8)}}},
     hex(0x5e5f64),
     hex(0xf2f2ee),
     0.0,
     hex(0x9a8e62),
     hex(0x4a8a34),
     hex(0x2a5a34),
     hex(0x7aa83a),
     false,
     hex(0x9a948a),
     hex(0xd6d0c4),
     hex(0xb8643e),
     hex(0x3a86b0),
     hex(0xd0ccc2),
     hex(0xecdcaa)},
    // Daylight colours: the night's own light dims them (see kNights).
    {"night",
     {{{Style::Grass, hex(0x3e6e38)},
       {Style::Grass, hex(0x345e2e)},
       {Style::Slabs, hex(0xa6a49c)},
       {Style::Gravel, hex(0xb6aa8e)},
       {Style::Water, hex(0x2a5a80)}}},
     hex(0x5a5b60),
     hex(0xeeeeea),
     0.05,
     hex(0x5e5e40),
     hex(0x3a7430),
     hex(0x2a5434),
     hex(0x6c9a2e),
     false,
     hex(0x88827a),
     hex(0x8c8e92),
     hex(0x9a4c38),
     hex(0x56708c),
     hex(0xc8c6c0),
     hex(0xa89e7a)},
};

Rgb materialColour(const Material& m, double u, double v, int variant, double depth) {
    const double n8 = tileNoise(u, v, 8, 11), n4 = tileNoise(u, v, 4, 12);
    const double grain = hash01(pixelHash(u, v), 0, 13);
    const double w = window(u, v);
    const double vary = w * (tileNoise(u, v, 16, 20 + variant) - 0.5);
    Rgb c = m.colour;
    switch (m.style) {
    case Style::Grass: {
        // Short vertical blades: streaks three pixels long.
        const double blade = hash01(int(u) & 31, (int(v) / 3 + int(u) * 7) & 31, 14);
        c = c * (1 + 0.10 * (n8 - 0.5) + 0.08 * (n4 - 0.5) + 0.10 * (blade - 0.5) + 0.16 * vary);
        c.r += 0.03 * (n4 - 0.5);
        if (variant == 3) {
            // A few daisies, well inside the tile.
            const double fx = 9 + 14 * hash01(variant, 1, 15), fy = 9 + 14 * hash01(variant, 2, 15);
            const double d = std::hypot(u + 0.5 - fx, v + 0.5 - fy);
            if (d < 1.3) c = hex(0xf4f0d8);
            const double d2 = std::hypot(u + 0.5 - fx - 5, v + 0.5 - fy + 3);
            if (d2 < 1.1) c = hex(0xf2d84a);
        }
        break;
    }
    case Style::Sand: {
        const double ripple = std::sin(2 * kPi * (u / 8 + v / 32) + 2.5 * tileNoise(u, v, 8, 31));
        c = c * (1 + 0.045 * ripple + 0.06 * (n8 - 0.5) + 0.07 * (grain - 0.5) + 0.12 * vary);
        if (variant == 3 && hash01(pixelHash(u, v), 3, 32) > 0.985 && w > 0.3)
            c = c * 0.72; // pebbles
        break;
    }
    case Style::Snow: {
        c = mix(c, hex(0xc4d2ea), 0.35 * n8 + 0.25 * vary);
        c = c * (1 + 0.025 * (n4 - 0.5) + 0.02 * (grain - 0.5));
        if (grain > 0.985) c = c * 1.06;
        break;
    }
    case Style::Slabs: {
        const int sx = int(u) / 16, sy = int(v) / 16;
        c = c * (1 + 0.07 * (hash01(sx, sy, 40 + variant) - 0.5) + 0.05 * (grain - 0.5) +
                 0.04 * (n4 - 0.5));
        if (int(u) % 16 == 0 || int(v) % 16 == 0) c = c * 0.8;
        break;
    }
    case Style::Gravel: {
        const double pebble = hash01((int(u) & 31) / 2, (int(v) & 31) / 2, 50);
        c = c * (0.84 + 0.3 * pebble + 0.08 * (grain - 0.5) + 0.06 * (n8 - 0.5));
        break;
    }
    case Style::Dirt: {
        c = c * (1 + 0.16 * (n8 - 0.5) + 0.12 * (n4 - 0.5) + 0.1 * (grain - 0.5) + 0.15 * vary);
        if (grain > 0.975) c = c * 1.25;
        break;
    }
    case Style::Water: {
        const double wave = std::sin(2 * kPi * (u / 16 + v / 32) + 3 * tileNoise(u, v, 8, 51));
        c = mix(c * 1.25, c * 0.72, smoothstep(0, 26, depth));
        c = c * (1 + 0.05 * wave + 0.03 * (n4 - 0.5));
        if (wave > 0.93) c = mix(c, hex(0xdcecf4), 0.25);
        break;
    }
    case Style::Ice: {
        c = c * (1 + 0.05 * (n8 - 0.5) + 0.03 * (grain - 0.5));
        c = mix(c, hex(0xeef6fc), 0.25 * smoothstep(0.55, 0.9, n4));
        if (std::abs(tileNoise(u, v, 8, 61) - 0.5) < 0.018) c = c * 0.86; // cracks
        break;
    }
    }
    return c;
}

Rgb asphaltColour(Rgb base, double u, double v, int variant) {
    const double n8 = tileNoise(u, v, 8, 71), n4 = tileNoise(u, v, 4, 72);
    const double grain = hash01(pixelHash(u, v), 0, 73);
    const double speck = hash01(pixelHash(u, v), 0, 74);
    const double w = window(u, v);
    Rgb c = base * (1 + 0.05 * (n8 - 0.5) + 0.05 * (n4 - 0.5) + 0.12 * (grain - 0.5));
    if (speck > 0.965) c = c * 1.2; // light aggregate
    if (speck < 0.03) c = c * 0.82;
    if (variant == 1) c = c * (1 - 0.07 * w * smoothstep(0.45, 0.6, tileNoise(u, v, 16, 75)));
    if (variant == 2) {
        // A hairline crack across the middle of the tile.
        const double line = v - 16 - 5 * (tileNoise(u, v, 8, 76) - 0.5) - (u - 16) * 0.4;
        if (std::abs(line) < 0.6 && w > 0.25) c = c * 0.7;
    }
    if (variant == 3) c = c * (1 - 0.12 * w * smoothstep(0.55, 0.75, tileNoise(u, v, 8, 77)));
    return c;
}

int cellVariant(int cx, int cy, int salt) {
    const std::uint32_t h = hashInts(cx, cy, 90 + std::uint32_t(salt));
    const int k = int(h % 10);
    return k < 6 ? 0 : k - 6; // mostly plain tiles: fewer distinct pictures
}

struct Lit {
    bool inside = false;
    Rgb colour;
};

// Shading of a dome seen from above, lit from the upper left.
double domeLight(double dx, double dy, double radius) {
    const double nx = dx / radius, ny = dy / radius;
    const double nz = std::sqrt(std::max(0.0, 1 - nx * nx - ny * ny));
    const double l = -0.5 * nx - 0.6 * ny + 0.62 * nz;
    return 0.55 + 0.55 * std::max(0.0, l);
}

Lit canopy(const Theme& th, Thing thing, int variant, double dx, double dy, bool shade) {
    Lit out;
    const double d = std::hypot(dx, dy);
    const double a = std::atan2(dy, dx);
    switch (thing) {
    case Thing::Broadleaf: {
        const double radius = 14.0 + 0.6 * variant;
        const double edge = radius * (1 + 0.07 * std::sin(5 * a + variant * 1.7) +
                                      0.05 * std::sin(9 * a + variant * 2.3));
        if (d >= edge) return out;
        out.inside = true;
        if (!shade) return out;
        const double clump = tileNoise(dx + 16, dy + 16, 4, 200 + variant);
        Rgb leaf = th.leaf * (0.94 + 0.04 * variant);
        if (th.leaf.r > th.leaf.g) // autumn woods: rust, red and gold crowns
            leaf = variant == 1 ? hex(0xb8402a) : variant == 2 ? hex(0xd89a30) : leaf;
        Rgb c = leaf * domeLight(dx, dy, radius * 1.1) * (0.86 + 0.28 * clump);
        if (d > edge - 1.3) c = c * 0.55;
        out.colour = c;
        return out;
    }
    case Thing::Conifer: {
        const double radius = 13.6 + 0.7 * variant;
        const double spikes = 0.74 + 0.26 * std::pow(std::abs(std::cos(a * 4.5 + variant)), 0.6);
        const double edge = radius * spikes;
        if (d >= edge) return out;
        out.inside = true;
        if (!shade) return out;
        const double tier = 0.86 + 0.14 * std::fmod(d / 3.2 + 10, 1.0);
        Rgb c = th.needle * domeLight(dx, dy, radius * 1.05) * tier;
        if (th.snowyTrees && tileNoise(dx + 16, dy + 16, 4, 210 + variant) > 0.55 && dx + dy < 6)
            c = mix(c, hex(0xf0f4fa), 0.8);
        if (d > edge - 1.2) c = c * 0.6;
        out.colour = c;
        return out;
    }
    case Thing::Palm: {
        const int fronds = 7;
        const double radius = 14.5;
        if (d >= radius) return out;
        const double step = 2 * kPi / fronds;
        double rel = std::fmod(a - variant * 0.7 + 20 * kPi, step);
        rel = std::min(rel, step - rel);
        const double t = d / radius;
        const double width = 0.42 * std::sin(kPi * std::min(1.0, t * 1.15)) + 0.06;
        if (d > 3.2 && rel > width) return out;
        out.inside = true;
        if (!shade) return out;
        Rgb c = th.frond * (0.75 + 0.35 * (1 - t));
        if (rel < 0.06 && d > 3.2) c = c * 0.7; // midrib
        c = c * (0.9 + 0.2 * std::cos(a + 2.3));
        if (d <= 3.2) c = hex(0x6a4a2a) * (0.8 + 0.4 * hash01(int(dx + 20), int(dy + 20), 220));
        out.colour = c;
        return out;
    }
    default:
        return out;
    }
}

Lit rock(const Theme& th, int variant, double dx, double dy) {
    Lit out;
    const double a = std::atan2(dy, dx);
    const double radius = 9.5 + 1.0 * variant;
    const double edge =
        radius * (1 + 0.12 * std::sin(3 * a + variant * 2.1) + 0.06 * std::sin(7 * a + variant));
    const double d = std::hypot(dx, dy);
    if (d >= edge) return out;
    out.inside = true;
    Rgb c = th.rock * domeLight(dx, dy, edge * 1.05) *
            (0.9 + 0.2 * tileNoise(dx + 16, dy + 16, 4, 230 + variant));
    if (d > edge - 1.1) c = c * 0.6;
    out.colour = c;
    return out;
}

// A theme seen at night dims everything to a cool ambient light; round a
// lamp post the ground takes the lamp's warm light instead.
struct Night {
    const char* theme;
    Rgb ambient, lamp;
};
const Night kNights[] = {{"night", {0.36, 0.40, 0.54}, {1.02, 0.94, 0.74}}};

const Night* nightOf(const Theme& th) {
    for (const Night& n : kNights)
        if (std::string(n.theme) == th.name) return &n;
    return nullptr;
}

Rgb times(Rgb a, Rgb b) {
    return {a.r * b.r, a.g * b.g, a.b * b.b};
}

// A direction in map pixels, of unit length.
struct Heading {
    double x = 0, y = 1;
};

// From a cell's middle towards the nearest cell of `ground` within `range`
// cells; straight down when there is none.
Heading towards(const Scene& scene, int cx, int cy, int range, Ground ground) {
    Heading out;
    int best = range * range * 2 + 1;
    for (int dy = -range; dy <= range; ++dy)
        for (int dx = -range; dx <= range; ++dx) {
            const int x = cx + dx, y = cy + dy, d = dx * dx + dy * dy;
            if (x < 0 || y < 0 || x >= scene.width || y >= scene.height || d >= best) continue;
            if (scene.at(x, y).ground != ground) continue;
            best = d;
            const double len = std::sqrt(double(d));
            out = {dx / len, dy / len};
        }
    return out;
}

// Lamp posts and cranes reach over the cells round them: a lamp hangs out
// over the road, a crane's jib swings out over the water.
struct Reaching {
    double x = 0, y = 0; // the middle of its cell, in map pixels
    Heading dir;
};

constexpr double kPoleRadius = 3.5;
constexpr double kLampArm = 10;
constexpr double kPoolCore = 18, kPoolReach = 84; // full light, then none
constexpr double kCraneBase = 10;                 // half the portal's side
constexpr double kJibLength = 92;

std::vector<Reaching> reachingNear(const Scene& scene, int cx, int cy, int range, Thing thing) {
    std::vector<Reaching> out;
    for (int y = std::max(cy - range, 0); y <= std::min(cy + range, scene.height - 1); ++y)
        for (int x = std::max(cx - range, 0); x <= std::min(cx + range, scene.width - 1); ++x) {
            if (scene.at(x, y).thing != thing) continue;
            const Heading h = thing == Thing::LampPost ? towards(scene, x, y, 3, Ground::Road)
                                                       : towards(scene, x, y, 5, Ground::Water);
            out.push_back({x * kT + 16.0, y * kT + 16.0, h});
        }
    return out;
}

// How much lamp light falls on a point, 0..1.
double lampLight(const std::vector<Reaching>& lamps, double x, double y) {
    double sum = 0;
    for (const Reaching& l : lamps) {
        const double d = std::hypot(x - l.x - l.dir.x * kLampArm, y - l.y - l.dir.y * kLampArm);
        sum += 1 - smoothstep(kPoolCore, kPoolReach, d);
    }
    return std::min(sum, 1.0);
}

// What a lamp post shows above the ground: its cap, the arm and the lamp.
// `glow` is set on the lamp itself, which no night dims.
Lit lampTop(const Reaching& l, double x, double y, bool& glow) {
    Lit out;
    const double a = (x - l.x) * l.dir.x + (y - l.y) * l.dir.y;
    const double b = -(x - l.x) * l.dir.y + (y - l.y) * l.dir.x;
    if (a >= kLampArm - 4.5 && a <= kLampArm + 4.5 && std::abs(b) <= 3.2) {
        out.inside = glow = true;
        const double r = std::hypot((a - kLampArm) / 4.5, b / 3.2);
        out.colour = r > 0.8 ? hex(0x6a6c70) : mix(hex(0xfff6d0), hex(0xf0d890), r);
        return out;
    }
    if (std::hypot(a, b) <= kPoleRadius - 1 || (a >= 0 && a <= kLampArm && std::abs(b) <= 1)) {
        out.inside = true;
        out.colour = hex(0x7a7c80) * (b < 0 ? 1.15 : 0.85);
    }
    return out;
}

// A crane from above: the machinery house, the counterweight behind it and
// the lattice jib, which the cars below show through.
Lit craneTop(const Reaching& c, double x, double y) {
    Lit out;
    const double a = (x - c.x) * c.dir.x + (y - c.y) * c.dir.y;
    const double b = -(x - c.x) * c.dir.y + (y - c.y) * c.dir.x;
    const Rgb paint = hex(0xe0a82a);
    if (std::abs(a) <= 9 && std::abs(b) <= 7) {
        out.inside = true;
        out.colour = paint * (std::abs(a) > 7.8 || std::abs(b) > 5.8 ? 0.7 : 1.0);
        if (a > 2 && a < 6 && std::abs(b) < 4.5) out.colour = hex(0x6a8aa4); // cab windows
        return out;
    }
    if (a < -9 && a >= -17 && std::abs(b) <= 6) {
        out.inside = true;
        out.colour = hex(0x7a7a76) * (a < -16 || std::abs(b) > 5 ? 0.7 : 1.0);
        return out;
    }
    if (a > 9 && a <= kJibLength && std::abs(b) <= 3.5) {
        const double t = std::fmod(a - 9, 8);
        const double lace = t < 4 ? -3 + 1.5 * t : 3 - 1.5 * (t - 4);
        const bool chord = std::abs(b) >= 2.2;
        const bool tip = a > kJibLength - 4;
        if (chord || tip || std::abs(b - lace) < 0.8) {
            out.inside = true;
            out.colour = paint * (b > 0 ? 0.8 : 1.05);
        }
    }
    return out;
}

} // namespace

const SceneCell& Scene::at(int x, int y) const {
    x = std::clamp(x, 0, width - 1);
    y = std::clamp(y, 0, height - 1);
    return cells[std::size_t(y) * width + x];
}

double Curve::turned(double x, double y) const {
    double a = std::atan2(x - cx, cy - y) - from * (kPi / 4);
    a = std::fmod(a, 2 * kPi);
    return a < 0 ? a + 2 * kPi : a;
}

bool Curve::owns(double x, double y) const {
    const double reach = this->reach();
    if (std::abs(x - cx) > reach || std::abs(y - cy) > reach) return false;
    return turned(x, y) <= span * (kPi / 4);
}

bool Curve::road(double x, double y) const {
    const double d = std::hypot(x - cx, y - cy);
    return d >= inner && d <= outer && turned(x, y) <= span * (kPi / 4);
}

const Curve* Scene::curveAt(double x, double y) const {
    for (const Curve& c : curves)
        if (c.owns(x, y)) return &c;
    return nullptr;
}

bool knownTheme(const std::string& name) {
    for (const Theme& t : kThemes)
        if (name == t.name) return true;
    return false;
}

std::string themeList() {
    std::string out;
    for (const Theme& t : kThemes)
        out += (out.empty() ? "" : ", ") + std::string(t.name);
    return out;
}

bool isTree(Thing t) {
    return t == Thing::Broadleaf || t == Thing::Conifer || t == Thing::Palm;
}
bool isRoof(Thing t) {
    return t == Thing::FlatRoof || t == Thing::TiledRoof || t == Thing::MetalRoof ||
           t == Thing::Container;
}
bool isBarrier(Thing t) {
    return t == Thing::Tyres || t == Thing::Wall;
}

namespace {

constexpr double kBarrierHalf = 5.5;

bool barrierCell(const Scene& scene, int x, int y) {
    return x >= 0 && y >= 0 && x < scene.width && y < scene.height &&
           isBarrier(scene.at(x, y).thing);
}

} // namespace

namespace {

// Distance to the nearest barrier centre line; `along` runs the length of
// that segment, `across` is positive on its lower right side.
struct Near {
    double dist = 1e9, along = 0, across = 0, tyre = 1e9;
    bool tyres = false;
};

Near nearestBarrier(const std::vector<BarrierSegment>& barriers, double x, double y) {
    Near n;
    for (const BarrierSegment& b : barriers) {
        const double dx = b.x2 - b.x1, dy = b.y2 - b.y1;
        const double len = std::hypot(dx, dy);
        const double t =
            len > 0 ? std::clamp(((x - b.x1) * dx + (y - b.y1) * dy) / (len * len), 0.0, 1.0) : 0;
        const double qx = b.x1 + dx * t, qy = b.y1 + dy * t;
        const double d = std::hypot(x - qx, y - qy);
        if (b.tyres)
            for (int k = 0; k <= b.tyreCount; ++k) {
                const double f = b.tyreCount ? double(k) / b.tyreCount : 0;
                n.tyre = std::min(n.tyre, std::hypot(x - b.x1 - dx * f, y - b.y1 - dy * f));
            }
        if (d < n.dist) {
            n.dist = d;
            n.tyres = b.tyres;
            n.along = t * len;
            n.across = len > 0 ? ((x - b.x1) * -dy + (y - b.y1) * dx) / len : 0;
            if (len > 0 && -dy + dx < 0) n.across = -n.across;
        }
    }
    return n;
}

constexpr double kTyreRadius = 5.4;

// What a pixel of a barrier shows: concrete, a tyre, or neither.
bool wallPixel(const Near& n) {
    return n.dist <= kBarrierHalf && !n.tyres;
}
bool tyrePixel(const Near& n) {
    return n.tyres && n.tyre < kTyreRadius;
}

} // namespace

std::vector<BarrierSegment> barrierSegments(const Scene& scene, int x1, int y1, int x2, int y2) {
    std::vector<BarrierSegment> out;
    const int dirs[4][2] = {{1, 0}, {0, 1}, {1, 1}, {-1, 1}};
    for (int y = y1 - 1; y <= y2 + 1; ++y)
        for (int x = x1 - 1; x <= x2 + 1; ++x) {
            if (!barrierCell(scene, x, y)) continue;
            const bool tyres = scene.at(x, y).thing == Thing::Tyres;
            const double ax = x * kT + 16.0, ay = y * kT + 16.0;
            bool joined = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if ((dx || dy) && barrierCell(scene, x + dx, y + dy) &&
                        (!dx || !dy ||
                         (!barrierCell(scene, x + dx, y) && !barrierCell(scene, x, y + dy))))
                        joined = true;
            if (!joined) out.push_back({ax, ay, ax, ay, tyres, 0});
            for (const auto& d : dirs) {
                const int nx = x + d[0], ny = y + d[1];
                if (!barrierCell(scene, nx, ny)) continue;
                const bool diagonal = d[0] && d[1];
                // Across a corner only when no cell beside it is a barrier,
                // so a staircase of cells becomes one slanting wall.
                if (diagonal && (barrierCell(scene, nx, y) || barrierCell(scene, x, ny))) continue;
                // A segment belongs to the painting of every cell it crosses.
                if (std::max(x, nx) < x1 - 1 || std::min(x, nx) > x2 + 1 || y > y2 + 1 ||
                    ny < y1 - 1)
                    continue;
                out.push_back({ax, ay, nx * kT + 16.0, ny * kT + 16.0,
                               tyres && scene.at(nx, ny).thing == Thing::Tyres, diagonal ? 4 : 3});
            }
        }
    return out;
}

std::vector<PixelRect> mergeRects(const std::vector<std::uint8_t>& grid, int w, int h) {
    std::vector<PixelRect> out;
    std::vector<std::uint8_t> used(grid.size(), 0);
    auto free = [&](int x, int y) {
        const std::size_t i = std::size_t(y) * w + x;
        return grid[i] && !used[i];
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (!free(x, y)) continue;
            int x2 = x;
            while (x2 < w && free(x2, y))
                ++x2;
            int y2 = y + 1;
            for (; y2 < h; ++y2) {
                bool full = true;
                for (int i = x; i < x2 && full; ++i)
                    full = free(i, y2);
                if (!full) break;
            }
            for (int j = y; j < y2; ++j)
                for (int i = x; i < x2; ++i)
                    used[std::size_t(j) * w + i] = 1;
            out.push_back({x, y, x2, y2});
        }
    return out;
}

namespace {

// Grows a rectangle about its middle to at least `side` pixels each way.
PixelRect thickened(PixelRect r, int side) {
    if (r.x2 - r.x1 < side) {
        const int grow = side - (r.x2 - r.x1);
        r.x1 -= grow / 2;
        r.x2 += grow - grow / 2;
    }
    if (r.y2 - r.y1 < side) {
        const int grow = side - (r.y2 - r.y1);
        r.y1 -= grow / 2;
        r.y2 += grow - grow / 2;
    }
    return r;
}

bool within(const PixelRect& inner, const PixelRect& outer) {
    return inner.x1 >= outer.x1 && inner.y1 >= outer.y1 && inner.x2 <= outer.x2 &&
           inner.y2 <= outer.y2;
}

// Joins rectangles that continue one another (same rows and touching, or
// same columns and touching) and drops those inside another: a join never
// makes a rectangle thinner than its parts.
std::vector<PixelRect> joined(std::vector<PixelRect> rects) {
    for (std::size_t i = 0; i < rects.size(); ++i) {
        bool grew = true;
        while (grew) {
            grew = false;
            for (std::size_t j = 0; j < rects.size(); ++j) {
                if (j == i) continue;
                PixelRect& a = rects[i];
                const PixelRect& b = rects[j];
                const bool rows = a.y1 == b.y1 && a.y2 == b.y2 && a.x1 <= b.x2 && b.x1 <= a.x2;
                const bool columns = a.x1 == b.x1 && a.x2 == b.x2 && a.y1 <= b.y2 && b.y1 <= a.y2;
                if (!within(b, a) && !rows && !columns) continue;
                a = {std::min(a.x1, b.x1), std::min(a.y1, b.y1), std::max(a.x2, b.x2),
                     std::max(a.y2, b.y2)};
                rects.erase(rects.begin() + std::ptrdiff_t(j));
                if (j < i) --i;
                grew = true;
                break;
            }
        }
    }
    return rects;
}

bool treeAt(const Scene& scene, int x, int y) {
    return x >= 0 && y >= 0 && x < scene.width && y < scene.height && isTree(scene.at(x, y).thing);
}

// A trunk under a crown: what stops a car at a tree.
constexpr double kTrunkRadius = 4;

} // namespace

std::vector<PixelRect> obstacleRects(const Scene& scene, int minSide) {
    std::vector<PixelRect> out;
    // Trees standing together make one solid wood, stopped at the trunks
    // of its outer trees; a lone tree stops cars at its trunk.
    std::vector<std::uint8_t> woods(std::size_t(scene.width) * scene.height, 0);
    for (int cy = 0; cy < scene.height; ++cy)
        for (int cx = 0; cx < scene.width; ++cx)
            woods[std::size_t(cy) * scene.width + cx] = treeAt(scene, cx, cy);
    const int inset = std::clamp((kT - minSide) / 2, 0, 12);
    for (const PixelRect& r : mergeRects(woods, scene.width, scene.height)) {
        auto open = [&](int x1, int y1, int x2, int y2) {
            for (int y = y1; y <= y2; ++y)
                for (int x = x1; x <= x2; ++x)
                    if (treeAt(scene, x, y)) return false;
            return true;
        };
        out.push_back({r.x1 * kT + (open(r.x1 - 1, r.y1, r.x1 - 1, r.y2 - 1) ? inset : 0),
                       r.y1 * kT + (open(r.x1, r.y1 - 1, r.x2 - 1, r.y1 - 1) ? inset : 0),
                       r.x2 * kT - (open(r.x2, r.y1, r.x2, r.y2 - 1) ? inset : 0),
                       r.y2 * kT - (open(r.x1, r.y2, r.x2 - 1, r.y2) ? inset : 0)});
    }
    for (int cy = 0; cy < scene.height; ++cy)
        for (int cx = 0; cx < scene.width; ++cx) {
            const Thing t = scene.at(cx, cy).thing;
            if (isRoof(t)) out.push_back({cx * kT, cy * kT, (cx + 1) * kT, (cy + 1) * kT});
            // A lamp's pole and a crane's portal; what hangs above them the
            // cars pass under.
            if (t == Thing::LampPost)
                out.push_back({cx * kT + 12, cy * kT + 12, cx * kT + 20, cy * kT + 20});
            if (t == Thing::Crane) {
                const int b = int(kCraneBase);
                out.push_back(
                    {cx * kT + 16 - b, cy * kT + 16 - b, cx * kT + 16 + b, cy * kT + 16 + b});
            }
            if (t != Thing::Rock) continue;
            // The stone's own outline: its size varies from cell to cell.
            const int variant = int(hashInts(cx, cy, 300) % 3);
            PixelRect box{kT, kT, 0, 0};
            for (int v = 0; v < kT; ++v)
                for (int u = 0; u < kT; ++u)
                    if (rock(kThemes[0], variant, u + 0.5 - 16, v + 0.5 - 16).inside)
                        box = {std::min(box.x1, u), std::min(box.y1, v), std::max(box.x2, u + 1),
                               std::max(box.y2, v + 1)};
            if (box.x2 > box.x1)
                out.push_back(
                    {cx * kT + box.x1, cy * kT + box.y1, cx * kT + box.x2, cy * kT + box.y2});
        }
    // A barrier paints every pixel whose middle lies within kBarrierHalf of
    // its centre line (tyres stay inside that band): 6 pixels either side
    // of the line's pixel boundary hold them all.
    const int reach = int(std::ceil(kBarrierHalf + 0.5));
    for (const BarrierSegment& b :
         barrierSegments(scene, 0, 0, scene.width - 1, scene.height - 1)) {
        const int ax = int(b.x1), ay = int(b.y1), bx = int(b.x2), by = int(b.y2);
        if (ax == bx || ay == by) {
            out.push_back({std::min(ax, bx) - reach, std::min(ay, by) - reach,
                           std::max(ax, bx) + reach, std::max(ay, by) + reach});
            continue;
        }
        // Along a slant, overlapping squares: the notch between two
        // neighbours lies (side - step) / sqrt 2 from the line, well
        // outside the painted band, and each square is thick on its own.
        const int side = std::max(minSide, 16);
        const double step = side - reach * std::sqrt(2.0) - 1.5;
        const int steps = int(std::ceil(std::max(std::abs(bx - ax), std::abs(by - ay)) / step));
        for (int i = 0; i <= steps; ++i) {
            const double x = ax + double(bx - ax) * i / steps;
            const double y = ay + double(by - ay) * i / steps;
            const int x1 = int(std::floor(x - side / 2.0)), y1 = int(std::floor(y - side / 2.0));
            out.push_back({x1, y1, x1 + side, y1 + side});
        }
    }
    for (PixelRect& r : out)
        r = thickened(r, minSide);
    return joined(std::move(out));
}

bool solidPixels(const Scene& scene, int cx, int cy, std::array<bool, kT * kT>& out) {
    out.fill(false);
    const SceneCell& cell = scene.at(cx, cy);
    const std::vector<BarrierSegment> barriers =
        barrierSegments(scene, cx - 1, cy - 1, cx + 1, cy + 1);
    const int variant = int(hashInts(cx, cy, 300) % 3);
    bool any = false;
    for (int v = 0; v < kT; ++v)
        for (int u = 0; u < kT; ++u) {
            const double fu = u + 0.5, fv = v + 0.5;
            bool solid = isRoof(cell.thing);
            solid = solid || (isTree(cell.thing) && std::hypot(fu - 16, fv - 16) <= kTrunkRadius);
            solid = solid || (cell.thing == Thing::Rock &&
                              rock(kThemes[0], variant, fu - 16, fv - 16).inside);
            solid = solid ||
                    (cell.thing == Thing::LampPost && std::hypot(fu - 16, fv - 16) <= kPoleRadius);
            solid = solid || (cell.thing == Thing::Crane && std::abs(fu - 16) <= kCraneBase &&
                              std::abs(fv - 16) <= kCraneBase);
            if (!solid && !barriers.empty()) {
                const Near n = nearestBarrier(barriers, cx * kT + fu, cy * kT + fv);
                solid = wallPixel(n) || tyrePixel(n);
            }
            out[std::size_t(v) * kT + u] = solid;
            any = any || solid;
        }
    return any;
}

// ------------------------------------------------------------------ painter

float Painter::Field::at(int x, int y) const {
    if (d.empty()) return -100;
    x = std::clamp(x, 0, w - 1);
    y = std::clamp(y, 0, h - 1);
    return d[std::size_t(y) * w + x];
}

namespace {

int groundLevel(const SceneCell& c) {
    return int(c.ground);
}

// Squared distance transform of one row or column (Felzenszwalb and
// Huttenlocher): f is 0 on features and huge elsewhere.
void distance1d(const double* f, double* d, int n, int* v, double* z) {
    int k = 0;
    v[0] = 0;
    z[0] = -1e30;
    z[1] = 1e30;
    for (int q = 1; q < n; ++q) {
        double s =
            ((f[q] + double(q) * q) - (f[v[k]] + double(v[k]) * v[k])) / (2.0 * q - 2.0 * v[k]);
        while (s <= z[k]) {
            --k;
            s = ((f[q] + double(q) * q) - (f[v[k]] + double(v[k]) * v[k])) / (2.0 * q - 2.0 * v[k]);
        }
        ++k;
        v[k] = q;
        z[k] = s;
        z[k + 1] = 1e30;
    }
    k = 0;
    for (int q = 0; q < n; ++q) {
        while (z[k + 1] < q)
            ++k;
        d[q] = double(q - v[k]) * (q - v[k]) + f[v[k]];
    }
}

// Distances from every pixel to the nearest pixel where feature is true.
std::vector<double> distanceTo(const std::vector<bool>& feature, int w, int h) {
    const double far = 1e12;
    std::vector<double> grid(feature.size());
    for (std::size_t i = 0; i < feature.size(); ++i)
        grid[i] = feature[i] ? 0 : far;
    const int n = std::max(w, h);
    std::vector<double> f(n), d(n), z(n + 1);
    std::vector<int> v(n);
    for (int x = 0; x < w; ++x) {
        for (int y = 0; y < h; ++y)
            f[y] = grid[std::size_t(y) * w + x];
        distance1d(f.data(), d.data(), h, v.data(), z.data());
        for (int y = 0; y < h; ++y)
            grid[std::size_t(y) * w + x] = d[y];
    }
    for (int y = 0; y < h; ++y) {
        double* row = grid.data() + std::size_t(y) * w;
        std::copy(row, row + w, f.begin());
        distance1d(f.data(), d.data(), w, v.data(), z.data());
        for (int x = 0; x < w; ++x)
            row[x] = std::sqrt(d[x]);
    }
    return grid;
}

} // namespace

Painter::Painter(const Scene& scene) : scene_(scene) {
    for (int i = 0; i < int(std::size(kThemes)); ++i)
        if (scene.theme == kThemes[i].name) themeIndex_ = i;
    usable_ = scene.width >= 1 && scene.height >= 1 && scene.width <= kMaxSceneSide &&
              scene.height <= kMaxSceneSide &&
              std::int64_t(scene.width) * scene.height <= kMaxSceneCells &&
              scene.cells.size() == std::size_t(scene.width) * std::size_t(scene.height);
    if (!usable_) return;
    nearCurve_.assign(scene.cells.size(), 0);
    for (int cy = 0; cy < scene.height; ++cy)
        for (int cx = 0; cx < scene.width; ++cx)
            for (int j = 0; j <= 4; ++j)
                for (int i = 0; i <= 4; ++i)
                    if (scene.curveAt(cx * kT + i * kT / 4.0, cy * kT + j * kT / 4.0))
                        nearCurve_[std::size_t(cy) * scene.width + cx] = 1;
    for (int level = 1; level < kGroundLevels; ++level)
        buildField(level);
    phaseCurveKerbs();
}

// Road cells hide the ground under them except where a corner is cut away;
// there they take the highest ground around them, and only for shaping
// their own cell, so a lake never reaches out along a road.
int Painter::groundUnder(int cx, int cy) const {
    int best = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int l = groundLevel(scene_.at(cx + dx, cy + dy));
            if (l != int(Ground::Road)) best = std::max(best, l);
        }
    return best;
}

bool Painter::member(int level, int cx, int cy, bool underRoad) const {
    const int l = groundLevel(scene_.at(cx, cy));
    const int road = int(Ground::Road);
    if (level == road) return l == road;
    if (l == road) return underRoad && groundUnder(cx, cy) >= level;
    return l >= level;
}

bool Painter::nearCurve(int cx, int cy) const {
    return cx >= 0 && cy >= 0 && cx < scene_.width && cy < scene_.height &&
           nearCurve_[std::size_t(cy) * scene_.width + cx];
}

bool Painter::noFill(int cx, int cy) const {
    // Beside a bridge deck the lower road passes under: no corner fills that
    // would turn the crossing into a junction.
    for (const Bridge& b : scene_.bridges)
        if (cx >= b.x1 - 1 && cx <= b.x2 + 1 && cy >= b.y1 - 1 && cy <= b.y2 + 1) return true;
    return false;
}

// The shape of a ground level inside one cell. A cell whose corner has the
// level on neither side loses the triangle of that corner (a diagonal
// staircase of cells becomes one straight edge); a cell outside the level
// with the level along two long sides gains one (a rounded inner corner).
bool Painter::inside(int level, double fx, double fy) const {
    if (level == int(Ground::Road))
        if (const Curve* c = scene_.curveAt(fx, fy)) return c->road(fx, fy);
    const int cx = int(std::floor(fx / kT)), cy = int(std::floor(fy / kT));
    const double u = fx - cx * kT, v = fy - cy * kT;
    // Round a bend the ring, not the cells' corner fills, covers the road's
    // corners, so no ground is cut away there for a fill to cover.
    const bool underRoad = scene_.at(cx, cy).ground == Ground::Road || nearCurve(cx, cy);
    auto m = [&](int dx, int dy) { return member(level, cx + dx, cy + dy, underRoad); };
    const bool n = m(0, -1), s = m(0, 1), e = m(1, 0), w = m(-1, 0);
    if (m(0, 0)) {
        auto round = [&](double ox, double oy) {
            return std::hypot(u - ox, v - oy) <= 16.0 || (u < 16) != (ox < 16) ||
                   (v < 16) != (oy < 16);
        };
        if (!n && !e && !(s && w ? v >= u : round(16, 16) || !(u > 16 && v < 16))) return false;
        if (!n && !w && !(s && e ? u + v >= kT : round(16, 16) || !(u < 16 && v < 16)))
            return false;
        if (!s && !e && !(n && w ? u + v <= kT : round(16, 16) || !(u > 16 && v > 16)))
            return false;
        if (!s && !w && !(n && e ? v <= u : round(16, 16) || !(u < 16 && v > 16))) return false;
        return true;
    }
    if (noFill(cx, cy)) return false;
    const bool ne = m(1, -1), nw = m(-1, -1), se = m(1, 1), sw = m(-1, 1);
    if (w && s && sw && nw && se && v >= u) return true;
    if (n && e && ne && nw && se && v <= u) return true;
    if (n && w && nw && ne && sw && u + v <= kT) return true;
    if (s && e && se && ne && sw && u + v >= kT) return true;
    return false;
}

void Painter::buildField(int level) {
    bool any = false;
    for (const SceneCell& c : scene_.cells)
        any = any || groundLevel(c) == level;
    if (!any) return;
    Field& f = fields_[level];
    f.w = scene_.width * kT;
    f.h = scene_.height * kT;
    std::vector<bool> in(std::size_t(f.w) * f.h), out(in.size());
    for (int y = 0; y < f.h; ++y)
        for (int x = 0; x < f.w; ++x) {
            const bool i = inside(level, x + 0.5, y + 0.5);
            in[std::size_t(y) * f.w + x] = i;
            out[std::size_t(y) * f.w + x] = !i;
        }
    const std::vector<double> toOut = distanceTo(out, f.w, f.h);
    const std::vector<double> toIn = distanceTo(in, f.w, f.h);
    f.d.resize(in.size());
    // Clamped, so a pixel's value depends on its own neighbourhood only and
    // equal neighbourhoods paint equal tiles.
    for (std::size_t i = 0; i < in.size(); ++i)
        f.d[i] = float(std::clamp(in[i] ? toOut[i] - 0.5 : -(toIn[i] - 0.5), -30.0, 30.0));
}

float Painter::coverage(int level, int px, int py) const {
    const float sd = fields_[level].at(px, py);
    if (sd > 1.5f) return 1;
    if (sd < -1.5f) return 0;
    int count = 0;
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i)
            count += inside(level, px + (i + 0.5) / 4, py + (j + 0.5) / 4);
    return float(count) / 16;
}

float Painter::roadCoverage(int px, int py) const {
    return coverage(int(Ground::Road), px, py);
}

bool Painter::kerbAt(int cx, int cy) const {
    const SceneCell& c = scene_.at(cx, cy);
    if (c.ground == Ground::Road) return c.kerb;
    const int d[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    for (const auto& o : d) {
        const SceneCell& n = scene_.at(cx + o[0], cy + o[1]);
        if (n.ground == Ground::Road && n.kerb) return true;
    }
    return false;
}

// Blocks of a kerb along a straight or 45-degree edge, which way the edge
// runs read off the road's distance field.
int Painter::straightKerbBlock(int px, int py) const {
    const Field& f = fields_[int(Ground::Road)];
    const double gx = f.at(px + 1, py) - f.at(px - 1, py);
    const double gy = f.at(px, py + 1) - f.at(px, py - 1);
    if (std::abs(gx) > 2 * std::abs(gy)) return py / 8;
    if (std::abs(gy) > 2 * std::abs(gx)) return px / 8;
    if (gx * gy > 0) return (px - py + 4096) / 16;
    return (px + py) / 16;
}

// Round the bend the blocks follow the arc, stretched a little so that a
// whole number of them fits and both ends carry on the straights' rhythm.
int Painter::kerbBlock(int px, int py) const {
    const double x = px + 0.5, y = py + 0.5;
    for (std::size_t i = 0; i < scene_.curves.size(); ++i) {
        const Curve& c = scene_.curves[i];
        if (!c.owns(x, y) || i >= kerbPhases_.size()) continue;
        const bool outerEdge = std::hypot(x - c.cx, y - c.cy) > (c.inner + c.outer) / 2;
        const KerbPhase& k = kerbPhases_[i][outerEdge];
        const int n = int(c.turned(x, y) / (c.span * (kPi / 4)) * k.blocks);
        return k.first + std::clamp(n, 0, k.blocks - 1);
    }
    return straightKerbBlock(px, py);
}

void Painter::phaseCurveKerbs() {
    if (fields_[int(Ground::Road)].d.empty()) return;
    for (const Curve& c : scene_.curves) {
        std::array<KerbPhase, 2> phases;
        for (int e = 0; e < 2; ++e) {
            // Sample the straight just beyond each end, 4 pixels in from
            // the edge.
            const double r = e ? c.outer - 4 : c.inner + 4;
            auto blockBeyond = [&](double angle) {
                const double a = angle * (kPi / 4);
                return straightKerbBlock(int(std::floor(c.cx + r * std::sin(a))),
                                         int(std::floor(c.cy - r * std::cos(a))));
            };
            const double step = 3 / std::max(r, 1.0) / (kPi / 4);
            const int before = blockBeyond(c.from - step) & 1;
            const int after = blockBeyond(c.from + c.span + step) & 1;
            KerbPhase& k = phases[std::size_t(e)];
            k.first = before ^ 1;
            const double length = (e ? c.outer : c.inner) * c.span * (kPi / 4);
            k.blocks = std::max(1, int(std::lround(length / 8)));
            if (((k.first + k.blocks - 1) & 1) != (after ^ 1))
                k.blocks += length / 8 > k.blocks || k.blocks == 1 ? 1 : -1;
        }
        kerbPhases_.push_back(phases);
    }
}

bool Painter::bridgeDeck(int px, int py) const {
    for (const Bridge& b : scene_.bridges)
        if (PixelRect{b.x1 * kT, b.y1 * kT, (b.x2 + 1) * kT, (b.y2 + 1) * kT}.contains(px, py))
            return true;
    return false;
}

bool Painter::paint(int cx, int cy, int layer, TilePixels& out) const {
    out.fill(0);
    switch (layer) {
    case 0:
        paintGround(cx, cy, out);
        return true;
    case 3: {
        TilePixels over;
        paintOver(cx, cy, over);
        return paintShadow(cx, cy, out, over);
    }
    case 4:
        return paintOver(cx, cy, out);
    default:
        return false;
    }
}

void Painter::paintGround(int cx, int cy, TilePixels& out) const {
    const Theme& th = kThemes[themeIndex_];
    const SceneCell& cell = scene_.at(cx, cy);
    const int variant = cellVariant(cx, cy, 0);
    const int thingVariant = int(hashInts(cx, cy, 300) % 3);
    const bool kerb = kerbAt(cx, cy);
    const int roadLevel = int(Ground::Road);
    const std::vector<BarrierSegment> barriers =
        barrierSegments(scene_, cx - 1, cy - 1, cx + 1, cy + 1);
    auto nearBarrier = [&](double x, double y) { return nearestBarrier(barriers, x, y); };
    const Night* night = nightOf(th);
    const std::vector<Reaching> lamps =
        night ? reachingNear(scene_, cx, cy, 4, Thing::LampPost) : std::vector<Reaching>{};
    // White floodlights over the start: the grid and the line look as by
    // day, and the light fades out round them.
    PixelRect start{1 << 20, 1 << 20, -(1 << 20), -(1 << 20)};
    auto cover = [&](int x1, int y1, int x2, int y2) {
        start = {std::min(start.x1, x1), std::min(start.y1, y1), std::max(start.x2, x2),
                 std::max(start.y2, y2)};
    };
    for (const GridSlot& g : scene_.gridSlots)
        cover(g.x - 24, g.y - 24, g.x + 24, g.y + 24);
    for (const PixelRect& q : scene_.chequers)
        if (start.x2 > start.x1) cover(q.x1, q.y1, q.x2, q.y2);
    auto floodlight = [&](double x, double y) {
        if (start.x2 <= start.x1) return 0.0;
        const double dx = std::max({start.x1 - x, x - start.x2, 0.0});
        const double dy = std::max({start.y1 - y, y - start.y2, 0.0});
        return 1 - smoothstep(0, 40, std::hypot(dx, dy));
    };
    // Water beside paved ground meets it at a quay wall, not a beach.
    auto paved = [&](double x, double y) {
        return scene_.at(int(std::floor(x / kT)), int(std::floor(y / kT))).ground ==
               Ground::Pavement;
    };
    auto quayAt = [&](int px, int py) {
        const double x = px + 0.5, y = py + 0.5;
        return paved(x, y) || paved(x - 6, y) || paved(x + 6, y) || paved(x, y - 6) ||
               paved(x, y + 6);
    };

    for (int v = 0; v < kT; ++v)
        for (int u = 0; u < kT; ++u) {
            const int px = cx * kT + u, py = cy * kT + v;
            const double fu = u + 0.5, fv = v + 0.5;
            Rgb c = materialColour(th.ground[0], u, v, variant, 0);
            if (th.stripes > 0 && th.ground[0].style == Style::Grass) {
                // Mowing stripes two cells wide with soft edges.
                const double x = std::fmod(double(px) + 0.5, 128.0);
                const double t = x < 64 ? smoothstep(0, 3, std::min(x, 64 - x))
                                        : -smoothstep(0, 3, std::min(x - 64, 128 - x));
                c = c * (1 + th.stripes * t);
            }
            for (int level = 1; level < roadLevel; ++level) {
                const Field& f = fields_[level];
                if (f.d.empty()) continue;
                const float sd = f.at(px, py);
                if (sd < -6) continue;
                const Material& m = th.ground[level];
                if (level == int(Ground::Water)) {
                    // A band of shore first, then the water.
                    const bool quay = sd < 4 && quayAt(px, py);
                    const double shore = smoothstep(-6, -3, sd);
                    if (sd < 0 && quay && sd > -5) {
                        // Coping stones along the top of the quay wall.
                        c = hex(0xc4c0b4) * (0.93 + 0.1 * hash01(u, v, 308));
                        if (px % 16 == 0 || py % 16 == 0) c = c * 0.8;
                        if (sd > -1.2) c = c * 0.55;
                    } else if (sd < 0 && !quay) {
                        c = mix(c, th.shore * (0.95 + 0.1 * hash01(u, v, 301)), shore * 0.8);
                    }
                    const double t = coverage(level, px, py);
                    if (t <= 0) continue;
                    Rgb wc = materialColour(m, u, v, variant, sd);
                    if (quay)
                        wc = wc * (0.62 + 0.38 * smoothstep(0, 4, sd)); // the wall's shade
                    else if (m.style == Style::Water && sd < 2.5)
                        wc = mix(wc, hex(0xe4f0f4), 0.55 * (1 - sd / 2.5));
                    c = mix(c, wc, t);
                    continue;
                }
                double t;
                if (level == int(Ground::Rough)) {
                    t = smoothstep(-12, 12, sd);
                } else {
                    t = coverage(level, px, py);
                }
                if (t <= 0) continue;
                Rgb mc = materialColour(m, u, v, variant, sd);
                if (level == int(Ground::Pavement) && sd < 3) mc = mc * 1.08; // kerb stones
                if (level == int(Ground::Trap) && sd < 1.5) mc = mc * 0.85;
                c = mix(c, mc, t);
            }

            // Road.
            if (!fields_[roadLevel].d.empty()) {
                const float sd = fields_[roadLevel].at(px, py);
                if (sd < 0 && sd > -3.5) c = mix(c, th.verge, 0.35 * (1 - (-sd) / 3.5));
                const double t = coverage(roadLevel, px, py);
                if (t > 0) {
                    Rgb r = asphaltColour(th.asphalt, u, v, variant);
                    if (bridgeDeck(px, py)) r = mix(r, hex(0x8a8a88), 0.18);
                    if (sd < 1.5) r = r * 0.85;
                    // Round a bend the bend says whether it has kerbs: the
                    // cells its edge only grazes may not.
                    const Curve* bend = sd < 7.5 ? scene_.curveAt(px + 0.5, py + 0.5) : nullptr;
                    if ((bend ? bend->kerbs || kerb : kerb) && sd < 7.5) {
                        Rgb k = kerbBlock(px, py) % 2 ? hex(0xc8261e) : hex(0xeeeeea);
                        k = k * (0.95 + 0.1 * hash01(u, v, 302));
                        if (sd > 6.3) k = k * 0.75;
                        r = mix(r, k, 1 - smoothstep(6.8, 7.5, sd));
                    } else {
                        const double line =
                            smoothstep(2.6, 3.3, sd) * (1 - smoothstep(5.2, 5.9, sd));
                        r = mix(r, th.edgeLine * (0.95 + 0.08 * hash01(u, v, 303)), 0.92 * line);
                    }
                    // Markings painted on the road.
                    for (const PixelRect& q : scene_.chequers)
                        if (q.contains(px, py)) {
                            const bool dark = ((px - q.x1) / 8 + (py - q.y1) / 8) % 2;
                            r = dark ? hex(0x1c1c1e) : hex(0xeeeeec);
                            r = r * (0.96 + 0.06 * hash01(u, v, 304));
                        }
                    for (const PixelRect& q : scene_.refuels)
                        if (q.contains(px, py) && (px + py) % 16 < 4)
                            r = mix(r, hex(0xd86a1e), 0.55);
                    for (const PixelRect& q : scene_.pitBoxes)
                        if (q.contains(px, py)) {
                            const int edge =
                                std::min({px - q.x1, q.x2 - 1 - px, py - q.y1, q.y2 - 1 - py});
                            if (edge >= 1 && edge <= 3)
                                r = hex(0xe8c41e);
                            else if (edge > 3)
                                r = mix(r, hex(0xe8c41e), 0.12);
                        }
                    for (const GridSlot& g : scene_.gridSlots) {
                        const int ax = g.down ? px - g.x : g.y - py; // across the car
                        const int al = g.down ? py - g.y : g.x - px; // along, ahead positive
                        const bool front = al >= 17 && al <= 18 && ax >= -10 && ax <= 10;
                        const bool side =
                            al >= 8 && al <= 18 && (ax == -10 || ax == 10 || ax == -9 || ax == 9);
                        if (front || side) r = hex(0xeeeeea) * (0.93 + 0.07 * hash01(u, v, 305));
                    }
                    for (const Bridge& b : scene_.bridges) {
                        // Expansion joints where the deck meets the road.
                        const int along = b.horizontal ? px : py;
                        const int lo = (b.horizontal ? b.x1 : b.y1) * kT;
                        const int hi = ((b.horizontal ? b.x2 : b.y2) + 1) * kT;
                        if (bridgeDeck(px, py) && (along - lo < 2 || hi - along <= 2)) r = r * 0.45;
                    }
                    c = mix(c, r, t);
                }
            }

            // Things standing on the ground.
            if (!barriers.empty()) {
                const Near n = nearBarrier(px + 0.5, py + 0.5);
                const Near sh = nearBarrier(px + 0.5 - 2, py + 0.5 - 3);
                const bool wall = wallPixel(n);
                const bool tyre = tyrePixel(n);
                if (wall) {
                    // Concrete blocks: lit upper edge, shaded lower edge, joints.
                    Rgb w = th.wall * (0.94 + 0.1 * hash01(u, v, 306));
                    if (n.across < -kBarrierHalf + 1.5) w = w * 1.08;
                    if (n.across > kBarrierHalf - 1.5) w = w * 0.72;
                    if (std::fmod(n.along, 16.0) < 1) w = w * 0.7;
                    c = w;
                } else if (tyre) {
                    Rgb tc = hex(0x2a2a2c) * (0.9 + 0.2 * hash01(u, v, 307));
                    if (n.tyre < 2.2)
                        tc = hex(0x121214);
                    else if (n.tyre > 4.4)
                        tc = tc * 1.5;
                    c = tc;
                } else if (wallPixel(sh) || tyrePixel(sh)) {
                    c = c * 0.62;
                }
            }
            if (cell.thing == Thing::Rock) {
                const Lit l = rock(th, thingVariant, fu - 16, fv - 16);
                if (l.inside)
                    c = l.colour;
                else if (rock(th, thingVariant, fu - 19, fv - 19).inside)
                    c = c * 0.62;
            }
            if (cell.thing == Thing::LampPost) {
                // The pole on its concrete footing.
                const double d = std::hypot(fu - 16, fv - 16);
                if (d <= kPoleRadius)
                    c = hex(0x5a5c60) * (fu + fv < 32 ? 1.2 : 0.8);
                else if (d <= kPoleRadius + 2.5)
                    c = hex(0xa8a69e) * (0.95 + 0.08 * hash01(u, v, 309));
            }
            if (cell.thing == Thing::Crane) {
                // The portal's four legs on the quay, joined by beams; the
                // ground under it in its shade.
                const double ax = std::abs(fu - 16), ay = std::abs(fv - 16);
                if (ax <= kCraneBase && ay <= kCraneBase) {
                    const bool leg = ax > kCraneBase - 4 && ay > kCraneBase - 4;
                    const bool beam = ax > kCraneBase - 2.5 || ay > kCraneBase - 2.5;
                    if (leg)
                        c = hex(0x4a4c50) * (fu < 16 ? 1.15 : 0.9);
                    else if (beam)
                        c = (int(fu + fv) / 3) % 2 ? hex(0xe0a82a) : hex(0x2a2a2c);
                    else
                        c = c * 0.7;
                }
            }
            if (night)
                c = times(
                    c, mix(mix(night->ambient, night->lamp, lampLight(lamps, px + 0.5, py + 0.5)),
                           Rgb{1, 1, 1}, floodlight(px + 0.5, py + 0.5)));
            out[std::size_t(v) * kT + u] = pack(c);
        }
}

bool Painter::paintOver(int cx, int cy, TilePixels& out) const {
    const Theme& th = kThemes[themeIndex_];
    const SceneCell& cell = scene_.at(cx, cy);
    const int variant = int(hashInts(cx, cy, 300) % 3);
    bool any = false;
    out.fill(0);
    const Night* night = nightOf(th);
    const std::vector<Reaching> lamps = reachingNear(scene_, cx, cy, 1, Thing::LampPost);
    const std::vector<Reaching> cranes = reachingNear(scene_, cx, cy, 4, Thing::Crane);
    const std::vector<Reaching> pools =
        night ? reachingNear(scene_, cx, cy, 4, Thing::LampPost) : std::vector<Reaching>{};
    auto sameRoof = [&](int dx, int dy) {
        const int x = cx + dx, y = cy + dy;
        if (x < 0 || y < 0 || x >= scene_.width || y >= scene_.height) return false;
        return scene_.at(x, y).thing == cell.thing;
    };
    for (int v = 0; v < kT; ++v)
        for (int u = 0; u < kT; ++u) {
            const double fu = u + 0.5, fv = v + 0.5;
            const int px = cx * kT + u, py = cy * kT + v;
            bool set = false;
            Rgb c;
            if (isTree(cell.thing)) {
                const Lit l = canopy(th, cell.thing, variant, fu - 16, fv - 16, true);
                if (l.inside) {
                    set = true;
                    c = l.colour;
                }
            } else if (isRoof(cell.thing)) {
                // Distance to the building's outline, and which side it is on.
                double edge = 99;
                bool litSide = false;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        if ((dx == 0 && dy == 0) || sameRoof(dx, dy)) continue;
                        const double ex = dx < 0 ? fu : dx > 0 ? kT - fu : 99;
                        const double ey = dy < 0 ? fv : dy > 0 ? kT - fv : 99;
                        const double d = dx && dy ? std::max(ex, ey) : std::min(ex, ey);
                        if (d < edge) {
                            edge = d;
                            litSide = dy < 0 || (dy == 0 && dx < 0); // lit from the upper left
                        }
                    }
                const double grain = hash01(u, v, 310 + variant);
                switch (cell.thing) {
                case Thing::FlatRoof: {
                    c = th.flatRoof * (0.88 + 0.18 * hash01(u / 2, v / 2, 311) + 0.04 * grain);
                    if (edge > 6) {
                        // Roof furniture, kept clear of the parapet.
                        if (variant == 1 && u >= 9 && u < 22 && v >= 10 && v < 20) {
                            c = hex(0xb8bcc0);
                            if (u == 9 || v == 10) c = c * 1.1;
                            if (u == 21 || v == 19) c = c * 0.7;
                            if (std::hypot(fu - 15.5, fv - 15) < 3.6) c = hex(0x4a4e54);
                        }
                        if (variant == 2 && u >= 10 && u < 22 && v >= 10 && v < 22) {
                            c = (u == 10 || v == 10 || u == 21 || v == 21 || u == 16 || v == 16)
                                    ? hex(0xc8c8c4)
                                    : mix(hex(0x7a9ab4), hex(0xb4d0e4), (fu + fv - 20) / 24);
                        }
                    }
                    break;
                }
                case Thing::TiledRoof: {
                    const int row = v / 8;
                    const int col = (u + (row % 2) * 4) / 8;
                    c = th.tiledRoof * (0.9 + 0.16 * hash01(col, row, 312) + 0.04 * grain);
                    if (v % 8 == 7)
                        c = c * 0.7;
                    else if ((u + (row % 2) * 4) % 8 == 0)
                        c = c * 0.85;
                    break;
                }
                case Thing::Container: {
                    // Two boxes side by side, each its own colour, ribbed
                    // across, doors at both ends, a dark gap round each.
                    static constexpr std::uint32_t kPaints[] = {0xb8402e, 0x2e6aa8, 0x3f8a4a,
                                                                0xd8822a, 0x8a8c90, 0xc8b43a};
                    const int half = v / 16, w = v % 16;
                    c = hex(kPaints[hashInts(cx, cy * 2 + half, 313) % std::size(kPaints)]);
                    c = c * (u % 3 == 0 ? 0.8 : 1.0) * (0.96 + 0.06 * grain);
                    if (u < 3 || u > 28) c = c * 0.88;
                    if (w == 1) c = c * 1.15;
                    if (w == 14) c = c * 0.7;
                    if (w == 0 || w == 15 || u == 0 || u == 31) c = hex(0x2a2a2a);
                    break;
                }
                default: {
                    const double rib = std::sin(2 * kPi * u / 4);
                    c = th.metalRoof * (0.86 + 0.14 * rib + 0.04 * grain);
                    break;
                }
                }
                if (cell.thing != Thing::Container) {
                    if (edge < 3.5) c = litSide ? c * 1.22 + Rgb{0.04, 0.04, 0.04} : c * 0.68;
                    if (edge < 1) c = c * 0.55;
                }
                set = true;
            }
            bool glow = false;
            for (const Reaching& l : lamps) {
                const Lit top = lampTop(l, px + 0.5, py + 0.5, glow);
                if (top.inside) {
                    set = true;
                    c = top.colour;
                }
            }
            for (const Reaching& k : cranes) {
                const Lit top = craneTop(k, px + 0.5, py + 0.5);
                if (top.inside) {
                    set = true;
                    c = top.colour;
                    glow = false;
                }
            }
            for (const Bridge& b : scene_.bridges) {
                // Parapets along both sides of the deck: the lower road's cars
                // pass underneath them.
                const PixelRect deck{b.x1 * kT, b.y1 * kT, (b.x2 + 1) * kT, (b.y2 + 1) * kT};
                if (!deck.contains(px, py)) continue;
                const int across = b.horizontal ? py : px;
                const int along = b.horizontal ? px : py;
                const int lo = b.horizontal ? deck.y1 : deck.x1;
                const int hi = b.horizontal ? deck.y2 : deck.x2;
                const int d = std::min(across - lo, hi - 1 - across);
                if (d < 7) {
                    c = hex(0xb4b2ac) * (0.94 + 0.08 * hash01(u, v, 320));
                    if (d == 0) c = c * 0.55;
                    if (d == 1) c = c * 1.12;
                    if (d == 6) c = c * 0.7;
                    if (along % 24 < 2) c = c * 0.8;
                    set = true;
                }
            }
            if (set && night && !glow)
                c = times(c,
                          mix(night->ambient, night->lamp, lampLight(pools, px + 0.5, py + 0.5)));
            if (set) {
                out[std::size_t(v) * kT + u] = pack(c);
                any = true;
            }
        }
    return any;
}

bool Painter::shadowAt(double x, double y) const {
    const Theme& th = kThemes[themeIndex_];
    const int cx = int(std::floor(x / kT)), cy = int(std::floor(y / kT));
    // Trees and buildings up and to the left throw shadows down and right.
    for (int dy = -1; dy <= 0; ++dy)
        for (int dx = -1; dx <= 0; ++dx) {
            const int tx = cx + dx, ty = cy + dy;
            if (tx < 0 || ty < 0 || tx >= scene_.width || ty >= scene_.height) continue;
            const Thing t = scene_.at(tx, ty).thing;
            if (isTree(t)) {
                const int variant = int(hashInts(tx, ty, 300) % 3);
                if (canopy(th, t, variant, x - (tx * kT + 16 + 7), y - (ty * kT + 16 + 9), false)
                        .inside)
                    return true;
            }
        }
    const int bx = int(std::floor((x - 9) / kT)), by = int(std::floor((y - 9) / kT));
    if (bx >= 0 && by >= 0 && bx < scene_.width && by < scene_.height &&
        isRoof(scene_.at(bx, by).thing) && !isRoof(scene_.at(cx, cy).thing))
        return true;
    for (const Bridge& b : scene_.bridges) {
        const PixelRect deck{b.x1 * kT, b.y1 * kT, (b.x2 + 1) * kT, (b.y2 + 1) * kT};
        const double sx = b.horizontal ? x : x - 12, sy = b.horizontal ? y - 12 : y;
        if (deck.contains(sx, sy) && !deck.contains(x, y)) return true;
    }
    return false;
}

bool Painter::paintShadow(int cx, int cy, TilePixels& out, const TilePixels& over) const {
    bool any = false;
    const std::vector<Reaching> cranes = reachingNear(scene_, cx, cy, 4, Thing::Crane);
    for (int v = 0; v < kT; ++v)
        for (int u = 0; u < kT; ++u) {
            const std::size_t i = std::size_t(v) * kT + u;
            // Never under this cell's own top layer: the race may draw the
            // shadow after it.
            if (over[i] & 0xFFFFFF) continue;
            const double x = cx * kT + u + 0.5, y = cy * kT + v + 0.5;
            bool crane = false;
            for (const Reaching& k : cranes)
                crane = crane || craneTop(k, x - 7, y - 9).inside;
            if (crane || shadowAt(x, y)) {
                out[i] = 0xFF404040u;
                any = true;
            }
        }
    return any;
}
