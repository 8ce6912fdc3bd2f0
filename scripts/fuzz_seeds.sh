#!/usr/bin/env bash
# Makes a small seed corpus per fuzz target in <build-dir>/fuzz-corpus/<target>/
# from the shipped files: the game data (tracks, cars, drivers, fonts, set.dat,
# sounds) of [game-dir], the track and car sources in assets/, the few seeds
# in fuzz/seeds/ for formats the game data has none of, and the damaged files
# in tests/data/damaged/<reader>/ but those listed in KNOWN there. Files
# already there (what earlier runs found) stay.
#
#   scripts/fuzz_seeds.sh <build-dir> [game-dir]
#
# game-dir defaults to <build-dir>/game when it holds tracks, else to the
# main build's build/game.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
[ $# -ge 1 ] || { echo "usage: $0 <build-dir> [game-dir]" >&2; exit 2; }
build="$(cd "$1" && pwd)"
game="${2:-}"
if [ -z "$game" ]; then
    if compgen -G "$build/game/tracks/*.map" >/dev/null; then
        game="$build/game"
    else
        game="$root/build/game"
    fi
fi
if ! compgen -G "$game/tracks/*.map" >/dev/null; then
    echo "$0: no game data in $game (build it first: bash scripts/setup.sh)" >&2
    exit 1
fi

corpus="$build/fuzz-corpus"
# target: seed patterns, relative to the game data (g:), assets (a:) or the
# committed seeds (s:)
seeds() {
    case "$1" in
    map) echo "g:tracks/*.map" ;;
    pcx) echo "s:pcx/*" ;;
    bmp) echo "g:cars/*.bmp" ;; # the tilesets are megabytes; small cars seed as well
    tile) echo "s:tile/*" ;;
    car) echo "g:cars/*.car" ;;
    profile) echo "g:players/*.pl" ;;
    pad) echo "s:pad/*" ;;
    replay) echo "s:replay/*" ;;
    record) echo "g:tracks/*.rec s:record/*" ;;
    font) echo "g:data/*.fnt" ;;
    settings) echo "g:set.dat" ;;
    wav) echo "g:sounds/*.wav" ;;
    tracksource) echo "a:tracks/*.txt" ;;
    cardesc) echo "a:cars/*.txt" ;;
    *) return 1 ;;
    esac
}

# tests/data/damaged/KNOWN: "reader/file" lines, '#' comments.
known="$root/tests/data/damaged/KNOWN"
is_known() {
    [ -f "$known" ] && sed 's/#.*//' "$known" | tr -d ' \t' | grep -qxF "$1"
}

readers=(map pcx bmp tile car profile pad replay record font settings wav tracksource cardesc)
for reader in "${readers[@]}"; do
    out="$corpus/$reader"
    mkdir -p "$out"
    n=0
    for spec in $(seeds "$reader"); do
        case "$spec" in
        g:*) base="$game" ;;
        a:*) base="$root/assets" ;;
        s:*) base="$root/fuzz/seeds" ;;
        esac
        for f in $base/${spec#?:}; do
            [ -f "$f" ] || continue
            cp "$f" "$out/seed-$(basename "$f")"
            n=$((n + 1))
        done
    done
    for f in "$root/tests/data/damaged/$reader"/*; do
        [ -f "$f" ] || continue
        # A reproducer of a fault not yet mended would stop the target at
        # its first input.
        if is_known "$reader/$(basename "$f")"; then
            rm -f "$out/damaged-$(basename "$f")"
            continue
        fi
        cp "$f" "$out/damaged-$(basename "$f")"
        n=$((n + 1))
    done
    echo "fuzz_$reader: $n seeds in $out"
done
