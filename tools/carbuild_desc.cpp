#include "carbuild_desc.hpp"

#include "base/bytes.hpp"
#include "car/car_type.hpp"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <sstream>
#include <vector>

namespace {

std::string trimmed(const std::string& s) {
    const std::size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos) return "";
    return s.substr(a, s.find_last_not_of(" \t\r") - a + 1);
}

bool toFloat(const std::string& v, float lo, float hi, float& out, std::string& why) {
    char* end = nullptr;
    errno = 0;
    const float f = std::strtof(v.c_str(), &end);
    if (v.empty() || *end != '\0' || errno != 0 || !std::isfinite(f)) {
        why = "'" + v + "' is not a number";
        return false;
    }
    if (f < lo || f > hi) {
        std::ostringstream s;
        s << v << " is outside " << lo << ".." << hi;
        why = s.str();
        return false;
    }
    out = f;
    return true;
}

bool toInt(const std::string& v, int lo, int hi, int& out, std::string& why) {
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(v.c_str(), &end, 10);
    if (v.empty() || *end != '\0' || errno != 0) {
        why = "'" + v + "' is not a whole number";
        return false;
    }
    if (n < lo || n > hi) {
        why = v + " is outside " + std::to_string(lo) + ".." + std::to_string(hi);
        return false;
    }
    out = int(n);
    return true;
}

bool toColour(const std::string& v, std::uint32_t& out, std::string& why) {
    if (v.size() != 7 || v[0] != '#' ||
        v.find_first_not_of("0123456789abcdefABCDEF", 1) != std::string::npos) {
        why = "'" + v + "' is not a colour like #c81e1e";
        return false;
    }
    out = std::uint32_t(std::strtoul(v.c_str() + 1, nullptr, 16));
    // Pure black is the transparent colour and some loaders key out white.
    if (out == 0 || out == 0xFFFFFF) {
        why = "pure black and pure white cannot be car colours";
        return false;
    }
    return true;
}

template <typename E>
bool toWord(const std::string& v, const std::vector<std::pair<const char*, E>>& words, E& out,
            std::string& why) {
    std::string list;
    for (const auto& [word, value] : words) {
        if (v == word) {
            out = value;
            return true;
        }
        list += list.empty() ? word : std::string(", ") + word;
    }
    why = "'" + v + "' is not one of " + list;
    return false;
}

using Setter = std::function<bool(const std::string&, CarDesc&, std::string&)>;

// The handling figures a description may give: what a car drives well with,
// each inside the range the game itself takes (car/car_type.hpp), so that
// the builder never writes a car the game refuses.
constexpr FigureRange kBuildTopSpeed{1.5f, 6.0f};
constexpr FigureRange kBuildAcceleration{0.02f, 0.3f};
constexpr FigureRange kBuildGrip{0.01f, 0.5f};
constexpr FigureRange kBuildTankSize{5.0f, 200.0f};
constexpr FigureRange kBuildConsumption{1.0f, 50.0f};
constexpr FigureRange kBuildMaxDamage{10.0f, 500.0f};
constexpr bool inside(FigureRange build, FigureRange game) {
    return build.lo >= game.lo && build.hi <= game.hi;
}
static_assert(inside(kBuildTopSpeed, kTopSpeedRange));
static_assert(inside(kBuildAcceleration, kAccelerationRange));
static_assert(inside(kBuildGrip, kGripRange));
static_assert(inside(kBuildTankSize, kTankSizeRange));
static_assert(inside(kBuildConsumption, kConsumptionRange));
static_assert(inside(kBuildMaxDamage, kMaxDamageRange));

Setter floatKey(float CarDesc::*field, float lo, float hi) {
    return [=](const std::string& v, CarDesc& d, std::string& why) {
        return toFloat(v, lo, hi, d.*field, why);
    };
}
Setter figureKey(float CarDesc::*field, FigureRange range) {
    return floatKey(field, range.lo, range.hi);
}
Setter colourKey(std::uint32_t CarDesc::*field) {
    return [=](const std::string& v, CarDesc& d, std::string& why) {
        return toColour(v, d.*field, why);
    };
}
Setter evenSize(int CarDesc::*field, int lo, int hi) {
    return [=](const std::string& v, CarDesc& d, std::string& why) {
        if (!toInt(v, lo, hi, d.*field, why)) return false;
        if (d.*field % 2 == 0) return true;
        why = v + " is odd; the car's centre must fall between two pixels";
        return false;
    };
}

