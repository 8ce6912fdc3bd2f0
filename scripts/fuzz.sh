#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz/ (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer), makes their seed corpora and runs every target
# for the given seconds, two at a time. Inputs that crash, leak, hang or
# allocate too much go to build-fuzz/findings/<target>/; the corpus grows in
# build-fuzz/fuzz-corpus/<target>/ from run to run. Exits non-zero naming
# every target that found something.
#
#   scripts/fuzz.sh [seconds]      (default 30 a target)
#
# GRAVELIN_FUZZ_BUILD names another build directory configured with
# GRAVELIN_FUZZ (the sanitizer job of CI uses its own).
#
# Replay a finding:  build-fuzz/fuzz/fuzz_<target> <file>
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-30}"
build="${GRAVELIN_FUZZ_BUILD:-$root/build-fuzz}"
jobs=2

readers=(map pcx bmp tile car profile pad replay record font settings wav tracksource cardesc)
# Longest input a target is given, a little above its largest shipped file.
max_len() {
    case "$1" in
    map) echo 140000 ;;
    font) echo 70000 ;;
    wav) echo 50000 ;;
    pcx | bmp | tile | tracksource) echo 65536 ;;
    *) echo 8192 ;;
    esac
}

# The seeds come from the game data of the main build; the content tools are
# slow under the sanitizers, so they run in the ordinary build.
if ! compgen -G "$root/build/game/tracks/*.map" >/dev/null; then
    echo "== making the game data in build/"
    cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build "$root/build" -j"$jobs" --target game_data seed_runtime
fi

echo "== building the fuzz targets in $build"
cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DGRAVELIN_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$jobs" --target gravelin_fuzzers

bash "$root/scripts/fuzz_seeds.sh" "$build" "$root/build/game"

run_one() {
    local reader="$1" out="$build/findings/$1"
    rm -rf "$out"
    mkdir -p "$out"
    # Standard output is closed (-close_fd_mask=1): the readers print a line
    # for every file they load. Reports go to standard error, into the log.
    "$build/fuzz/fuzz_$reader" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -malloc_limit_mb=1024 -max_len="$(max_len "$reader")" \
        -close_fd_mask=1 -print_final_stats=1 -artifact_prefix="$out/" \
        "$build/fuzz-corpus/$reader" >"$out/log" 2>&1 || true
    local rate
    rate="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$out/log" | tail -1)"
    echo "fuzz_$reader: ${rate:-?} exec/s"
}

echo "== fuzzing each target for ${seconds}s, $jobs at a time"
for reader in "${readers[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
    run_one "$reader" &
done
wait

failed=()
for reader in "${readers[@]}"; do
    if compgen -G "$build/findings/$reader/*-*" >/dev/null; then
        failed+=("$reader")
        for f in "$build/findings/$reader"/*-*; do
            echo "fuzz_$reader found $(basename "$f" | cut -d- -f1): $f"
        done
        grep -m1 -E "^SUMMARY|ERROR: libFuzzer" "$build/findings/$reader/log" || true
    fi
done
if [ "${#failed[@]}" -gt 0 ]; then
    echo "== findings in: ${failed[*]} (logs in $build/findings/<target>/log)"
    exit 1
fi
echo "== no findings"
