#include "records/lap_record.hpp"

#include "base/bytes.hpp"

#include <cstdio>

bool decodeLapRecord(const std::vector<std::uint8_t>& bytes, LapRecord& out) {
    ByteReader in(bytes);
    LapRecord r;
    in.i32(); // format value, always 1
    r.time = in.i32();
    if (!in.countedString(r.driver, kMaxRecordText) || !in.countedString(r.car, kMaxRecordText) ||
        !in.countedString(r.date, kMaxRecordText))
        return false;
    out = std::move(r);
    return true;
}

std::vector<std::uint8_t> encodeLapRecord(const LapRecord& r) {
    ByteWriter out;
    out.i32(1);
    out.i32(r.time);
    out.countedString(r.driver);
    out.countedString(r.car);
    out.countedString(r.date);
    return out.bytes();
}

std::string lapTimeText(std::int32_t t) {
    char text[40];
    std::snprintf(text, sizeof text, "%2d:%2d:%2d", t / 3600, (t / 60) % 60, (t % 60) * 3 / 2);
    return text;
}

std::string trackBaseName(const std::string& mapFileName) {
    const std::size_t at = mapFileName.find(".map");
    return at == std::string::npos ? mapFileName : mapFileName.substr(0, at);
}

LapRecord readLapRecord(const std::string& mapFileName) {
    std::vector<std::uint8_t> bytes;
    LapRecord r;
    if (!readWholeFile("tracks/" + trackBaseName(mapFileName) + ".rec", bytes, 1 << 16) ||
        !decodeLapRecord(bytes, r))
        return LapRecord{3600, "K.R.T", "Saab 900S 2.0(N/A)", "11-04-83"};
    if (r.date.empty()) r.date = "N/A";
    return r;
}
