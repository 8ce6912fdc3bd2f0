#!/usr/bin/env bash
# Races with real key presses: FREE DRIVING with the shipped selection,
# holding the accelerate key and watching the car move with its display,
# M hiding and showing the small map; ESC back; then a one-lap season of
# the computer drivers through its results table (and its replay, watched
# from there) and the standings to the
# main menu, QUIT, and the drivers' statistics in their files.
#
# usage: race_e2e.sh <runtime directory>
source "$(dirname "$0")/lib.sh" "$1"

# The last 24 bytes of a profile: id and the five counters.
counter() { # file index (0 racesDriven .. 4 championshipsWon)
    local hex
    hex=$(hex_of "$1" | tail -c 40)
    local at=$(($2 * 8))
    echo $((16#${hex:$((at + 6)):2}${hex:$((at + 4)):2}${hex:$((at + 2)):2}${hex:$at:2}))
}

# SDL's disk driver writes what the mixer plays to a file: the engine must
# be heard once the race is on.
export SDL_DISKAUDIOFILE="$work/audio.raw"
start_game disk
key Return # DRIVE OPTIONS
key Return # FREE DRIVING
sleep 3    # READY... STEADY... GO!!!
xdotool keydown Up
sleep 1.5
shot race1
sleep 1
shot race2
xdotool keyup Up
yellow=$(share_of "$work/race1.png" 140x40+10+20 '#FFFF00')
awk "BEGIN { exit !($yellow > 0.02) }" || fail "no lap lines in the race display ($yellow)"
green=$(share_of "$work/race1.png" 33x9+151+6 '#00FF00')
awk "BEGIN { exit !($green > 0.5) }" || fail "no full fuel bar ($green)"
moved=$(/usr/bin/compare -metric AE "$work/race1.png" "$work/race2.png" null: 2>&1 || true)
[ "${moved%% *}" -gt 20000 ] || fail "the view did not move while accelerating ($moved)"
echo "free driving: display shown, view moved ($moved pixels changed)"
# The small map in the top-right corner, seen by its frame's right edge:
# M hides it, M again shows it.
map_frame() { share_of "$work/$1.png" 1x30+634+6 '#606060'; }
awk "BEGIN { exit !($(map_frame race2) > 0.8) }" || fail "no small map in the corner"
key m
shot nomap
awk "BEGIN { exit !($(map_frame nomap) < 0.2) }" || fail "M did not hide the small map"
key m
shot mapagain
awk "BEGIN { exit !($(map_frame mapagain) > 0.8) }" || fail "M did not show the small map again"
echo "small map: shown, hidden and shown again by M"
# ESC leaves the race; held on into the menu it may also step back a
# page, so a second ESC makes sure the menu is on its first page.
key Escape
sleep 0.5
key Escape

# A one-lap season of the three computer drivers: take Player One out of
# the selection, one lap a race, then RACE/RACING SEASON.
key Return # DRIVE OPTIONS
for _ in 1 2 3 4; do key Down; done
key Return # DRIVERS...
sleep 0.5
key Left   # the selected list, on Player One
key Return 30
sleep 0.3
key Escape
key Escape
key Return # DRIVE OPTIONS
for _ in 1 2 3 4 5; do key Down; done # LAPS PER RACE
for _ in 1 2 3; do key Left; done
for _ in 1 2 3; do key Up; done
key Return # RACE/RACING SEASON
sleep 2
shot announce
# From the results, R watches the race again: the picture moves, RIGHT
# follows another car (the name in the bottom band changes), ESC goes back
# to the results.
watch_replay() {
    key r
    sleep 1.5
    shot replay1
    sleep 1
    shot replay2
    moved=$(/usr/bin/compare -metric AE -crop 640x340+0+0 "$work/replay1.png" "$work/replay2.png" null: 2>&1 || true)
    [ "${moved%% *}" -gt 1000 ] || fail "the replay does not move ($moved pixels differ)"
    /usr/bin/convert "$work/replay2.png" -crop 640x26+0+356 +repage "$work/name1.png"
    key Right
    sleep 0.3
    shot replay3
    /usr/bin/convert "$work/replay3.png" -crop 640x26+0+356 +repage "$work/name2.png"
    switched=$(/usr/bin/compare -metric AE "$work/name1.png" "$work/name2.png" null: 2>&1 || true)
    [ "${switched%% *}" -gt 20 ] || fail "RIGHT did not switch the car followed"
    echo "replay: $moved pixels moved in a second, RIGHT followed another car"
    key Escape
    sleep 0.5
    shot back
    title=$(share_of "$work/back.png" 640x30+0+78 '#55FFFF')
    awk "BEGIN { exit !($title > 0.01) }" || fail "ESC did not go back to the results"
}

# The race, then its results table (a cyan title), then the standings.
results=0
for _ in $(seq 300); do
    sleep 1
    shot standings
    if [ "$results" -eq 0 ]; then
        title=$(share_of "$work/standings.png" 640x30+0+78 '#55FFFF')
        if awk "BEGIN { exit !($title > 0.01) }"; then
            results=1
            cp "$work/standings.png" "$work/results.png"
            watch_replay
            key Return
            continue
        fi
    fi
    title=$(share_of "$work/standings.png" 640x30+0+35 '#AAFF00')
    awk "BEGIN { exit !($title > 0.01) }" && break
done
[ "$results" -eq 1 ] || fail "no results table after the race"
# A row for each of the three drivers in white, and the race's fastest lap
# picked out in green, or in magenta as a new lap record.
rows=$(share_of "$work/results.png" 170x54+64+132 '#FFFFFF')
awk "BEGIN { exit !($rows > 0.03) }" || fail "no driver rows in the results ($rows)"
fastest=$(share_of "$work/results.png" 96x54+352+132 '#55FF55')
record=$(share_of "$work/results.png" 96x54+352+132 '#FF55FF')
awk "BEGIN { exit !($fastest + $record > 0.01) }" ||
    fail "no highlighted best lap in the results ($fastest, $record)"
echo "results: rows $rows, fastest lap $fastest, record $record"
awk "BEGIN { exit !($title > 0.01) }" || fail "no standings after the results"
key Return
sleep 0.5
key Escape
for _ in 1 2 3; do key Down; done
key Return # QUIT
wait_for_exit

driven=0 won=0 champions=0
for name in "Ace Ridley" "Bo Lindqvist" "Carla Nunes"; do
    f="players/$name.pl"
    driven=$((driven + $(counter "$f" 0)))
    won=$((won + $(counter "$f" 1)))
    champions=$((champions + $(counter "$f" 4)))
done
[ "$driven" -ge 1 ] || fail "no computer driver was credited a race"
[ "$won" -eq 1 ] || fail "$won race wins credited"
[ "$champions" -eq 1 ] || fail "$champions championships credited"
echo "season: $driven races driven, $won win, $champions championship"

# 16-bit stereo samples: count the bytes that are not silence.
[ -s "$work/audio.raw" ] || fail "no sound output was written"
loud=$(head -c 4000000 "$work/audio.raw" | od -An -tu1 -v | tr -s ' ' '\n' | grep -cv '^0*$' || true)
[ "$loud" -gt 100000 ] || fail "the sound output is nearly silent ($loud bytes)"
echo "sound: $loud bytes of sound in the first 4 MB"
echo "1 passed, 0 failed"
