#include "carbuild_paint.hpp"

#include "base/bytes.hpp"
#include "gfx/image.hpp"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

namespace {

struct Rgb {
    float r = 0, g = 0, b = 0;
};
Rgb hex(std::uint32_t v) {
    return {float((v >> 16) & 255), float((v >> 8) & 255), float(v & 255)};
}
Rgb operator*(Rgb c, float k) {
    return {c.r * k, c.g * k, c.b * k};
}
Rgb operator+(Rgb a, Rgb b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}

// Signed distance to a box of half sizes (hx, hy) centred on (cx, cy) whose
// corners are rounded by r; negative inside.
float boxDistance(float x, float y, float cx, float cy, float hx, float hy, float r) {
    r = std::min({r, hx, hy});
    const float qx = std::fabs(x - cx) - hx + r, qy = std::fabs(y - cy) - hy + r;
    const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - r;
}
bool within(float v, float lo, float hi) {
    return v >= lo && v <= hi;
}

// Paint sits on a rounded body: a little brighter along the middle, darker
// towards the outline, so the flat colour reads as a shape at 16 pixels.
Rgb shaded(Rgb c, float x, float halfBody, float edgeDistance) {
    const float u = std::clamp(x / halfBody, -1.0f, 1.0f);
    float k = 0.80f + 0.32f * (1 - u * u);
    if (edgeDistance > -1.2f) k *= 0.72f + 0.28f * (-edgeDistance / 1.2f);
    return c * k;
}

const std::uint8_t kDigits[10][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 2, 2}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
};

class Painter {
  public:
    explicit Painter(const CarDesc& car)
        : c_(car), hw_(float(car.width) / 2), hh_(float(car.length) / 2), bw_(hw_ - car.tyreOut),
          paint_(hex(car.paint)), trim_(hex(car.trim)), glass_(hex(car.glass)),
          tyres_(tyrePlaces(car)) {}

    // The colour at a point of the car (x right, y towards the tail, from the
    // centre), or none where the background shows.
    std::optional<Rgb> sample(float x, float y) const {
        const float yN = y + hh_, yT = hh_ - y;
        if (c_.mirrors && c_.cabin != Cabin::Open &&
            within(yN, c_.bonnet + 0.4f, c_.bonnet + 1.6f) &&
            within(std::fabs(x), bw_ - 0.5f, bw_ + 1.2f))
            return paint_ * 0.7f;
        if (c_.spoiler == Spoiler::Wing && within(yT, 0.3f, 2.1f) && std::fabs(x) <= bw_ + 0.3f) {
            if (std::fabs(x) > bw_ - 0.7f) return trim_ * 0.55f;
            return trim_ * (yT > 1.5f ? 1.0f : 0.8f);
        }
        const std::optional<Rgb> body = c_.cabin == Cabin::Open ? openBody(x, y) : closedBody(x, y);
        if (body) return body;
        return tyre(x, y);
    }

  private:
    std::optional<Rgb> tyre(float x, float y) const {
        const float tx = tyres_.halfTrack * (x < 0 ? -1.0f : 1.0f);
        const float ty = y < 0 ? tyres_.frontY : tyres_.rearY;
        const float hx = c_.tyreWidth / 2, hy = c_.tyreLength / 2;
        if (boxDistance(x, y, tx, ty, hx, hy, 0.9f) > 0) return std::nullopt;
        const float u = (x - tx) / hx;
        // Tread blocks across the tyre, faint enough to stay a dark tyre.
        const bool block = std::fmod(y - ty + 20.25f, 1.5f) < 0.75f;
        return hex(0x1a1a1a) * (1.0f + 0.5f * (1 - u * u)) * (block ? 1.2f : 1.0f);
    }

    // Stripe edges sit on whole pixels (the body's centre is a pixel corner
    // and tyre_out is normally whole), so they stay crisp.
    Rgb stripe(Rgb under, float x, float yN) const {
        const float ax = std::fabs(x);
        const float wide = bw_ >= 6 ? 2.0f : 1.0f;
        switch (c_.stripes) {
        case Stripes::Centre:
            if (ax < wide) return trim_;
            break;
        case Stripes::Twin:
            if (within(ax, 1.0f, 1.0f + wide)) return trim_;
            break;
        case Stripes::Side:
            if (within(ax, bw_ - 2.0f, bw_ - 1.0f) && within(yN, 2.0f, float(c_.length) - 2))
                return trim_;
            break;
        case Stripes::Checker: {
            const float from = tyres_.frontY + hh_ + c_.tyreLength / 2 + 1;
            const float to = tyres_.rearY + hh_ - c_.tyreLength / 2 - 1;
            if (within(ax, bw_ - 2.0f, bw_ - 1.0f) && within(yN, from, to))
                return int(std::floor((yN - from) / 2)) % 2 ? hex(0x1c1c1c) : trim_;
            break;
        }
        case Stripes::None:
            break;
        }
        return under;
    }

