#!/usr/bin/env bash
# A long soak under AddressSanitizer and UndefinedBehaviorSanitizer: eight
# computer drivers race a season of 30 laps a race over every shipped track,
# drawn as in the game. Each season's last race is on its first race's track,
# so that the two races' peak memory can be compared: a leak or a growing
# cache shows as a last race that needs more. Fails on any sanitizer report,
# on a race that fails, or on a last race more than 5 % above its first.
# Not part of CI: it takes the better part of an hour.
#
# usage: scripts/soak.sh [laps]      (run from anywhere; builds build-asan/)
set -euo pipefail
cd "$(dirname "$0")/.."
laps=${1:-30}
build=build-asan
if [ ! -x "$build/tools/gravelin_racerun" ]; then
    cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DGRAVELIN_SANITIZE=ON >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target gravelin_racerun game_data >/dev/null

# A small quarantine: freed memory held back by the sanitizer would
# otherwise look like growth.
export ASAN_OPTIONS=quarantine_size_mb=16:detect_leaks=1:halt_on_error=1
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
    if ! (cd "$build/game" && ../tools/gravelin_racerun --laps "$laps" "${season[@]}") \
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