const std::map<std::string, Setter>& setters() {
    static const std::map<std::string, Setter> table = {
        {"name",
         [](const std::string& v, CarDesc& d, std::string& why) {
             if (v.empty() || v.size() > std::size_t(kMaxCarText)) {
                 why = "a name is 1 to 79 characters";
                 return false;
             }
             for (char c : v)
                 if (c < 32 || c > 126) {
                     why = "a name is plain printable ASCII";
                     return false;
                 }
             d.name = v;
             return true;
         }},
        {"length", evenSize(&CarDesc::length, 22, 30)},
        {"width", evenSize(&CarDesc::width, 12, 18)},
        {"paint", colourKey(&CarDesc::paint)},
        {"trim", colourKey(&CarDesc::trim)},
        {"glass", colourKey(&CarDesc::glass)},
        {"cabin",
         [](const std::string& v, CarDesc& d, std::string& why) {
             return toWord<Cabin>(v,
                                  {{"closed", Cabin::Closed},
                                   {"open", Cabin::Open},
                                   {"pickup", Cabin::Pickup},
                                   {"van", Cabin::Van},
                                   {"roadster", Cabin::Roadster}},
                                  d.cabin, why);
         }},
        {"stripes",
         [](const std::string& v, CarDesc& d, std::string& why) {
             return toWord<Stripes>(v,
                                    {{"none", Stripes::None},
                                     {"centre", Stripes::Centre},
                                     {"twin", Stripes::Twin},
                                     {"side", Stripes::Side},
                                     {"checker", Stripes::Checker}},
                                    d.stripes, why);
         }},
        {"spoiler",
         [](const std::string& v, CarDesc& d, std::string& why) {
             return toWord<Spoiler>(v,
                                    {{"none", Spoiler::None},
                                     {"lip", Spoiler::Lip},
                                     {"wing", Spoiler::Wing},
                                     {"roof", Spoiler::Roof}},
                                    d.spoiler, why);
         }},
        {"number", [](const std::string& v, CarDesc& d,
                      std::string& why) { return toInt(v, 0, 99, d.number, why); }},
        {"extras",
         [](const std::string& v, CarDesc& d, std::string& why) {
             std::istringstream words(v);
             std::string w;
             while (words >> w) {
                 bool CarDesc::*flag = nullptr;
                 if (!toWord<bool CarDesc::*>(w,
                                              {{"sign", &CarDesc::sign},
                                               {"scoop", &CarDesc::scoop},
                                               {"spotlights", &CarDesc::spotlights},
                                               {"mirrors", &CarDesc::mirrors}},
                                              flag, why))
                     return false;
                 d.*flag = true;
             }
             return true;
         }},
        {"nose", floatKey(&CarDesc::nose, 0, 6)},
        {"tail", floatKey(&CarDesc::tail, 0, 6)},
        {"bonnet", floatKey(&CarDesc::bonnet, 2, 14)},
        {"screen", floatKey(&CarDesc::screen, 1, 8)},
        {"roof", floatKey(&CarDesc::roof, 0, 14)},
        {"rear_screen", floatKey(&CarDesc::rearScreen, 0, 8)},
        {"waist", floatKey(&CarDesc::waist, 0, 4)},
        {"tyre_width", floatKey(&CarDesc::tyreWidth, 2, 4)},
        {"tyre_length", floatKey(&CarDesc::tyreLength, 3, 8)},
        {"tyre_out", floatKey(&CarDesc::tyreOut, 1, 4)},
        {"front_axle", floatKey(&CarDesc::frontAxle, 2, 12)},
        {"rear_axle", floatKey(&CarDesc::rearAxle, 2, 12)},
        {"top_speed", figureKey(&CarDesc::topSpeed, kBuildTopSpeed)},
        {"acceleration", figureKey(&CarDesc::acceleration, kBuildAcceleration)},
        {"grip", figureKey(&CarDesc::grip, kBuildGrip)},
        {"tank", figureKey(&CarDesc::tankSize, kBuildTankSize)},
        {"consumption", figureKey(&CarDesc::consumption, kBuildConsumption)},
        {"damage", figureKey(&CarDesc::maxDamage, kBuildMaxDamage)},
    };
    return table;
}

const char* const kRequired[] = {"name", "length",      "width",        "paint",
                                 "trim", "top_speed",   "acceleration", "grip",
                                 "tank", "consumption", "damage"};