    std::optional<Rgb> closedBody(float x, float y) const {
        const float yN = y + hh_, yT = hh_ - y, ax = std::fabs(x);
        const float edge = boxDistance(x, y, 0, 0, bw_, hh_, y < 0 ? c_.nose : c_.tail);
        if (edge > 0) return std::nullopt;

        // Lamps first: they sit on the outline.
        if (within(yN, 0.35f, 1.8f) && within(ax, bw_ - 3.4f, bw_ - 0.8f) && edge < -0.3f)
            return hex(ax < bw_ - 1.6f && yN > 0.8f ? 0xf4eed6 : 0xd8cfa4);
        if (within(yT, 0.35f, 1.4f) && within(ax, bw_ - 3.0f, bw_ - 0.6f) && edge < -0.3f)
            return hex(ax > bw_ - 1.8f ? 0xd81c1c : 0x9c1414);

        const float screenFrom = c_.bonnet, roofFrom = screenFrom + c_.screen;
        const float rearFrom = roofFrom + c_.roof, rearTo = rearFrom + c_.rearScreen;
        const float gw = bw_ - c_.waist;
        if (c_.cabin == Cabin::Van && yN >= rearFrom && yT > 1.4f) return vanBox(x, yN, yT, edge);
        if (c_.cabin == Cabin::Roadster && within(yN, roofFrom, rearFrom + 3.0f))
            if (const std::optional<Rgb> inside = cockpit(x, yN, edge)) return inside;
        if (c_.spoiler == Spoiler::Roof && within(yN, rearFrom - 0.9f, rearFrom + 0.7f) &&
            ax < gw - 0.2f)
            return trim_ * (yN < rearFrom ? 0.95f : 0.7f);
        if (within(yN, screenFrom, roofFrom)) {
            const float t = (yN - screenFrom) / c_.screen;
            const float half = gw - 0.2f - 0.9f * t;
            if (ax < half) {
                // A reflection streak across the screen sells it as glass.
                const float streak = std::fabs(x * 0.8f + (yN - screenFrom) * 1.3f - 1.5f);
                return glass_ * (streak < 0.7f ? 1.9f : 1.0f + 0.25f * t);
            }
        } else if (within(yN, roofFrom, rearFrom)) {
            const float roofHalf = gw - 1.1f;
            if (ax < roofHalf) {
                if (c_.sign) {
                    const float mid = roofFrom + c_.roof / 2;
                    if (ax < 2.6f && std::fabs(yN - mid) < 1.3f)
                        return hex(ax < 2.0f && std::fabs(yN - mid) < 0.8f ? 0xf2e6a0 : 0x40381c);
                }
                return stripe(shaded(paint_, x, bw_, edge) * 1.04f, x, yN);
            }
            if (ax < gw) return glass_ * 0.85f;
        } else if (within(yN, rearFrom, rearTo)) {
            const float t = (yN - rearFrom) / std::max(c_.rearScreen, 0.1f);
            if (ax < gw - 1.0f + 0.5f * t) return glass_ * (0.9f + 0.2f * (1 - t));
        } else if (c_.cabin == Cabin::Pickup &&
                   within(yN, rearTo + 0.8f, float(c_.length) - 1.4f) && ax < bw_ - 1.0f) {
            // Load bed: a brown rubber mat with lengthwise ribs, warm so it
            // never reads as tyre.
            return hex(std::fmod(x + 20.0f, 2.0f) < 0.8f ? 0x463a2c : 0x30281e);
        }

        if (c_.scoop && within(yN, c_.bonnet * 0.25f, c_.bonnet * 0.8f) && ax < 1.9f) {
            if (yN < c_.bonnet * 0.25f + 1.0f && ax < 1.3f) return hex(0x141414);
            return paint_ * 1.15f;
        }
        if (c_.spotlights) {
            for (float lx : {bw_ * 0.2f, bw_ * 0.6f}) {
                const float d = std::hypot(ax - lx, yN - 2.7f);
                if (d < 0.65f) return hex(0xf0eac8);
                if (d < 1.05f) return hex(0x2c2c2c);
            }
        }
        if (c_.spoiler == Spoiler::Lip && within(yT, 1.6f, 2.4f) && ax < bw_ - 0.5f)
            return trim_ * 0.7f;
        return stripe(shaded(paint_, x, bw_, edge), x, yN);
    }

