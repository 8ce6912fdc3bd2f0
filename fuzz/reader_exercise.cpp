#include "reader_exercise.hpp"

#include "app/game.hpp"
#include "app/settings_file.hpp"
#include "car/car.hpp"
#include "car/car_type.hpp"
#include "car/controls.hpp"
#include "carbuild_desc.hpp"
#include "carbuild_fit.hpp"
#include "carbuild_paint.hpp"
#include "driver/player.hpp"
#include "frontend/race_drawing.hpp"
#include "gfx/font.hpp"
#include "gfx/image.hpp"
#include "gfx/surface.hpp"
#include "race/replay_run.hpp"
#include "records/lap_record.hpp"
#include "records/pad_file.hpp"
#include "records/profile.hpp"
#include "sound/mixer.hpp"
#include "sound/sound.hpp"
#include "tilegen.hpp"
#include "track/geometry.hpp"
#include "track/track.hpp"
#include "trackbuild_layout.hpp"
#include "trackbuild_source.hpp"
#include "ui/menu.hpp"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

using Bytes = std::vector<std::uint8_t>;

[[noreturn]] void broken(const char* reader, const char* what) {
    std::fprintf(stderr, "%s reader: %s\n", reader, what);
    std::abort();
}

// What a writer produces its reader must take back, and the same bytes again.
template <typename T, typename Decode, typename Encode>
void roundTrip(const char* reader, const T& value, Decode decode, Encode encode) {
    const Bytes once = encode(value);
    T again{};
    if (!decode(once, again)) broken(reader, "refuses what its own writer wrote");
    if (encode(again) != once) broken(reader, "reads back other values than were written");
}

// A small drawing target; the game's own targets are larger, but clipping
// is what matters here.
struct OwnedSurface {
    OwnedSurface(std::int32_t w, std::int32_t h) : s(createSurface(w, h, false)) {}
    ~OwnedSurface() { SDL_FreeSurface(s); }
    OwnedSurface(const OwnedSurface&) = delete;
    OwnedSurface& operator=(const OwnedSurface&) = delete;
    SDL_Surface* s;
};

// Draws a picture at places that clip on every side, as tiles and cars are.
void blitAround(SDL_Surface* picture, SDL_Surface* target) {
    const std::int32_t places[][2] = {
        {0, 0}, {-picture->w / 2, -picture->h / 2}, {target->w - 3, target->h - 3}, {7, -5}};
    for (const auto& p : places) {
        maskedBlit(picture, target, p[0], p[1]);
        shadowBlit(picture, target, p[0], p[1]);
    }
}

// ------------------------------------------------------------------ map

// The tileset a map names comes from another file; plain tiles of the size
// the map declares stand in for it, as many as a small tileset has.
constexpr std::int32_t kStandInTiles = 8;
constexpr std::int32_t kStandInTileSide = 64;