// Checks that need several keys; the message points at the line of the key
// most likely to be wrong.
bool checkShape(const CarDesc& d, const std::map<std::string, int>& lineOf, const std::string& path,
                int lastLine, std::string& error) {
    auto fail = [&](const char* key, const std::string& why) {
        const auto it = lineOf.find(key);
        error =
            path + ":" + std::to_string(it == lineOf.end() ? lastLine : it->second) + ": " + why;
        return false;
    };
    const float halfBody = float(d.width) / 2 - d.tyreOut;
    if (d.tyreOut > d.tyreWidth)
        return fail("tyre_out", "tyres cannot stick out further than they are wide");
    const float between = d.cabin == Cabin::Open ? float(d.width) / 2 - d.tyreWidth : halfBody - 2;
    if (d.tyreWidth > between)
        return fail("tyre_width", "tyres this wide leave no room for the body between them");
    if (d.nose > halfBody || d.tail > halfBody)
        return fail(d.nose > halfBody ? "nose" : "tail",
                    "corner rounding larger than half the body's width");
    if (d.frontAxle < d.tyreLength / 2 || d.rearAxle < d.tyreLength / 2)
        return fail(d.frontAxle < d.tyreLength / 2 ? "front_axle" : "rear_axle",
                    "the tyres would stick out beyond the nose or tail");
    if (d.frontAxle + d.rearAxle + d.tyreLength > float(d.length) - 2)
        return fail("rear_axle", "front and rear tyres overlap");
    if (d.spoiler == Spoiler::Roof && d.cabin != Cabin::Closed)
        return fail("spoiler", "a roof spoiler sits over a closed car's rear window");
    if (d.cabin == Cabin::Van || d.cabin == Cabin::Roadster) {
        if (lineOf.count("rear_screen"))
            return fail("rear_screen", d.cabin == Cabin::Van ? "a van's box has no rear window"
                                                             : "a roadster has no rear window");
        // The box or the deck needs room for its ribs or its fairings and the
        // tail lamps behind them.
        const float behind = float(d.length) - (d.bonnet + d.screen + d.roof);
        if (behind < (d.cabin == Cabin::Van ? 8.0f : 4.0f))
            return fail("roof", d.cabin == Cabin::Van
                                    ? "a van needs at least 8 pixels of box behind its cab"
                                    : "a roadster needs at least 4 pixels of deck behind its "
                                      "cockpit");
        if (d.cabin == Cabin::Roadster && d.sign) return fail("extras", "a roadster has no roof");
        if (d.cabin == Cabin::Roadster && d.roof < 6)
            return fail("roof", "a roadster's cockpit needs 6 pixels for its seats and wheel");
    }
    if (d.cabin != Cabin::Open) {
        if (d.bonnet + d.screen + d.roof + d.rearScreen > float(d.length) - 3)
            return fail("roof", "bonnet, screen, roof and rear_screen are longer than the car");
        if (d.waist > halfBody - 3) return fail("waist", "the windows would be too narrow");
        // The number panel is 7 pixels high and sits behind the headlights.
        if (d.number >= 0 && d.bonnet < 9)
            return fail("number", "a number needs a bonnet of at least 9 pixels");
        if (d.number >= 0 && (d.scoop || d.spotlights))
            return fail("number",
                        "the number panel and a scoop or spotlights would share the bonnet");
        if (d.number >= 10 && halfBody < 6)
            return fail("number", "two digits need a body at least 12 pixels wide");
    } else {
        if (d.number >= 10) return fail("number", "an open car has room for one digit only");
        if (d.number >= 0 && (d.frontAxle < 4 || float(d.width) / 2 - d.tyreWidth < 3.6f))
            return fail("number", "a number needs front_axle of at least 4 pixels and a nose "
                                  "at least 7 pixels wide between the front tyres");
        if (d.sign || d.scoop) return fail("extras", "an open car has no roof or bonnet");
    }
    return true;
}

} // namespace

bool parseCarDesc(const std::string& text, const std::string& path, CarDesc& out,
                  std::string& error) {
    CarDesc d;
    std::map<std::string, int> lineOf;
    std::istringstream lines(text);
    std::string raw;
    int lineNo = 0;
    while (std::getline(lines, raw)) {
        ++lineNo;
        const std::string line = trimmed(raw);
        if (line.empty() || line[0] == '#') continue;
        const std::string where = path + ":" + std::to_string(lineNo) + ": ";
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) {
            error = where + "expected 'key = value'";
            return false;
        }
        const std::string key = trimmed(line.substr(0, eq));
        const std::string value = trimmed(line.substr(eq + 1));
        const auto setter = setters().find(key);
        if (setter == setters().end()) {
            error = where + "unknown key '" + key + "'";
            return false;
        }
        if (lineOf.count(key)) {
            error =
                where + "'" + key + "' was already given on line " + std::to_string(lineOf[key]);
            return false;
        }
        lineOf[key] = lineNo;
        std::string why;
        if (!setter->second(value, d, why)) {
            error = where + key + ": " + why;
            return false;
        }
    }
    for (const char* key : kRequired)
        if (!lineOf.count(key)) {
            error = path + ": missing '" + key + "'";
            return false;
        }
    if (d.cabin == Cabin::Van || d.cabin == Cabin::Roadster) d.rearScreen = 0;
    if (!checkShape(d, lineOf, path, lineNo, error)) return false;
    out = std::move(d);
    return true;
}

bool readCarDesc(const std::string& path, CarDesc& out, std::string& error) {
    std::vector<std::uint8_t> bytes;
    if (!readWholeFile(path, bytes, 1 << 16)) {
        error = path + ": cannot read it (missing, unreadable or over 64 KiB)";
        return false;
    }
    return parseCarDesc(std::string(bytes.begin(), bytes.end()), path, out, error);
}

void applyHandling(const CarDesc& desc, CarType& type) {
    type.topSpeed = desc.topSpeed;
    type.acceleration = desc.acceleration;
    type.grip = desc.grip;
    type.tankSize = desc.tankSize;
    type.consumption = desc.consumption;
    type.maxDamage = desc.maxDamage;
}