    // A van's load box stands taller than its cab: a pale roof with ribs
    // across, a dark rim where the sides fall away, and a vent.
    Rgb vanBox(float x, float yN, float yT, float edge) const {
        const float ax = std::fabs(x), from = c_.bonnet + c_.screen + c_.roof;
        // The box's front face, in its own shadow over the cab roof.
        if (yN < from + 0.8f && ax < bw_ - 0.8f) return paint_ * 0.55f;
        if (ax > bw_ - 1.0f || yT < 2.2f) return shaded(paint_, x, bw_, edge) * 0.7f;
        const float ventY = from + 3.5f;
        if (ax < 1.6f && std::fabs(yN - ventY) < 1.6f)
            return ax < 1.0f && std::fabs(yN - ventY) < 1.0f ? hex(0x5a5e64) : hex(0x2e3034);
        const bool rib = std::fmod(yN - from + 0.5f, 3.0f) < 0.8f;
        return stripe(paint_ * (rib ? 0.9f : 1.12f), x, yN);
    }

    // A roadster's open cockpit: two seats, the driver's head on the left
    // one and a wheel in front of it, with a fairing behind each seat on the
    // rear deck. None on the deck between and around them.
    std::optional<Rgb> cockpit(float x, float yN, float edge) const {
        const float ax = std::fabs(x), from = c_.bonnet + c_.screen, to = from + c_.roof;
        const float seatX = (bw_ - c_.waist) / 2 + 0.2f, seatY = to - 1.6f;
        if (yN >= to) {
            const float hump = std::hypot((ax - seatX) / 1.6f, (yN - to - 0.4f) / 2.4f);
            if (yN > to + 0.3f && hump < 1.0f) return paint_ * (1.25f - 0.3f * hump);
            return std::nullopt;
        }
        if (ax >= bw_ - c_.waist) return stripe(shaded(paint_, x, bw_, edge), x, yN);
        const float head = std::hypot(x + seatX, yN - seatY + 0.6f);
        if (head < 1.7f) return hex(0x4a2c16) * (1.15f - 0.3f * head / 1.7f);
        if (std::fabs(yN - (seatY - 3.2f)) < 0.5f && std::fabs(x + seatX) < 1.6f)
            return hex(0x1c1c1c); // the wheel
        if (std::fabs(ax - seatX) < 1.4f && within(yN, seatY - 1.2f, to - 0.3f))
            return hex(yN > seatY + 0.3f ? 0xa88458 : 0x8c6c48); // tan seat back, cushion
        return hex(0x2e2a26);
    }

    std::optional<Rgb> openBody(float x, float y) const {
        const float yN = y + hh_, yT = hh_ - y, ax = std::fabs(x);
        const float frontAxle = c_.frontAxle, rearAxleN = float(c_.length) - c_.rearAxle;
        const float inner = hw_ - c_.tyreWidth; // the tyres' inner faces
        const float seat = rearAxleN - 2.6f;

        // Driver: helmet with visor, shoulders, steering wheel.
        const float helmet = std::hypot(x, yN - seat + 0.6f);
        if (helmet < 2.3f) {
            if (yN < seat - 2.0f) return hex(0x1e2630);
            return trim_ * (1.05f - 0.25f * helmet / 2.3f);
        }
        const float shoulders = std::hypot(x / 3.2f, (yN - seat - 0.4f) / 2.2f);
        if (shoulders < 1.0f) return hex(0x34508a) * (1.1f - 0.35f * shoulders);
        if (boxDistance(x, yN, 0, seat - 3.6f, 1.8f, 0.5f, 0.4f) < 0) return hex(0x1c1c1c);

        const float podFrom = frontAxle + c_.tyreLength / 2 + 0.6f;
        const float podTo = rearAxleN - c_.tyreLength / 2 - 0.6f;
        const float noseEdge = boxDistance(x, yN, 0, (podFrom + 1) / 2 + 0.15f, inner - 0.6f,
                                           (podFrom + 1) / 2, c_.nose);
        const float podEdge =
            boxDistance(x, yN, 0, (podFrom + podTo) / 2, hw_ - 0.4f, (podTo - podFrom) / 2, 1.2f);
        if (noseEdge <= 0) return stripe(shaded(paint_, x, inner, noseEdge), x, yN);
        if (podEdge <= 0) {
            if (ax < inner - 0.8f) return hex(0x3a3c40); // floor pan around the seat
            return stripe(shaded(paint_, x, hw_, podEdge), x, yN);
        }
        // The engine hangs beside the driver, behind the rear axle line.
        if (within(yN, rearAxleN - 1.0f, rearAxleN + 2.4f) && within(x, 0.4f, inner - 0.3f))
            return hex(std::fmod(yN + 20.0f, 1.2f) < 0.6f ? 0x707276 : 0x55575b);
        // Axles, tub and rear bumper are bare metal.
        const bool axle = (std::fabs(yN - frontAxle) < 0.5f || std::fabs(yN - rearAxleN) < 0.5f) &&
                          ax < inner + 0.2f;
        const bool tub = within(yN, frontAxle, rearAxleN) && ax < inner;
        const bool bumper = within(yT, 0.3f, 1.3f) && ax < hw_ - 0.6f;
        if (axle || tub || bumper) return hex(bumper ? 0x44464a : 0x56585c);
        return std::nullopt;
    }

