// Little-endian byte buffers and whole-file I/O.
//
// Every file format of the game is read from a byte buffer through ByteReader
// and written through ByteWriter, so that the game, the content tools, the
// tests and any fuzzer share one bounds-checked path. A read past the end
// never touches memory outside the buffer: it fails and leaves the reader
// failed for good, so a decoder can check once after a run of reads.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

class ByteReader {
  public:
    ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    explicit ByteReader(const std::vector<std::uint8_t>& bytes)
        : data_(bytes.data()), size_(bytes.size()) {}
    // A reader only borrows its bytes: one over a temporary would read freed
    // memory from the next statement on.
    explicit ByteReader(std::vector<std::uint8_t>&&) = delete;

    // False once any read ran past the end.
    bool ok() const { return ok_; }
    std::size_t position() const { return pos_; }
    std::size_t remaining() const { return ok_ ? size_ - pos_ : 0; }
    bool atEnd() const { return remaining() == 0; }

    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    std::uint32_t u32() {
        std::uint8_t b[4] = {};
        if (!take(b, 4)) return 0;
        return b[0] | (b[1] << 8) | (b[2] << 16) | (std::uint32_t(b[3]) << 24);
    }
    std::int16_t i16() {
        std::uint8_t b[2] = {};
        if (!take(b, 2)) return 0;
        return static_cast<std::int16_t>(b[0] | (b[1] << 8));
    }
    std::uint8_t u8() {
        std::uint8_t b = 0;
        take(&b, 1);
        return b;
    }
    float f32() {
        std::uint32_t bits = u32();
        float f;
        std::memcpy(&f, &bits, 4);
        return f;
    }
    // Copies n bytes out; fails (and copies nothing) when fewer remain.
    bool take(void* out, std::size_t n) {
        if (!ok_ || n > size_ - pos_) {
            ok_ = false;
            return false;
        }
        if (n) std::memcpy(out, data_ + pos_, n);
        pos_ += n;
        return true;
    }
    // A counted string: int32 length, then the bytes. Lengths outside
    // 0..maxLength fail the reader, so a damaged length never allocates.
    bool countedString(std::string& out, std::int32_t maxLength) {
        std::int32_t n = i32();
        if (!ok_ || n < 0 || n > maxLength || std::size_t(n) > remaining()) {
            ok_ = false;
            return false;
        }
        out.assign(reinterpret_cast<const char*>(data_ + pos_), std::size_t(n));
        pos_ += std::size_t(n);
        return true;
    }
    bool skip(std::size_t n) {
        if (!ok_ || n > size_ - pos_) {
            ok_ = false;
            return false;
        }
        pos_ += n;
        return true;
    }
    bool seek(std::size_t at) {
        if (!ok_ || at > size_) {
            ok_ = false;
            return false;
        }
        pos_ = at;
        return true;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

class ByteWriter {
  public:
    void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
    void u32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes_.push_back(std::uint8_t(v >> (8 * i)));
    }
    void i16(std::int16_t v) {
        bytes_.push_back(std::uint8_t(v));
        bytes_.push_back(std::uint8_t(std::uint16_t(v) >> 8));
    }
    void u8(std::uint8_t v) { bytes_.push_back(v); }
    void f32(float f) {
        std::uint32_t bits;
        std::memcpy(&bits, &f, 4);
        u32(bits);
    }
    void raw(const void* data, std::size_t n) {
        auto p = static_cast<const std::uint8_t*>(data);
        bytes_.insert(bytes_.end(), p, p + n);
    }
    void countedString(const std::string& s) {
        i32(std::int32_t(s.size()));
        raw(s.data(), s.size());
    }
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

  private:
    std::vector<std::uint8_t> bytes_;
};

// Reads a whole file. False when it cannot be opened or read, or is larger
// than maxBytes (a guard against mistaking a huge file for game data).
bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& out,
                   std::size_t maxBytes = 64u << 20);

// Writes a temporary file beside path (path + kTemporarySuffix) and renames
// it over path, so that an interrupted save leaves either the old file or the
// new one, never a torn one. Every write, the sync and the close are checked
// before the rename; on any failure (a full disk, a directory that cannot be
// written, a directory where path should be) the temporary is removed, path
// is left as it was, false is returned and errno tells why.
bool writeFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes);

// The same, but a file that already holds exactly these bytes is left alone:
// a game whose files are read-only, or whose disk is full, can still quit
// cleanly when nothing changed.
bool writeFileIfChanged(const std::string& path, const std::vector<std::uint8_t>& bytes);

// A save killed between writing and renaming leaves its temporary behind.
constexpr const char* kTemporarySuffix = ".tmp";
std::string temporaryPathFor(const std::string& path);
// True for the temporary of a file whose name matches savedPattern (a
// wildcard pattern such as "*.pl"): the only names a start may clear away.
bool isLeftoverTemporary(const std::string& fileName, const std::string& savedPattern);
// Removes those temporaries in directory that are plain files; returns
// their paths.
std::vector<std::string> removeLeftoverTemporaries(const std::string& directory,
                                                   const std::string& savedPattern);
