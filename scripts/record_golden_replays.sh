#!/usr/bin/env bash
# Records the golden replays in tests/golden/replays/, two a shipped track:
#   <track>-race.rpl  four computer drivers over as few laps as make every one
#                     of them stop in the pit box (its refuelling is checked
#                     to the last bit only over many frames of it)
#   <track>-human.rpl a scripted human's time trial: it swerves off its line
#                     every ten seconds, crashing and leaving the road, and
#                     uses nitro
# and, in tests/golden/tracks/, the replays of races on test tracks:
#   drypit-pit.rpl    a Skitter idles until its tank is all but dry, then
#                     laps and pits; its box has no refuel area round it,
#                     so the box fills a tank that holds 0.15 of a unit
# CI plays every one back against its checksums (gravelin_racerun --verify).
# Re-record only when a change to the handling or the race rules is meant to
# change races: raise kSimulationVersion in src/race/replay.hpp, run this, and
# say in the commit why races changed. Then run
# scripts/check_golden_catches.sh: if the pit box at single precision is no
# longer caught, the dry pit's idle needs another value (racerun prints the
# fuel the car brings into the box; between 0.05 and 0.25 is where single
# and double precision sums part ways, for some values only).
#
#   bash scripts/record_golden_replays.sh [build-dir]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
out="$root/tests/golden/replays"
mkdir -p "$out"
cd "$build/game"
run="$build/tools/gravelin_racerun"
for map in tracks/*.map; do
    track=$(basename "$map" .map)
    made=""
    for laps in 12 16 20 24 28 32 36 40 44 48 56 64; do
        if "$run" --drivers 4 --laps "$laps" --no-draw --require-pit-stops \
            --save-replay "$out/$track-race.rpl" "$track.map" >/dev/null 2>&1; then
            made="race over $laps laps"
            break
        fi
    done
    [ -n "$made" ] || { echo "$track: no race where every driver stops" >&2; exit 1; }
    human=""
    for swerve in 90 150 240 360; do
        if "$run" --drivers 1 --mode trial --no-draw --wild-human --swerve "$swerve" \
            --save-replay "$out/$track-human.rpl" "$track.map" >/dev/null 2>&1; then
            human="human swerving up to $swerve frames"
            break
        fi
    done
    [ -n "$human" ] || { echo "$track: the scripted human never crashed and finished" >&2; exit 1; }
    echo "$track: $made, $human"
done
"$run" --verify "$out"/*.rpl | grep -E '^(verified|DIFFERS)'

cd "$build/tests/golden_runtime"
tracks="$root/tests/golden/tracks"
"$run" --drivers 1 --laps 3 --mode trial --no-draw --stuck 100000 --frames 100000 \
    --first-car Skitter --dry-pit 32982 --save-replay "$tracks/drypit-pit.rpl" drypit.map |
    grep -E 'dry pit|FAILED'
"$run" --verify "$tracks"/*.rpl | grep -E '^(verified|DIFFERS)'
