#include "trackbuild_source.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <sstream>

bool cellFromChar(char c, SceneCell& out) {
    out = SceneCell{};
    switch (c) {
    case '.':
        return true;
    case ',':
        out.ground = Ground::Rough;
        return true;
    case ':':
        out.ground = Ground::Pavement;
        return true;
    case 's':
        out.ground = Ground::Trap;
        return true;
    case '~':
        out.ground = Ground::Water;
        return true;
    case 'k':
        out.kerb = true;
        [[fallthrough]];
    case '#':
        out.ground = Ground::Road;
        return true;
    case 'T':
        out.thing = Thing::Broadleaf;
        return true;
    case 'A':
        out.thing = Thing::Conifer;
        return true;
    case 'Y':
        out.thing = Thing::Palm;
        return true;
    case 'o':
        out.thing = Thing::Tyres;
        return true;
    case 'W':
        out.thing = Thing::Wall;
        return true;
    case 'r':
        out.thing = Thing::Rock;
        return true;
    case 'B':
        out.thing = Thing::FlatRoof;
        return true;
    case 'C':
        out.thing = Thing::TiledRoof;
        return true;
    case 'G':
        out.thing = Thing::MetalRoof;
        return true;
    case 'L':
        out.thing = Thing::LampPost;
        return true;
    // Cranes and containers stand on the paved quay.
    case 'X':
        out.thing = Thing::Crane;
        out.ground = Ground::Pavement;
        return true;
    case 'U':
        out.thing = Thing::Container;
        out.ground = Ground::Pavement;
        return true;
    default:
        return false;
    }
}

namespace {

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

bool parseInt(const std::string& s, int& v) {
    const char* end = s.data() + s.size();
    auto [p, ec] = std::from_chars(s.data(), end, v);
    return ec == std::errc() && p == end;
}

bool parseNumber(const std::string& s, double& v) {
    if (s.empty() || s.size() > 20) return false;
    char* end = nullptr;
    v = std::strtod(s.c_str(), &end);
    return end == s.c_str() + s.size() && std::isfinite(v);
}

bool validName(const std::string& s) {
    if (s.empty() || s.size() > 24) return false;
    for (char c : s)
        if (!(std::islower(static_cast<unsigned char>(c)) ||
              std::isdigit(static_cast<unsigned char>(c)) || c == '_' || c == '-'))
            return false;
    return true;
}

class Parser {
  public:
    Parser(const std::string& file, TrackSource& out, std::string& error)
        : file_(file), out_(out), error_(error) {}

    bool fail(int line, const std::string& message) {
        error_ = file_ + ":" + std::to_string(line) + ": " + message;
        return false;
    }

    bool run(const std::string& text) {
        std::istringstream in(text);
        std::string line;
        int number = 0;
        std::vector<std::string> rows;
        bool inMap = false, mapDone = false;
        while (std::getline(in, line)) {
            ++number;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (inMap) {
                if (words(line) == std::vector<std::string>{"end"}) {
                    inMap = false;
                    mapDone = true;
                    if (!takeRows(rows)) return false;
                    continue;
                }
                rows.push_back(line);
                continue;
            }
            const std::vector<std::string> w = words(line);
            if (w.empty() || w[0][0] == '#') continue;
            if (w[0] == "map") {
                if (mapDone || inMap) return fail(number, "a second map");
                if (w.size() != 1) return fail(number, "'map' takes nothing after it");
                inMap = true;
                out_.mapLine = number;
                continue;
            }
            if (!directive(w, number)) return false;
        }
        number = std::max(number, 1);
        if (inMap) return fail(out_.mapLine, "map without 'end'");
        if (out_.name.empty()) return fail(number, "no 'name'");
        if (out_.theme.empty()) return fail(number, "no 'theme'");
        if (!mapDone) return fail(number, "no map");
        return true;
    }

