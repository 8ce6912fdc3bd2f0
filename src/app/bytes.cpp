#include "app/bytes.hpp"

#include <cstdio>
#include <unistd.h>

bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& out, std::size_t maxBytes) {
    out.clear();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    bool good = std::fseek(f, 0, SEEK_END) == 0;
    long size = good ? std::ftell(f) : -1;
    if (size < 0 || std::size_t(size) > maxBytes || std::fseek(f, 0, SEEK_SET) != 0) {
        std::fclose(f);
        return false;
    }
    out.resize(std::size_t(size));
    good = out.empty() || std::fread(out.data(), 1, out.size(), f) == out.size();
    std::fclose(f);
    if (!good) out.clear();
    return good;
}

bool writeFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    const std::string temp = path + ".tmp";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) return false;
    bool good = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    good = std::fflush(f) == 0 && good;
    good = fsync(fileno(f)) == 0 && good;
    good = std::fclose(f) == 0 && good;
    if (!good || std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}
