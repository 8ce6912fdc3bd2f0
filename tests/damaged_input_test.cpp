// Damaged files found by fuzzing (and by hand), one folder per reader under
// tests/data/damaged/, replayed through the same code as the fuzz targets:
// the reader's memory entry point and what the game does with what it
// accepts. Each must be refused cleanly; the few that are in fact valid
// files (they faulted only after being accepted) are listed in ACCEPTED
// there, as "reader/file" lines. KNOWN lists, the same way, reproducers of
// faults not yet mended: they are skipped (they would fault under the
// sanitizers) until their line goes with the mend.
#include "reader_exercise.hpp"
#include "test_support.hpp"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <set>

namespace {

namespace fs = std::filesystem;

const fs::path kDamaged = GRAVELIN_DAMAGED_DIR;

// "reader/file" lines; '#' starts a comment.
std::set<std::string> listed(const char* listName) {
    std::set<std::string> names;
    std::ifstream in(kDamaged / listName);
    std::string line;
    while (std::getline(in, line)) {
        line = line.substr(0, line.find('#'));
        line.erase(std::remove_if(line.begin(), line.end(), [](char c) { return std::isspace(c); }),
                   line.end());
        if (!line.empty()) names.insert(line);
    }
    return names;
}

// Sorted, so that a failure names the same file on every run.
std::vector<fs::path> filesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code ignored;
    if (!fs::is_directory(folder, ignored)) return files;
    for (const fs::directory_entry& e : fs::directory_iterator(folder))
        if (e.is_regular_file()) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

TEST(DamagedInput, EveryFileIsRefusedOrListedAsValid) {
    initGame(); // the set.dat reader builds the game's menu
    const std::set<std::string> accepted = listed("ACCEPTED");
    const std::set<std::string> known = listed("KNOWN");
    std::set<std::string> seen;
    for (const ReaderExercise& reader : readerExercises()) {
        for (const fs::path& file : filesIn(kDamaged / reader.name)) {
            const std::string name = std::string(reader.name) + "/" + file.filename().string();
            seen.insert(name);
            if (known.count(name)) continue;
            std::vector<std::uint8_t> bytes;
            ASSERT_TRUE(readWholeFile(file.string(), bytes)) << name;
            const bool used = reader.run(bytes);
            EXPECT_EQ(used, accepted.count(name) == 1)
                << name << (used ? " was accepted" : " was refused");
        }
    }
    for (const std::string& name : accepted)
        EXPECT_EQ(seen.count(name), 1u) << "ACCEPTED lists " << name << ", which is not there";
    for (const std::string& name : known)
        EXPECT_EQ(seen.count(name), 1u) << "KNOWN lists " << name << ", which is not there";
    if (!known.empty())
        std::printf("[ SKIPPED  ] %zu reproducers of known faults (tests/data/damaged/KNOWN)\n",
                    known.size());
}

TEST(DamagedInput, EveryFolderNamesAReader) {
    // A file in a misspelt folder would never be replayed.
    std::error_code ignored;
    if (!fs::is_directory(kDamaged, ignored)) return;
    for (const fs::directory_entry& e : fs::directory_iterator(kDamaged)) {
        if (!e.is_directory()) continue;
        EXPECT_NE(findReaderExercise(e.path().filename().string()), nullptr)
            << e.path().filename() << " is no reader's folder";
    }
}
