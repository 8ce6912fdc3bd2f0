// One libFuzzer target: the reader named by GRAVELIN_FUZZ_READER, fed each
// input from memory. Nothing is read from disk and no video mode is set.
#include "reader_exercise.hpp"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // SDL stays on its dummy drivers should anything reach for a device.
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const ReaderExercise* reader = [] {
        const ReaderExercise* r = findReaderExercise(GRAVELIN_FUZZ_READER);
        if (!r) {
            std::fprintf(stderr, "no reader called %s\n", GRAVELIN_FUZZ_READER);
            std::abort();
        }
        return r;
    }();
    reader->run(std::vector<std::uint8_t>(data, data + size));
    return 0;
}
