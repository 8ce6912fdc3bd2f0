#!/usr/bin/env bash
# Gives every track without a lap record file one, set by our computer
# drivers in a three-lap race. A track whose race fails keeps no record;
# the build goes on either way. Run in the runtime directory.
#
# usage: set_lap_records.sh <racerun> <date> <track>...
racerun=$1
date=$2
shift 2
for track in "$@"; do
    [ -f "tracks/$track.rec" ] && continue
    "$racerun" --laps 3 --no-draw --record "$date" "$track.map" > /dev/null 2>&1 ||
        echo "no lap record for $track: its race did not finish cleanly"
done
exit 0
