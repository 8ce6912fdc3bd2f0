// Small pictures of the tracks for the track selection screen: the whole
// map shrunk, with its racing line and finish line over it. Reading a map
// and its tileset and drawing it whole takes up to tens of milliseconds and
// megabytes, so each track's picture is made once, the first time the track
// is shown, and kept for the rest of the run; a frame only copies it. A map
// that cannot be read gets a plain placeholder instead.
#pragma once

#include "records/lap_record.hpp"

#include <SDL.h>

#include <cstdint>
#include <map>
#include <string>

class Track;

// The picture of a loaded track, fitted into width x height with its
// proportions kept: every pixel the average of the drawn track's pixels it
// covers, the racing line and finish line drawn over them. None when the
// track has no tiles or no size.
SDL_Surface* makeTrackThumbnail(const Track& track, std::int32_t width, std::int32_t height);

class TrackPreviews {
  public:
    static constexpr std::int32_t kWidth = 176;
    static constexpr std::int32_t kHeight = 124;
    static constexpr std::uint32_t kPlaceholderColour = 0xFF303030;

    TrackPreviews() = default;
    TrackPreviews(const TrackPreviews&) = delete;
    TrackPreviews& operator=(const TrackPreviews&) = delete;
    ~TrackPreviews();

    // The picture of tracks/<mapFile>: made on the first call for the file,
    // the same surface afterwards. Never none: a map that cannot be read
    // gives the placeholder, kWidth x kHeight of kPlaceholderColour.
    SDL_Surface* picture(const std::string& mapFile);
    // Whether the file's picture is the placeholder (made on demand too).
    bool unreadable(const std::string& mapFile);
    // The track's lap record as the lap records screen shows it, read on the
    // first call after forgetRecords.
    const LapRecord& record(const std::string& mapFile);
    // A race may have set a new record since: read them again when asked.
    void forgetRecords() { records_.clear(); }

    // Maps read so far, for the tests: a picture is made only once.
    std::int32_t mapsRead = 0;

  private:
    struct Entry {
        SDL_Surface* picture = nullptr;
        bool placeholder = false;
    };
    const Entry& entry(const std::string& mapFile);

    std::map<std::string, Entry> pictures_;
    std::map<std::string, LapRecord> records_;
};
