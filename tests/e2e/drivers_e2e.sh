#!/usr/bin/env bash
# Plays the driver screens with real key presses: creates a driver, selects
# it, gives it a new accelerate key and a brake key another driver has,
# quits, and checks the bytes of its
# profile file and the selection in set.dat.
#
# usage: drivers_e2e.sh <runtime directory>
source "$(dirname "$0")/lib.sh" "$1"

drivers=$(ls players/*.pl | wc -l)
[ "$drivers" -ge 9 ] || fail "the runtime directory ships $drivers drivers"

start_game
key Return # DRIVE OPTIONS
for _ in 1 2 3 4; do key Down; done
key Return # DRIVERS...
sleep 0.5
for _ in $(seq 8); do key Down; done # past the last row of the page
key Return 150 # Create Driver...
sleep 0.5
shot creation
for letter in z e d; do key "$letter" 45; done
key Return 30 # accept: "Player zed created."
sleep 0.8
# A loaded machine may need a second press to close the message box.
dialog_open && key Return 30 && sleep 0.8
shot created
key Next # PAGE DOWN: the page with the new driver, last in the list
key Up   # from "Create Driver..." to the last row shown
key Return # select it
key Right
key Right # controls...
key Return 30 # the RETURN that opens the screen opens no slot
sleep 0.5
key Return 30 # wait for the accelerate key
sleep 0.2
key q 200
shot keys
# Brake on w, which Player Two steers with: taken, and said so.
key Down
key Return 30
sleep 0.2
key w 200
sleep 0.5
dialog_open || fail "no message that w is already used"
key Return 30
sleep 0.5
key Escape # end the key settings
sleep 0.5
key Escape # back to the menu
key Escape # the first page
for _ in 1 2 3; do key Down; done
key Return # QUIT
wait_for_exit

[ -f players/zed.pl ] || fail "no players/zed.pl ($(ls players | tr '\n' ' '))"
hex=$(hex_of players/zed.pl)
# format 1, HUMAN, the name, then a car name, the five keys, the id and
# five zero counters: 60 + 3 + the car name's length.
case "$hex" in
"$(hex_int 1)$(hex_int 0)$(hex_int 3)$(hex_text zed)"*) ;;
*) fail "players/zed.pl starts wrongly: ${hex:0:40}" ;;
esac
carlen=$((16#${hex:30:2}))
size=$(stat -c %s players/zed.pl)
[ "$size" -eq $((63 + carlen)) ] || fail "players/zed.pl is $size bytes, not $((63 + carlen))"
keys_at=$(((16 + 3 + carlen) * 2))
expected="$(hex_int 113)$(hex_int 119)$(hex_int 276)$(hex_int 275)$(hex_int 306)$(hex_int "$drivers")"
expected="$expected$(hex_int 0)$(hex_int 0)$(hex_int 0)$(hex_int 0)$(hex_int 0)"
[ "${hex:$keys_at}" = "$expected" ] ||
    fail "players/zed.pl keys and counters are ${hex:$keys_at}, not $expected"
echo "players/zed.pl: $size bytes, accelerate on q, brake on w"

# The selection in set.dat (its last 32 bytes) holds the new driver.
sel=$(hex_of set.dat | tail -c 64)
case "$sel" in
*"$(hex_int "$drivers")"*) ;;
*) fail "set.dat does not select the new driver: $sel" ;;
esac
echo "1 passed, 0 failed"