bool exerciseMap(const Bytes& bytes) {
    Track track;
    std::string why;
    if (!decodeMap(bytes, track, why)) return false;
    roundTrip(
        "map", track,
        [](const Bytes& b, Track& t) {
            std::string w;
            return decodeMap(b, t, w);
        },
        encodeMap);
    // Track::loadTileset refuses these sizes; larger ones than the stand-in
    // keep their pitch but are drawn small, which changes nothing that is
    // checked here.
    if (track.tileWidth < 1 || track.tileHeight < 1 || track.tileWidth > kMaxTileSide ||
        track.tileHeight > kMaxTileSide)
        return false;
    auto set = std::make_unique<Tileset>();
    set->tiles.resize(kStandInTiles);
    for (std::int32_t i = 0; i < kStandInTiles; ++i) {
        Tile& tile = set->tiles[std::size_t(i)];
        tile.width = track.tileWidth;
        tile.height = track.tileHeight;
        tile.surface = createSurface(std::min(tile.width, kStandInTileSide),
                                     std::min(tile.height, kStandInTileSide), false);
        SDL_FillRect(tile.surface, nullptr, 0xFF000000u + std::uint32_t(i) * 0x101010u);
    }
    track.tileset = std::move(set);

    // Game::loadTrack's checks, then what it computes from the map.
    const std::int64_t w = std::int64_t(track.pitchX()) * track.width;
    const std::int64_t h = std::int64_t(track.pitchY()) * track.height;
    if (w < 1 || h < 1 || w > kMaxTrackSide || h > kMaxTrackSide || w * h > kMaxTrackPixels)
        return false;
    const TrackArea* finish = track.finishLine();
    if (!finish) return false;
    const std::vector<CoveringCell> shadows = collectCoveringCells(track, 3);
    const std::vector<CoveringCell> covers = collectCoveringCells(track, 4);
    for (std::int32_t i = 0; i < kMaxDrivers; ++i) {
        const GridPlace p = gridPlace(*finish, i, i + 1);
        for (std::int32_t kind = -1; kind <= Refuel; ++kind)
            track.areaAt(std::int32_t(p.x), std::int32_t(p.y), kind);
    }
    for (std::int32_t kind = Road; kind <= Refuel; ++kind)
        track.countAreas(kind);
    // The computer drivers follow the chains from the first racing point and
    // from the pit lane.
    track.firstPitWaypoint();
    for (std::int32_t i = 0; i < kWaypoints; ++i) {
        track.nextWaypoint(i);
        track.nearestRacingWaypoint(i);
    }
    for (std::int32_t start : {0, track.firstPitWaypoint()}) {
        std::int32_t at = start;
        for (int step = 0; step < 2 * kWaypoints && at >= 0; ++step)
            at = track.nextWaypoint(at);
    }
    // The drawn track, through a window small enough to make often; the
    // covers and shadows are drawn over it as every race frame does.
    OwnedSurface drawn(256, 192);
    track.renderArea(drawn.s, 0, 0, 0, 0, std::int32_t(w / track.pitchX()),
                     std::int32_t(h / track.pitchY()));
    track.renderArea(drawn.s, track.width / 2, track.height / 2, -5, -5, 6, 6);
    restoreCells(track, shadows, drawn.s);
    drawCellShadows(track, shadows, drawn.s);
    drawCellCovers(track, covers, drawn.s);
    return true;
}

// ------------------------------------------------------------- pictures

// Track::loadTileset cuts a picture into tiles of the map's size; 32 x 32
// is what the shipped tracks use.
void cutIntoTiles(SDL_Surface* picture) {
    constexpr std::int32_t kSide = 32;
    OwnedSurface target(96, 64);
    const std::int32_t columns = picture->w / kSide;
    const std::int32_t count = std::min(columns * (picture->h / kSide), 16);
    for (std::int32_t i = 0; i < count; ++i) {
        OwnedSurface tile(kSide, kSide);
        const std::int32_t left = (i % columns) * kSide, top = (i / columns) * kSide;
        for (std::int32_t r = 0; r < kSide; ++r)
            blockCopy(pixelRow(tile.s, r), pixelRow(picture, top + r) + left, kSide * 4);
        maskedBlit(tile.s, target.s, i * 8, i * 4);
    }
    blitAround(picture, target.s);
}

bool exercisePcx(const Bytes& bytes) {
    SDL_Surface* picture = decodePcxSurface(bytes, "fuzz.pcx");
    if (!picture) return false;
    cutIntoTiles(picture);
    SDL_FreeSurface(picture);
    return true;
}

