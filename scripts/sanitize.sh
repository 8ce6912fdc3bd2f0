#!/usr/bin/env bash
# The sanitizer job of CI: a second build with AddressSanitizer and
# UndefinedBehaviorSanitizer (clang, with the fuzz targets), then the unit
# tests and the headless races in it, one of them drawn, then every fuzz
# target for a while on its seeds and the damaged inputs. Any sanitizer
# report fails the job.
#
# usage: scripts/sanitize.sh [fuzz seconds per target, default 25]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-25}
build=build-asan

# The content tools are slow under the sanitizers: this build takes the game
# data the ordinary build made (scripts/setup.sh) and builds only what runs.
[ -f build/game/tracks/grandprix.map ] || bash scripts/setup.sh
# -O1 with line tables only: what the sanitizers' reports need, built in
# much less time than full debug information.
cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" \
    -DGRAVELIN_FUZZ=ON -DGRAVELIN_GAME_DATA_FROM="$PWD/build/game" >/dev/null
cmake --build "$build" -j"$(nproc)" --target gravelin_tests gravelin_headless_race_tests gravelin_racerun \
    gravelin_trackbuild gravelin_carbuild gravelin_fuzzers golden_tracks

# Leaks count as reports too; the sanitizers stop the program at the first.
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/sanitizers/lsan.supp
# Everything but the end-to-end tests and the gallery (which this build does
# not make): the unit tests, and the races, which undrawn cost seconds even
# here (one is drawn).
ctest --test-dir "$build" --output-on-failure -j2 -E '^e2e_|^gallery$'

GRAVELIN_FUZZ_BUILD=$build bash scripts/fuzz.sh "$seconds"
