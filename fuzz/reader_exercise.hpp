// Every file reader of the game driven from bytes: the reader's memory entry
// point and, when it accepts the input, the first things the game does with
// what it read (track geometry, a car driven a few frames, text drawn in a
// font, a sound mixed). The fuzz targets and the damaged-input test run this
// same code, so a reproducer found by one is replayed exactly by the other.
//
// A fault shows as a sanitizer report or, for a broken promise of a reader
// (a written file it cannot read back), as a message and abort().
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ReaderExercise {
    // The reader's name: the fuzz target fuzz_<name> and the folder of its
    // damaged inputs under tests/data/damaged/.
    const char* name;
    // True when the game would go on to use the input (the reader accepted
    // it and so did the checks right after), false when it is refused.
    bool (*run)(const std::vector<std::uint8_t>& bytes);
};

const std::vector<ReaderExercise>& readerExercises();
// None for an unknown name.
const ReaderExercise* findReaderExercise(const std::string& name);
