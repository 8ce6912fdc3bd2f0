#!/usr/bin/env bash
# Starts the real game under Xvfb and plays the main menu with real key
# presses: switches "Show FPS" on, leaves with QUIT, checks the exit status,
# the bytes of set.dat and a screenshot, then starts again and checks that
# the value survived; and stops the game with SIGTERM.
#
# usage: menu_e2e.sh <runtime directory>
source "$(dirname "$0")/lib.sh" "$1"
rm -f set.dat

# "Show FPS" record: length 8, the label, value 1, length 2, "ON".
fps_on=0800000053686f772046505301000000020000004f4e

start_game
/usr/bin/import -window root "$work/menu.png"
colours=$(colours_in "$work/menu.png")
[ "$colours" -gt 500 ] || fail "the main menu shows $colours colours: no title picture"
yellow=$(share_of "$work/menu.png" 260x30+95+95 '#FFFF00')
awk "BEGIN { exit !($yellow > 0.05) }" || fail "no yellow menu text (share $yellow)"
white=$(share_of "$work/menu.png" 640x20+0+380 '#FFFFFF')
awk "BEGIN { exit !($white > 0.02) }" || fail "no banner at the bottom (share $white)"
echo "main menu: $colours colours, yellow share $yellow, banner share $white"

# HALL OF FAME lists every track: one row of text a track, 12 pixels apart
# from y = 90, and nothing below the last; white, the selected one yellow.
key Down
key Down
key Return
tracks=$(ls tracks/*.map | wc -l)
[ "$tracks" -gt 0 ] || fail "no tracks in the runtime directory"
rows_listed() { # the number of rows from the top that hold text
    local i row selected
    for i in $(seq 0 "$tracks"); do
        row=$(share_of "$work/records.png" "140x11+20+$((90 + 12 * i))" '#FFFFFF')
        selected=$(share_of "$work/records.png" "140x11+20+$((90 + 12 * i))" '#FFFF00')
        awk "BEGIN { exit !($row + $selected > 0.02) }" || break
    done
    echo "$i"
}
for _ in 1 2 3 4 5; do # a loaded machine may take a moment to show it
    sleep 0.3
    /usr/bin/import -window root "$work/records.png"
    [ "$(rows_listed)" -eq "$tracks" ] && break
done
[ "$(rows_listed)" -eq "$tracks" ] ||
    fail "HALL OF FAME lists $(rows_listed) rows for $tracks tracks"
echo "HALL OF FAME: $tracks tracks listed"
key Escape
key Up
key Up

key Down     # MISC. SETTINGS
key Return
for _ in 1 2 3 4; do key Down; done # Show FPS
key Right    # OFF -> ON
/usr/bin/import -window root "$work/misc.png"
key Escape
for _ in 1 2 3; do key Down; done # QUIT
key Return
wait_for_exit

[ -f set.dat ] || fail "no set.dat after QUIT"
size=$(stat -c %s set.dat)
hex=$(hex_of set.dat)
case "$hex" in
*"$fps_on"*) ;;
*) fail "set.dat does not hold Show FPS ON" ;;
esac
case "$hex" in
0d0000004452495645204f5054494f4e53*) ;;
*) fail "set.dat does not start with the DRIVE OPTIONS record" ;;
esac
# 16 records and two selections of 8, nothing else.
[ "$size" -eq 465 ] || fail "set.dat is $size bytes, not 465"
echo "set.dat: $size bytes, Show FPS ON"

# The next start shows the same value: quitting at once writes back what
# was read. This time there is no sound device: the game says so and plays
# on in silence.
start_game no-such-audio-driver
key Down
key Down
key Down
key Return
wait_for_exit
case "$(hex_of set.dat)" in
*"$fps_on"*) ;;
*) fail "Show FPS did not survive a restart" ;;
esac
grep -q "Display Info:" "$work/game.out" || fail "no start-up lines on standard output"
grep -q "FATAL ERROR: CANNOT INITIALISE AUDIO!!" "$work/game.out" ||
    fail "no word that the sound device is missing"
echo "restart: Show FPS kept, silent without a sound device"

# SIGTERM (as Ctrl+C or closing the window) ends the game as QUIT does, even
# from a screen of its own: exit status 0 and set.dat written.
rm -f set.dat
start_game
key Return # DRIVE OPTIONS
for _ in 1 2 3; do key Down; done
key Return # TRACKS...
kill -TERM "$game_pid"
wait_for_exit
[ -f set.dat ] || fail "no set.dat after SIGTERM"
case "$(hex_of set.dat)" in
0d0000004452495645204f5054494f4e53*) ;;
*) fail "set.dat after SIGTERM does not start with the DRIVE OPTIONS record" ;;
esac
echo "SIGTERM: exit status 0, set.dat written"
echo "1 passed, 0 failed"
