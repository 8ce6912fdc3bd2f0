#include "base/bytes.hpp"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
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

namespace {
// Writes all of bytes, going on after a short write; false on the first
// failure, with errno telling why (EFBIG or ENOSPC when the disk is full).
bool writeAll(int fd, const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        done += std::size_t(n);
    }
    return true;
}

// The rename itself lives in the directory: without this a power cut
// could still bring back the old entry. A directory that cannot be opened
// or synced does not undo a save that has already taken place.
void syncDirectoryOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::string directory = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}
} // namespace

std::string temporaryPathFor(const std::string& path) {
    return path + kTemporarySuffix;
}

bool writeFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    const std::string temp = temporaryPathFor(path);
    // A temporary left by a save that was killed is ours to replace; O_EXCL
    // then makes sure the bytes go to a new file and never through a link.
    ::unlink(temp.c_str());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool good = writeAll(fd, bytes);
    good = good && ::fsync(fd) == 0;
    int failure = good ? 0 : errno;
    if (::close(fd) != 0 && good) {
        good = false;
        failure = errno;
    }
    if (good && ::rename(temp.c_str(), path.c_str()) == 0) {
        syncDirectoryOf(path);
        return true;
    }
    if (good) failure = errno;
    ::unlink(temp.c_str());
    errno = failure;
    return false;
}

bool writeFileIfChanged(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> current;
    if (readWholeFile(path, current, bytes.size()) && current == bytes) return true;
    return writeFileAtomically(path, bytes);
}

bool isLeftoverTemporary(const std::string& fileName, const std::string& savedPattern) {
    const std::size_t suffix = std::strlen(kTemporarySuffix);
    if (fileName.size() <= suffix ||
        fileName.compare(fileName.size() - suffix, suffix, kTemporarySuffix) != 0)
        return false;
    const std::string saved = fileName.substr(0, fileName.size() - suffix);
    return fnmatch(savedPattern.c_str(), saved.c_str(), 0) == 0;
}

std::vector<std::string> removeLeftoverTemporaries(const std::string& directory,
                                                   const std::string& savedPattern) {
    std::vector<std::string> removed;
    DIR* dir = ::opendir(directory.c_str());
    if (!dir) return removed;
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir))
        if (isLeftoverTemporary(entry->d_name, savedPattern)) names.push_back(entry->d_name);
    ::closedir(dir);
    for (const std::string& name : names) {
        const std::string path = directory == "." ? name : directory + "/" + name;
        struct stat info;
        // Only a plain file can be one of ours; a link or a directory by
        // that name was put there by someone else.
        if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        if (::unlink(path.c_str()) == 0) removed.push_back(path);
    }
    return removed;
}