bool exerciseBmp(const Bytes& bytes) {
    SDL_Surface* loaded = decodeCheckedBmp(bytes);
    if (!loaded) return false;
    // loadImage keys white and converts to the display format; without a
    // display the game's own 32-bit format stands in for it.
    SDL_SetColorKey(loaded, SDL_SRCCOLORKEY, 0xFFFFFF);
    OwnedSurface format(1, 1);
    SDL_Surface* picture = SDL_ConvertSurface(loaded, format.s->format, SDL_SWSURFACE);
    SDL_FreeSurface(loaded);
    if (!picture) return false;
    if (SDL_LockSurface(picture) == 0) {
        for (std::int32_t y = 0; y < picture->h; ++y) {
            std::uint32_t* row = pixelRow(picture, y);
            for (std::int32_t x = 0; x < picture->w; ++x)
                if ((row[x] >> 24) == 0) row[x] = 0;
        }
        SDL_UnlockSurface(picture);
    }
    cutIntoTiles(picture);
    SDL_FreeSurface(picture);
    return true;
}

bool exerciseTileFile(const Bytes& bytes) {
    Tileset set;
    std::string why;
    if (!decodeTileFile(bytes, set, why)) return false;
    OwnedSurface target(96, 64);
    for (std::size_t i = 0; i < set.tiles.size() && i < 16; ++i)
        blitAround(set.tiles[i].surface, target.s);
    return true;
}

// ----------------------------------------------------------------- cars

// A car drives on a small track of its own: road with a wall, a pit box and
// a refuel zone on it, so that every probe of the handling model finds
// something; its skid marks are painted as a drawn race paints them.
void driveCar(const CarType& type) {
    static const Track* track = [] {
        auto* t = new Track();
        t->areas.push_back({Road, 0, 0, 640, 480});
        t->areas.push_back({Obstacle, 300, 80, 340, 400});
        t->areas.push_back({PitBox, 100, 300, 160, 340});
        t->areas.push_back({Refuel, 160, 300, 220, 340});
        return t;
    }();
    OwnedSurface drawn(640, 480);
    Car car;
    car.type = &type;
    car.track = track;
    car.trackWidth = drawn.s->w;
    car.trackHeight = drawn.s->h;
    car.resetForRace();
    car.placeAt(200.0f, 240.0f, float(3.1415926535 / 2));
    for (int frame = 0; frame < 90; ++frame) {
        Controls c;
        c.throttle = 1;
        c.right = frame % 30 > 20 && frame % 2;
        c.left = frame % 30 > 20 && !(frame % 2);
        c.brake = frame % 45 > 40 ? 0.1f : 0.0f;
        c.reverse = frame % 45 > 40;
        c.nitro = frame > 60;
        applyControls(car, c);
        car.update(1.0f);
        paintSkidMarks(drawn.s, car);
        car.getX();
        car.getY();
        car.probeArea(Road);
    }
}

bool exerciseCar(const Bytes& bytes) {
    CarType type;
    std::string why;
    if (!decodeCarType(bytes, type, why)) return false;
    roundTrip(
        "car", type,
        [](const Bytes& b, CarType& t) {
            std::string w;
            return decodeCarType(b, t, w);
        },
        encodeCarType);
    driveCar(type);
    return true;
}

// ---------------------------------------------------- profiles and records

bool exerciseProfile(const Bytes& bytes) {
    PlayerProfile profile;
    if (!decodeProfile(bytes, profile)) return false;
    roundTrip("profile", profile, decodeProfile, encodeProfile);
    // The game saves a driver under his name only when it is a safe one.
    const std::string path = profilePath(profile.name);
    if (isSafeProfileName(profile.name) == path.empty())
        broken("profile", "a name's path and its safety disagree");
    return true;
}

bool exercisePad(const Bytes& bytes) {
    PadBinding binding;
    std::string why;
    if (!decodePadBinding(std::string(bytes.begin(), bytes.end()), binding, why)) {
        if (why.empty()) broken("pad", "refuses without saying why");
        return false;
    }
    const std::string text = encodePadBinding(binding);
    PadBinding again;
    if (!decodePadBinding(text, again, why)) broken("pad", "refuses what its own writer wrote");
    if (again != binding) broken("pad", "reads back another binding than was written");
    PadState pad;
    pad.connected = true;
    for (const PadInput& input : binding)
        if (input.bound() && !input.valid())
            broken("pad", "reads an input out of range");
        else
            input.active(pad);
    return true;
}