  private:
    bool takeRows(const std::vector<std::string>& rows) {
        const int first = out_.mapLine + 1;
        if (rows.empty()) return fail(out_.mapLine, "empty map");
        const std::size_t width = rows[0].size();
        if (width < std::size_t(kMinMapWidth) || rows.size() < std::size_t(kMinMapHeight))
            return fail(out_.mapLine, "map smaller than " + std::to_string(kMinMapWidth) + " x " +
                                          std::to_string(kMinMapHeight) + " cells");
        // Named at the row that passes a limit: the painting time and the
        // drawn track grow with the cells.
        if (width > std::size_t(kMaxMapSide))
            return fail(first, "map wider than " + std::to_string(kMaxMapSide) + " cells");
        if (rows.size() > std::size_t(kMaxMapSide))
            return fail(first + kMaxMapSide,
                        "map taller than " + std::to_string(kMaxMapSide) + " cells");
        if (width * rows.size() > std::size_t(kMaxMapArea)) {
            const int row = int(std::size_t(kMaxMapArea) / width);
            return fail(first + row, "map larger than " + std::to_string(kMaxMapArea) + " cells (" +
                                         std::to_string(width) + " x " +
                                         std::to_string(rows.size()) + ")");
        }
        out_.width = int(width);
        out_.height = int(rows.size());
        out_.cells.clear();
        for (std::size_t y = 0; y < rows.size(); ++y) {
            const int line = first + int(y);
            if (rows[y].size() != width)
                return fail(line, "row of " + std::to_string(rows[y].size()) + " cells, not " +
                                      std::to_string(width));
            for (std::size_t x = 0; x < width; ++x) {
                SceneCell cell;
                if (!cellFromChar(rows[y][x], cell)) {
                    const unsigned char c = static_cast<unsigned char>(rows[y][x]);
                    std::string shown = std::isprint(c) ? std::string(1, char(c))
                                                        : "byte " + std::to_string(int(c));
                    return fail(line, "column " + std::to_string(x + 1) + ": '" + shown +
                                          "' is no kind of cell");
                }
                out_.cells.push_back(cell);
            }
        }
        // Rectangles and points given before the map are checked now.
        for (const auto* list :
             {&out_.finishes, &out_.checkpoints, &out_.pitBoxes, &out_.refuels, &out_.bridges})
            for (const SourceRect& r : *list)
                if (r.x2 >= out_.width || r.y2 >= out_.height)
                    return fail(r.line, "rectangle reaches outside the map");
        for (const auto* list : {&out_.race, &out_.pit})
            for (const SourcePoint& p : *list)
                if (p.x >= out_.width || p.y >= out_.height)
                    return fail(p.line, "waypoint outside the map");
        for (const SourceCurve& c : out_.curves)
            if (!curveInMap(c)) return fail(c.line, "curve centre outside the map");
        return true;
    }

    bool rect(const std::vector<std::string>& w, int line, std::vector<SourceRect>& list,
              bool bridge) {
        const std::size_t want = bridge ? 6 : 5;
        if (w.size() != want)
            return fail(line, "'" + w[0] + "' takes x1 y1 x2 y2" + (bridge ? " and h or v" : ""));
        SourceRect r;
        r.line = line;
        int* v[4] = {&r.x1, &r.y1, &r.x2, &r.y2};
        for (int i = 0; i < 4; ++i)
            if (!parseInt(w[i + 1], *v[i]) || *v[i] < 0 || *v[i] >= kMaxMapSide)
                return fail(line, "'" + w[i + 1] + "' is not a cell number");
        if (r.x2 < r.x1 || r.y2 < r.y1) return fail(line, "corners must be given top left first");
        if (bridge) {
            if (w[5] != "h" && w[5] != "v") return fail(line, "a bridge runs h or v");
            r.horizontal = w[5] == "h";
        }
        if (out_.width && (r.x2 >= out_.width || r.y2 >= out_.height))
            return fail(line, "rectangle reaches outside the map");
        list.push_back(r);
        return true;
    }

    bool points(const std::vector<std::string>& w, int line, std::vector<SourcePoint>& list) {
        if (w.size() < 2) return fail(line, "'" + w[0] + "' takes x,y points");
        for (std::size_t i = 1; i < w.size(); ++i) {
            const std::size_t comma = w[i].find(',');
            SourcePoint p;
            p.line = line;
            if (comma == std::string::npos || !parseNumber(w[i].substr(0, comma), p.x) ||
                !parseNumber(w[i].substr(comma + 1), p.y))
                return fail(line, "'" + w[i] + "' is not a point x,y");
            if (p.x < 0 || p.y < 0 || p.x >= kMaxMapSide || p.y >= kMaxMapSide ||
                (out_.width && (p.x >= out_.width || p.y >= out_.height)))
                return fail(line, "waypoint " + w[i] + " outside the map");
            list.push_back(p);
        }
        return true;
    }

