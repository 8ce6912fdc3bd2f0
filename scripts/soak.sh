#!/usr/bin/env bash
# A long soak under AddressSanitizer and UndefinedBehaviorSanitizer: eight
# computer drivers race a season of 30 laps a race over every shipped track.
# Undrawn by default; with --draw every frame is drawn as in the game, which
# under the sanitizers takes hours. Each season's last race is on its first
# race's track,
# so that the two races' peak memory can be compared: a leak or a growing
# cache shows as a last race that needs more. Fails on any sanitizer report,
# on a race that fails, or on a last race more than 5 % above its first.
# Not part of CI.
#
# usage: scripts/soak.sh [--draw] [laps]   (from anywhere; builds build-asan/)
set -euo pipefail
cd "$(dirname "$0")/.."
draw=--no-draw
if [ "${1:-}" = --draw ]; then
    draw=
    shift
fi
laps=${1:-30}
build=build-asan
# The same build as the sanitizer job's, with the ordinary build's game data.
[ -f build/game/tracks/grandprix.map ] || bash scripts/setup.sh
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DGRAVELIN_SANITIZE=ON -DGRAVELIN_GAME_DATA_FROM="$PWD/build/game" >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target gravelin_racerun game_data >/dev/null

# Freed memory held back in the sanitizer's quarantine, or kept by its
# allocator instead of going back to the system, would look like growth:
# a small quarantine, and freed pages returned at once.
export ASAN_OPTIONS=quarantine_size_mb=1:allocator_release_to_os_interval_ms=0:detect_leaks=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/sanitizers/lsan.supp
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

tracks=()
for map in "$build"/game/tracks/*.map; do tracks+=("$(basename "$map")"); done
log=$build/soak.log
: >"$log"
status=0
start=$SECONDS
# Seasons of up to seven tracks, the first again at the end (eight races,
# the most a season holds).
for ((i = 0; i < ${#tracks[@]}; i += 7)); do
    season=("${tracks[@]:i:7}")
    season+=("${season[0]}")
    echo "season: ${season[*]}"
    if ! (cd "$build/game" && ../tools/gravelin_racerun --laps "$laps" --frames $((laps * 4000)) $draw \
        "${season[@]}") \
        >>"$log" 2>&1; then
        echo "FAILED: see $log"
        status=1
        continue
    fi
    first=$(grep -E '^race [0-9]+ on' "$log" | tail -n "${#season[@]}" | head -n 1 |
        sed -E 's/.*peak memory ([0-9]+) kB.*/\1/')
    last=$(grep -E '^race [0-9]+ on' "$log" | tail -n 1 | sed -E 's/.*peak memory ([0-9]+) kB.*/\1/')
    grep -E '^race [0-9]+ on' "$log" | tail -n "${#season[@]}" | sed 's/^/  /'
    if [ $((last * 100)) -gt $((first * 105)) ]; then
        echo "GROWING: ${season[0]} needed $first kB first and $last kB last"
        status=1
    else
        echo "  flat: ${season[0]} $first kB first, $last kB last"
    fi
done
if grep -q -E 'ERROR: (Address|Leak)Sanitizer|runtime error:' "$log"; then
    echo "sanitizer report: see $log"
    status=1
fi
echo "soak took $((SECONDS - start)) s"
exit $status