bool exerciseReplay(const Bytes& bytes) {
    Replay replay;
    std::string why;
    if (!decodeReplay(bytes, replay, why)) {
        if (why.empty()) broken("replay", "refuses without saying why");
        return false;
    }
    roundTrip(
        "replay", replay,
        [](const Bytes& b, Replay& out) {
            std::string ignored;
            return decodeReplay(b, out, ignored);
        },
        encodeReplay);
    // What playing it asks of each driver's controls, turn by turn.
    const Player player;
    const Track track;
    for (const ReplayParticipant& p : replay.participants) {
        ReplayControls source(p.runs);
        source.raceStarts();
        for (std::uint32_t turn = 0; turn < replay.frames && !source.exhausted(); ++turn)
            if (!std::isfinite(source.controls(player, track, replay.rules).brake))
                broken("replay", "hands a driver a brake that is no number");
    }
    return true;
}

bool exerciseRecord(const Bytes& bytes) {
    LapRecord record;
    if (!decodeLapRecord(bytes, record)) return false;
    roundTrip("record", record, decodeLapRecord, encodeLapRecord);
    lapTimeText(record.time);
    return true;
}

// ----------------------------------------------------------------- font

bool exerciseFont(const Bytes& bytes) {
    Font font;
    const bool complete = font.decode(bytes);
    // Whatever was read is drawn and measured; a damaged file leaves empty
    // glyphs, which must be as safe as whole ones.
    OwnedSurface target(160, 48);
    std::string all;
    for (int c = 1; c < 256; ++c)
        all += char(c);
    drawText(target.s, font, 2, 2, all, 0xFFFFFFFF, true);
    drawText(target.s, font, -20, 40, "AW jq 0123", 0xFF00FF00, true);
    for (int c = 0; c < 256; c += 17)
        drawGlyph(target.s, font, target.s->w - 4, target.s->h - 4, static_cast<unsigned char>(c),
                  0xFFFF0000);
    textWidth(font, all);
    glyphWidth(font, 'A');
    glyphHeight(font, 'W');
    if (complete) {
        Font again;
        if (!again.decode(font.encode()) || again.encode() != font.encode())
            broken("font", "reads back other glyphs than were written");
    }
    return complete;
}

// -------------------------------------------------------------- set.dat

bool exerciseSettings(const Bytes& bytes) {
    // The menu's rules set these flags; a test run goes on after this.
    Game* game = Game::instance();
    const Options flags = game->options;
    game->buildMainMenu();
    std::array<std::int32_t, 8> tracks, players;
    tracks.fill(-1);
    players.fill(-1);
    const bool whole = decodeSettings(bytes, *game->mainMenu, tracks, players);
    // What Game::readSettings does next, for a game with three tracks and
    // four drivers.
    for (std::int32_t& t : tracks)
        if (t >= 3) t = -1;
    for (std::int32_t& p : players)
        if (p >= 4) p = -1;
    packSelection(tracks.data(), kMaxRaces);
    packSelection(players.data(), kMaxDrivers);
    const Bytes written = encodeSettings(*game->mainMenu, tracks, players);
    game->buildMainMenu();
    std::array<std::int32_t, 8> tracksAgain, playersAgain;
    if (!decodeSettings(written, *game->mainMenu, tracksAgain, playersAgain) ||
        tracksAgain != tracks || playersAgain != players ||
        encodeSettings(*game->mainMenu, tracks, players) != written)
        broken("set.dat", "reads back other settings than were written");
    game->buildMainMenu();
    game->options = flags;
    return whole;
}

// ---------------------------------------------------------------- sound

