#!/usr/bin/env bash
# Shows that the golden replays catch small changes to the race rules: each
# change below is made to the source in turn, gravelin_racerun is rebuilt
# with it, and every golden replay is played back; a change that no replay
# notices fails the check. The source is put back however the script ends.
#
#   bash scripts/check_golden_catches.sh [build-dir]
#
# It edits src/car/car.cpp while it runs, so run it on a clean checkout and
# leave the tree alone until it has finished (about three minutes).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
car="$root/src/car/car.cpp"
saved="$(mktemp)"
cp "$car" "$saved"
restore() {
    cp "$saved" "$car"
    rm -f "$saved"
    cmake --build "$build" -j2 --target gravelin_racerun >/dev/null
}
trap restore EXIT

# Each change: a name, the text it replaces and what it puts there.
changes=(
    "refuelling in the pit box at single precision"
    "        fuel = float(fuel + 0.07);"
    "        fuel = fuel + 0.07f;"

    "the refuel area ten times faster"
    "        fuel = float(fuel + 0.06);"
    "        fuel = float(fuel + 0.6);"

    "no push-back on a crash"
    $'        crashed = true;\n        posX -= vx;\n        posY -= vy;\n'
    $'        crashed = true;\n'

    "the drift drag one ulp larger"
    "    if (divisor != 0) accel -= driftAngle() / divisor;"
    "    if (divisor != 0) accel -= std::nextafter(driftAngle() / divisor, 1.0f);"
)

run="$build/tools/gravelin_racerun"
missed=0
for ((i = 0; i < ${#changes[@]}; i += 3)); do
    name="${changes[i]}"
    cp "$saved" "$car"
    OLD="${changes[i + 1]}" NEW="${changes[i + 2]}" python3 - "$car" <<'PY'
import os, sys
path = sys.argv[1]
text = open(path).read()
old, new = os.environ["OLD"], os.environ["NEW"]
if text.count(old) != 1:
    sys.exit(f"{path}: the text to change is not there exactly once:\n{old}")
open(path, "w").write(text.replace(old, new))
PY
    cmake --build "$build" -j2 --target gravelin_racerun >/dev/null
    # The shipped tracks' replays play in the game's runtime directory, the
    # test tracks' in their own.
    out="$( (cd "$build/game" && "$run" --verify "$root"/tests/golden/replays/*.rpl || true)
            (cd "$build/tests/golden_runtime" && "$run" --verify "$root"/tests/golden/tracks/*.rpl || true))"
    total=$(grep -cE '^(verified|DIFFERS)' <<<"$out")
    differ=$(grep -c '^DIFFERS' <<<"$out" || true)
    if [ "$differ" -gt 0 ]; then
        echo "caught: $name: $differ of $total replays differ, first $(grep -m1 '^DIFFERS' <<<"$out" | sed 's/^DIFFERS: //; s|.*/||')"
    else
        echo "MISSED: $name: all $total replays still play true"
        missed=1
    fi
done
exit $missed