    // curve CX CY R W FROM TO [kerbs]
    bool curve(const std::vector<std::string>& w, int line) {
        if (w.size() != 7 && w.size() != 8)
            return fail(line, "'curve' takes centre x y, radius, width, from, to [kerbs]");
        SourceCurve c;
        c.line = line;
        double* v[4] = {&c.cx, &c.cy, &c.radius, &c.width};
        for (int i = 0; i < 4; ++i)
            if (!parseNumber(w[std::size_t(i) + 1], *v[i]) || *v[i] < 0 || *v[i] > kMaxMapSide)
                return fail(line, "'" + w[std::size_t(i) + 1] + "' is not a number of cells");
        if (c.width < 1) return fail(line, "a curve's road is at least 1 cell wide");
        if (c.radius - c.width < kMinCurveInnerRadius) {
            std::ostringstream m;
            m << "curve radius " << c.radius << " is below its minimum of "
              << c.width + kMinCurveInnerRadius << " for a road " << c.width
              << " cells wide (the inner edge needs a radius of " << kMinCurveInnerRadius << ")";
            return fail(line, m.str());
        }
        int to = 0;
        if (!direction(w[5], c.from) || !direction(w[6], to))
            return fail(line, "curve directions are n ne e se s sw w nw");
        c.span = (to - c.from + 8) % 8;
        if (c.span < 1 || c.span > 4)
            return fail(line, "a curve turns clockwise through 45 to 180 degrees, from " + w[5] +
                                  " to " + w[6] + " it does not");
        if (w.size() == 8) {
            if (w[7] != "kerbs") return fail(line, "after the directions only 'kerbs' may follow");
            c.kerbs = true;
        }
        if (out_.width && !curveInMap(c)) return fail(line, "curve centre outside the map");
        // Every painted pixel asks each bend whether it shapes it.
        if (out_.curves.size() >= kMaxCurves)
            return fail(line, "more than " + std::to_string(kMaxCurves) + " curves");
        out_.curves.push_back(c);
        return true;
    }
    static bool direction(const std::string& s, int& out) {
        static const char* const names[] = {"n", "ne", "e", "se", "s", "sw", "w", "nw"};
        for (int i = 0; i < 8; ++i)
            if (s == names[i]) {
                out = i;
                return true;
            }
        return false;
    }
    bool curveInMap(const SourceCurve& c) const {
        return c.cx <= out_.width && c.cy <= out_.height;
    }

    bool directive(const std::vector<std::string>& w, int line) {
        const std::string& key = w[0];
        if (key == "name" || key == "theme") {
            if (w.size() != 2) return fail(line, "'" + key + "' takes one word");
            std::string& field = key == "name" ? out_.name : out_.theme;
            if (!field.empty()) return fail(line, "a second '" + key + "'");
            if (key == "name" && !validName(w[1]))
                return fail(line, "a name is 1 to 24 lower-case letters, digits, '-' or '_'");
            if (key == "theme" && !knownTheme(w[1]))
                return fail(line, "no theme '" + w[1] + "' (there are " + themeList() + ")");
            field = w[1];
            if (key == "name") out_.nameLine = line;
            return true;
        }
        if (key == "finish") return rect(w, line, out_.finishes, false);
        if (key == "checkpoint") return rect(w, line, out_.checkpoints, false);
        if (key == "pitbox") return rect(w, line, out_.pitBoxes, false);
        if (key == "refuel") return rect(w, line, out_.refuels, false);
        if (key == "bridge") return rect(w, line, out_.bridges, true);
        if (key == "curve") return curve(w, line);
        if (key == "race") return points(w, line, out_.race);
        if (key == "pit") return points(w, line, out_.pit);
        std::string shown = key.substr(0, 24);
        for (char& c : shown)
            if (!std::isprint(static_cast<unsigned char>(c))) c = '?';
        return fail(line, "unknown line '" + shown + "'");
    }

    std::string file_;
    TrackSource& out_;
    std::string& error_;
};

} // namespace

bool parseTrackSource(const std::string& text, const std::string& file, TrackSource& out,
                      std::string& error) {
    out = TrackSource{};
    out.file = file;
    return Parser(file, out, error).run(text);
}
