// The gallery: one page that shows every shipped track as the track viewer
// draws it, plain and with its areas, racing line and grid, with its length,
// lap record and pit lane; and every car with its picture and handling
// figures. The build writes it to build/gallery/; open index.html there in
// a browser. Nothing of it goes into the source tree.
//
// usage: gravelin_gallery <output directory>
// Run it in the runtime directory (it reads tracks/ and cars/ there).
#include "car/car_list.hpp"
#include "car/car_type.hpp"
#include "frontend/race_drawing.hpp"
#include "race/race.hpp"
#include "records/lap_record.hpp"
#include "track/directory.hpp"
#include "track/track.hpp"
#include "track_overlay.hpp"

#include <SDL.h>
#include <SDL_rotozoom.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// Pictures are shrunk to this width at most: a whole track at full size
// would be tens of megabytes a picture.
constexpr int kPictureWidth = 720;

// Text for the page, with the characters HTML gives a meaning escaped.
std::string html(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// The picture shrunk to the gallery's width, with the track's areas, grid
// and racing line drawn over it when asked.
bool saveShrunk(SDL_Surface* picture, const Track* overlay, const fs::path& file) {
    const double zoom = picture->w > kPictureWidth ? double(kPictureWidth) / picture->w : 1.0;
    SDL_Surface* small = zoomSurface(picture, zoom, zoom, 1);
    if (!small) return false;
    if (overlay) drawOverlay(*overlay, small, double(small->w) / picture->w);
    const bool saved = SDL_SaveBMP(small, file.c_str()) == 0;
    SDL_FreeSurface(small);
    return saved;
}

// The racing line's length in pixels, the closing leg back to its start
// included.
double racingLineLength(const Track& track) {
    double length = 0;
    const Waypoint* first = nullptr;
    const Waypoint* last = nullptr;
    for (const Waypoint& w : track.waypoints) {
        if (w.type == FreeWaypoint) break;
        if (w.type != RacingLine) continue;
        if (last) length += std::hypot(double(w.x - last->x), double(w.y - last->y));
        if (!first) first = &w;
        last = &w;
    }
    if (first && last) length += std::hypot(double(first->x - last->x), double(first->y - last->y));
    return length;
}

// One bar of a handling figure against the largest value it may have.
std::string bar(const char* label, double value, double top, const char* unit) {
    std::ostringstream s;
    const int width = int(std::lround(std::min(1.0, value / top) * 160));
    s << "<tr><td>" << label << "</td><td><div class=bar style=\"width:" << width
      << "px\"></div></td><td>" << value << ' ' << unit << "</td></tr>\n";
    return s.str();
}

std::string trackSection(const std::string& map, const fs::path& out, std::string& why) {
    Race race{RaceRules{}};
    RaceDrawing drawing;
    if (!race.prepareRace(map, why) || !drawing.prepare(race)) return {};
    const Track& track = *race.track();
    const std::string name = trackBaseName(map);
    if (!saveShrunk(drawing.trackSurface, nullptr, out / (name + ".bmp"))) {
        why = "cannot write " + (out / (name + ".bmp")).string();
        return {};
    }
    if (!saveShrunk(drawing.trackSurface, &track, out / (name + "-areas.bmp"))) {
        why = "cannot write " + (out / (name + "-areas.bmp")).string();
        return {};
    }
    const bool pitLane = track.firstPitWaypoint() != -1 && track.countAreas(PitBox) > 0;
    std::ostringstream s;
    s << "<section><h2>" << html(name) << "</h2>\n<p>" << track.width << " x " << track.height
      << " cells, " << track.pixelWidth() << " x " << track.pixelHeight() << " pixels; racing line "
      << std::lround(racingLineLength(track)) << " pixels a lap; " << track.countAreas(Checkpoint)
      << " checkpoints; " << (pitLane ? "a pit lane with a pit box" : "no pit lane")
      << ".<br>\nLap record: ";
    if (track.record.time > 0 && track.record.time < kNoRecordTime)
        s << lapTimeText(track.record.time) << " by " << html(track.record.driver) << " in "
          << html(track.record.car) << " (" << html(track.record.date) << ")";
    else
        s << "none yet";
    s << ".</p>\n<img src=\"" << name << ".bmp\" alt=\"" << html(name) << "\">\n<img src=\"" << name
      << "-areas.bmp\" alt=\"" << html(name)
      << " with its areas, grid and racing line\">\n</section>\n";
    return s.str();
}

std::string carSection(const CarType& car, const fs::path& out) {
    // The car's own picture, copied beside the page.
    const std::string picture = fs::path(car.picture).filename().string();
    std::error_code ignored;
    fs::copy_file(car.picture, out / picture, fs::copy_options::overwrite_existing, ignored);
    std::ostringstream s;
    s << "<section class=car><h3>" << html(car.name) << "</h3><img src=\"" << html(picture)
      << "\" alt=\"" << html(car.name) << "\">\n<table>\n"
      << bar("top speed", car.topSpeed, 12, "px/frame")
      << bar("acceleration", car.acceleration, 0.3, "px/frame&sup2;")
      << bar("grip", car.grip, 0.3, "rad/frame") << bar("tank", car.tankSize, 200, "")
      << bar("consumption", car.consumption, 40, "") << bar("damage limit", car.maxDamage, 400, "")
      << "</table>\n<p>A full tank lasts "
      << std::lround(car.tankSize / car.consumption * 1400 * 0.016)
      << " s with the engine running.</p></section>\n";
    return s.str();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gravelin_gallery <output directory>\n");
        return 2;
    }
    const fs::path out = argv[1];
    std::error_code error;
    fs::create_directories(out, error);
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    if (SDL_Init(SDL_INIT_VIDEO) < 0 || !SDL_SetVideoMode(640, 400, 32, 0)) {
        std::fprintf(stderr, "gallery: no video: %s\n", SDL_GetError());
        return 1;
    }
    std::atexit(SDL_Quit);

    std::ostringstream page;
    page
        << "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Gravelin: tracks and "
           "cars</title>\n<style>body{font-family:sans-serif;background:#222;color:#eee;margin:2em}"
           "img{max-width:48%;margin:4px;image-rendering:pixelated}"
           "section.car{display:inline-block;vertical-align:top;width:420px;margin:1em}"
           "section.car img{width:64px}.bar{height:10px;background:#6c6}"
           "td{padding:2px 8px}</style></head><body>\n<h1>Gravelin: tracks and cars</h1>\n";
    int failures = 0;
    page << "<h2>Tracks</h2>\n";
    for (const std::string& map : listDirectory("tracks/", "*.map")) {
        std::string why;
        const std::string section = trackSection(map, out, why);
        if (section.empty()) {
            std::fprintf(stderr, "gallery: %s: %s\n", map.c_str(), why.c_str());
            ++failures;
            continue;
        }
        page << section;
    }
    page << "<h2>Cars</h2>\n";
    for (const auto& car : loadCarTypes())
        page << carSection(*car, out);
    page << "</body></html>\n";
    std::ofstream(out / "index.html") << page.str();
    std::printf("gallery: %s\n", (out / "index.html").c_str());
    return failures ? 1 : 0;
}
