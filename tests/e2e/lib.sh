# Shared by the end-to-end tests: a copy of the runtime directory, an Xvfb
# display of exactly the game's size (or of e2e_screen, set before sourcing),
# real key presses and screenshots. Source it with the runtime directory as
# $1.
set -euo pipefail

runtime=$(cd "$1" && pwd)
work=$(mktemp -d /tmp/gravelin-e2e-XXXXXX)
xvfb_pid=""
game_pid=""
cleanup() {
    [ -n "$game_pid" ] && kill -9 "$game_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    [ -f "$work/game.out" ] && tail -n 40 "$work/game.out" | sed 's/^/  game: /' >&2
    exit 1
}

# A copy of the runtime directory, so the player's own files are untouched.
cp -r "$runtime" "$work/game"
cd "$work/game"

# A display of our own: another test run may be picking one at the same
# moment, so a server that is not ours (our Xvfb exited) means try again.
for _ in $(seq 20); do
    display=$((100 + RANDOM % 800))
    [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ] && continue
    Xvfb ":$display" -screen 0 "${e2e_screen:-640x400x24}" -nolisten tcp >"$work/xvfb.out" 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$display"
    for _ in $(seq 50); do
        xdpyinfo >/dev/null 2>&1 && break
        sleep 0.1
    done
    sleep 0.2
    if kill -0 "$xvfb_pid" 2>/dev/null && xdpyinfo >/dev/null 2>&1; then
        break
    fi
    kill "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
done
[ -n "$xvfb_pid" ] || fail "Xvfb did not start"

# A held key acts on the press and repeats only after a quarter second, so a
# press of about 80 ms is seen once; a much shorter tap may fall between two
# reads of the key state.
key() { # key [milliseconds held]
    xdotool keydown "$1"
    sleep "$(awk "BEGIN { print ${2:-80} / 1000 }")"
    xdotool keyup "$1"
    sleep 0.25
}

# On Xvfb without a window manager, about one start in twelve runs with no
# window at all (seen with builds old and new alike: the game draws its
# frames, the root window has no child). Such a start is killed and the game
# started again, up to three times.
start_game() { # [audio driver [game flags...]]
    local audio="${1:-dummy}"
    if [ "$#" -gt 0 ]; then shift; fi
    for _ in 1 2 3; do
        SDL_AUDIODRIVER="$audio" ./gravelin "$@" >"$work/game.out" 2>&1 &
        game_pid=$!
        for _ in $(seq 100); do
            xdotool search --class gravelin >/dev/null 2>&1 && break
            sleep 0.1
        done
        if xdotool search --class gravelin >/dev/null 2>&1; then
            sleep 1
            return 0
        fi
        kill -9 "$game_pid" 2>/dev/null || true
        wait "$game_pid" 2>/dev/null || true
        game_pid=""
        echo "no game window; starting again" >&2
    done
    fail "no game window"
}

wait_for_exit() {
    local status=0
    for _ in $(seq 100); do
        kill -0 "$game_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$game_pid" 2>/dev/null && fail "the game did not end"
    wait "$game_pid" || status=$?
    game_pid=""
    [ "$status" -eq 0 ] || fail "exit status $status"
}

# GRAVELIN_E2E_SHOTS=<dir> keeps a copy of every screenshot for a person to
# look at.
shot() {
    /usr/bin/import -window root "$work/$1.png"
    if [ -n "${GRAVELIN_E2E_SHOTS:-}" ]; then
        mkdir -p "$GRAVELIN_E2E_SHOTS" && cp "$work/$1.png" "$GRAVELIN_E2E_SHOTS/"
    fi
}

# Fraction of pixels of a region that are exactly one colour.
share_of() { # file geometry colour
    /usr/bin/convert "$1" -crop "$2" +repage -fill black +opaque "$3" -fill white -opaque "$3" \
        -colorspace gray -format '%[fx:mean]' info:
}
colours_in() { /usr/bin/convert "$1" -format '%k' info:; }
hex_of() { od -An -tx1 -v "$1" | tr -d ' \n'; }
hex_text() { printf '%s' "$1" | od -An -tx1 -v | tr -d ' \n'; }
hex_int() { printf '%02x%02x%02x%02x' $(($1 & 255)) $((($1 >> 8) & 255)) $((($1 >> 16) & 255)) $((($1 >> 24) & 255)); }

# True while a message box shows: its yellow message and OK stand in the
# middle band of the screen, where no other screen writes yellow.
dialog_open() {
    shot dialog
    local share
    share=$(share_of "$work/dialog.png" 640x70+0+160 '#FFFF00')
    awk "BEGIN { exit !($share > 0.003) }"
}