bool exerciseWav(const Bytes& bytes) {
    SoundSample sample;
    std::string why;
    if (!sound::decodeWavBytes(bytes, sample, why)) return false;
    // Played as the engine is: looping, at a rate the race sets.
    sample.loop = true;
    Mixer mixer(44100, 2);
    mixer.play(0, &sample);
    mixer.play(1, &sample);
    mixer.setFrequency(0, sample.rate * 3 / 2);
    mixer.setPaused(0, false);
    mixer.setPaused(1, false);
    std::vector<std::int16_t> out(2 * 1024);
    mixer.mix(out.data(), 1024);
    mixer.release(&sample);
    return true;
}

// -------------------------------------------------------- the builders

bool exerciseTrackSource(const Bytes& bytes) {
    TrackSource source;
    std::string error;
    if (!parseTrackSource(std::string(bytes.begin(), bytes.end()), "fuzz.txt", source, error))
        return false;
    // The builder then paints the scene and lays the track out on it, but
    // painting takes seconds a track under the sanitizers; the scene alone
    // is what it is painted from.
    const Scene scene = makeScene(source);
    for (int y = -1; y <= source.height; y += 3)
        for (int x = -1; x <= source.width; x += 3)
            scene.at(x, y);
    return true;
}

bool exerciseCarDesc(const Bytes& bytes) {
    CarDesc desc;
    std::string error;
    if (!parseCarDesc(std::string(bytes.begin(), bytes.end()), "fuzz.txt", desc, error))
        return false;
    // What the car builder makes of a description, and the game of that.
    const CarPicture picture = paintCar(desc);
    const TyrePlaces tyres = tyrePlaces(desc);
    CarType type;
    type.picture = "cars/fuzz.bmp";
    type.name = desc.name;
    type.frameCount = kCarFrames;
    type.frameOffsets = frameOffsetsFor(picture.width, picture.height, kCarFrames);
    // The builder's fit tries 61 x 61 pivots, over a second a car; its
    // measures for one pivot, the centre, stand in for it.
    const double nose = picture.height / 2.0 - 2.0;
    worstProbeDistance(type.frameOffsets, {0, 0}, nose);
    type.wheels[0] = {int(std::lround(-tyres.halfTrack)), int(std::lround(tyres.frontY))};
    type.wheels[1] = {int(std::lround(tyres.halfTrack)), int(std::lround(tyres.frontY))};
    type.wheels[2] = {int(std::lround(-tyres.halfTrack)), int(std::lround(tyres.rearY))};
    type.wheels[3] = {int(std::lround(tyres.halfTrack)), int(std::lround(tyres.rearY))};
    worstMarkDistance({0, 0}, type.wheels[2], -tyres.halfTrack, tyres.rearY);
    applyHandling(desc, type);
    const Bytes bmp = encodeBmp(picture);
    SDL_Surface* shown = decodeCheckedBmp(bmp);
    if (!shown) broken("car description", "the game refuses the picture the builder painted");
    SDL_FreeSurface(shown);
    if (!exerciseCar(encodeCarType(type)))
        broken("car description", "the game refuses the car file the builder wrote");
    return true;
}

} // namespace

const std::vector<ReaderExercise>& readerExercises() {
    static const std::vector<ReaderExercise> all = {
        {"map", exerciseMap},
        {"pcx", exercisePcx},
        {"bmp", exerciseBmp},
        {"tile", exerciseTileFile},
        {"car", exerciseCar},
        {"profile", exerciseProfile},
        {"record", exerciseRecord},
        {"pad", exercisePad},
        {"replay", exerciseReplay},
        {"font", exerciseFont},
        {"settings", exerciseSettings},
        {"wav", exerciseWav},
        {"tracksource", exerciseTrackSource},
        {"cardesc", exerciseCarDesc},
    };
    return all;
}

const ReaderExercise* findReaderExercise(const std::string& name) {
    for (const ReaderExercise& e : readerExercises())
        if (name == e.name) return &e;
    return nullptr;
}