    const CarDesc& c_;
    float hw_, hh_, bw_;
    Rgb paint_, trim_, glass_;
    TyrePlaces tyres_;
};

std::uint32_t pack(Rgb c) {
    // Keep every channel off 0 and 255: black is transparent and white may be
    // keyed out too.
    auto channel = [](float v) { return std::uint32_t(std::clamp(std::lround(v), 12L, 244L)); };
    return channel(c.r) << 16 | channel(c.g) << 8 | channel(c.b);
}

// The number sits crisp on a light panel; supersampling would smear 3 x 5
// digits into grey.
void drawNumber(const CarDesc& car, CarPicture& pic) {
    if (car.number < 0) return;
    // Panels are an even number of pixels wide so they sit square on the
    // body; a lone digit then leans half a pixel to the left.
    const bool two = car.number >= 10;
    const int cols = two ? 10 : 6, rows = 7;
    const int digits[2] = {two ? car.number / 10 : car.number, car.number % 10};
    const float centreY = car.cabin == Cabin::Open ? car.frontAxle - 0.5f : (1.9f + car.bonnet) / 2;
    const int x0 = car.width / 2 - cols / 2;
    const int y0 = int(std::lround(centreY - float(rows) / 2));
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            const bool corner = (r == 0 || r == rows - 1) && (c == 0 || c == cols - 1);
            const int x = x0 + c, y = y0 + r;
            if (corner || x < 0 || y < 0 || x >= pic.width || y >= pic.height) continue;
            std::uint32_t colour = 0xe6e2d6;
            const int which = c >= 1 && c <= 3 ? 0 : (two && c >= 6 && c <= 8 ? 1 : -1);
            const int dc = which == 0 ? c - 1 : c - 6;
            if (which >= 0 && r >= 1 && r <= 5 && (kDigits[digits[which]][r - 1] >> (2 - dc) & 1))
                colour = 0x1c1c1c;
            pic.pixels[std::size_t(y) * pic.width + x] = colour;
        }
}

} // namespace

TyrePlaces tyrePlaces(const CarDesc& car) {
    const float hh = float(car.length) / 2;
    return {float(car.width) / 2 - car.tyreWidth / 2, -hh + car.frontAxle, hh - car.rearAxle};
}

CarPicture paintCar(const CarDesc& car) {
    const Painter painter(car);
    CarPicture pic;
    pic.width = car.width;
    pic.height = car.length;
    pic.pixels.assign(std::size_t(pic.width) * pic.height, 0);
    constexpr int kSub = 4;
    for (int py = 0; py < pic.height; ++py)
        for (int px = 0; px < pic.width; ++px) {
            Rgb sum;
            int covered = 0;
            for (int sy = 0; sy < kSub; ++sy)
                for (int sx = 0; sx < kSub; ++sx) {
                    const float x = float(px) + (float(sx) + 0.5f) / kSub - float(pic.width) / 2;
                    const float y = float(py) + (float(sy) + 0.5f) / kSub - float(pic.height) / 2;
                    if (const std::optional<Rgb> c = painter.sample(x, y)) {
                        sum = sum + *c;
                        ++covered;
                    }
                }
            // Thin slivers would turn into specks once rotated; edge pixels
            // get darker instead of blending with a background we never see.
            const float coverage = float(covered) / (kSub * kSub);
            if (coverage < 0.3f) continue;
            pic.pixels[std::size_t(py) * pic.width + px] =
                pack(sum * (1.0f / float(covered)) * (0.6f + 0.4f * coverage));
        }
    drawNumber(car, pic);
    return pic;
}

std::vector<std::uint8_t> encodeBmp(const CarPicture& pic) {
    return encodeBmp24(pic.width, pic.height, pic.pixels);
}
