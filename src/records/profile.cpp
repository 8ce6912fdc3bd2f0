#include "records/profile.hpp"

#include "base/bytes.hpp"

bool decodeProfile(const std::vector<std::uint8_t>& bytes, PlayerProfile& out) {
    ByteReader in(bytes);
    PlayerProfile p;
    in.i32(); // format number
    p.type = in.i32();
    if (!in.countedString(p.name, kMaxProfileText) || !in.countedString(p.carName, kMaxProfileText))
        return false;
    for (std::int32_t& key : p.controls)
        key = in.i32();
    p.id = in.i32();
    p.racesDriven = in.i32();
    p.racesWon = in.i32();
    p.fastestLaps = in.i32();
    p.totalLaps = in.i32();
    p.championshipsWon = in.i32();
    if (!in.ok()) return false;
    out = std::move(p);
    return true;
}

std::vector<std::uint8_t> encodeProfile(const PlayerProfile& p) {
    ByteWriter out;
    out.i32(1);
    out.i32(p.type);
    out.countedString(p.name);
    out.countedString(p.carName);
    for (std::int32_t key : p.controls)
        out.i32(key);
    out.i32(p.id);
    out.i32(p.racesDriven);
    out.i32(p.racesWon);
    out.i32(p.fastestLaps);
    out.i32(p.totalLaps);
    out.i32(p.championshipsWon);
    return out.bytes();
}

bool isSafeProfileName(const std::string& name) {
    if (name.empty() || name.find_first_not_of('.') == std::string::npos) return false;
    for (unsigned char c : name)
        if (c < 32 || c == 127 || c == '/' || c == '\\') return false;
    return true;
}

std::string profilePath(const std::string& name) {
    return isSafeProfileName(name) ? "players/" + name + ".pl" : std::string();
}
