#!/usr/bin/env bash
# The game in a window twice its size on a larger screen: a 1280 x 800
# window whose picture is made of 2 x 2 squares; F11 to full screen and back
# to the same window; then FREE DRIVING, where P freezes the race picture
# under PAUSED and P again lets it move.
#
# usage: window_e2e.sh <runtime directory>
e2e_screen=1600x1000x24
source "$(dirname "$0")/lib.sh" "$1"

# "width height x y" of the game's window.
window_geometry() {
    local line
    line=$(xwininfo -root -tree | grep -i '"gravelin"' | grep -E '[0-9]+x[0-9]+\+' | head -n 1)
    [ -n "$line" ] || return 1
    echo "$line" | sed -E 's/.* ([0-9]+)x([0-9]+)\+-?[0-9]+\+-?[0-9]+ +\+(-?[0-9]+)\+(-?[0-9]+).*/\1 \2 \3 \4/'
}

start_game dummy --window --scale 2
read -r width height left top < <(window_geometry) || fail "no game window in xwininfo"
[ "$width" = 1280 ] && [ "$height" = 800 ] || fail "the window is ${width}x$height, not 1280x800"
echo "window: ${width}x$height at $left,$top"

# Sharp pixels: halving the window's picture by sampling and doubling it
# again gives it back exactly only when every 2 x 2 square is one colour.
shot menu
/usr/bin/convert "$work/menu.png" -crop "1280x800+$left+$top" +repage "$work/menu_window.png"
[ "$(colours_in "$work/menu_window.png")" -gt 8 ] || fail "the window shows no picture"
/usr/bin/convert "$work/menu_window.png" -sample 50% -sample 200% "$work/menu_squares.png"
blur=$(/usr/bin/compare -metric AE "$work/menu_window.png" "$work/menu_squares.png" null: 2>&1 || true)
[ "${blur%% *}" = 0 ] || fail "the picture is not made of 2 x 2 squares ($blur pixels differ)"
echo "scale 2: every picture pixel a 2 x 2 square"

# F11 goes to full screen: a window of the screen's size, the picture at
# scale 2 in its middle on black. (No window manager moves it to the corner:
# it stays where the window was, which leaves the picture on the screen.)
# F11 again: the window as it was.
key F11
sleep 0.5
read -r width height left top < <(window_geometry) || fail "no game window after F11"
[ "$width" = 1600 ] && [ "$height" = 1000 ] || fail "full screen is ${width}x$height"
shot full
x=$((left + 160)) y=$((top + 100))
/usr/bin/convert "$work/full.png" -crop "1280x800+$x+$y" +repage "$work/full_middle.png"
same=$(/usr/bin/compare -metric AE "$work/menu_window.png" "$work/full_middle.png" null: 2>&1 || true)
[ "${same%% *}" = 0 ] || fail "full screen does not show the same picture, centred ($same)"
border=$(share_of "$work/full.png" "1280x100+$x+$top" '#000000')
awk "BEGIN { exit !($border > 0.999) }" || fail "no black border above the picture ($border)"
echo "F11: full screen, the picture centred at scale 2 on black"
key F11
sleep 0.5
read -r width height _ _ < <(window_geometry) || fail "no game window after a second F11"
[ "$width" = 1280 ] && [ "$height" = 800 ] || fail "back from full screen: ${width}x$height"
echo "F11 again: the 1280 x 800 window"

# A race, paused and going on.
key Return # DRIVE OPTIONS
key Return # FREE DRIVING
sleep 5 # READY... STEADY... GO!!! (a loaded machine takes a while to load the track)
xdotool keydown Up
sleep 1
key p 300
shot paused1
sleep 1
shot paused2
frozen=$(/usr/bin/compare -metric AE "$work/paused1.png" "$work/paused2.png" null: 2>&1 || true)
[ "${frozen%% *}" = 0 ] || fail "the paused race picture changed ($frozen pixels)"
yellow=$(share_of "$work/paused1.png" "1280x160+$left+$((top + 320))" '#FFFF00')
awk "BEGIN { exit !($yellow > 0.01) }" || fail "no PAUSED over the race ($yellow)"
echo "P: the race picture stands still under PAUSED"
key p 300
sleep 1
shot going1
sleep 1
shot going2
xdotool keyup Up
moved=$(/usr/bin/compare -metric AE "$work/going1.png" "$work/going2.png" null: 2>&1 || true)
awk "BEGIN { exit !(${moved%% *} > 20000) }" || fail "the race did not go on after P ($moved)"
echo "P again: the race moves on ($moved pixels changed)"

# SIGTERM ends the game as QUIT does, whatever it shows.
kill -TERM "$game_pid"
wait_for_exit
echo "1 passed, 0 failed"
