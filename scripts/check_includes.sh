#!/usr/bin/env bash
# Includes point one way: a folder of src/ may include its own headers and
# those of the folders below it, never one above or beside it. The edges
# (base/, platform/, sound/) are below everything and include only base/.
#
#   app  >  ui, frontend  >  race  >  driver  >  car  >  track  >  records  >  gfx  >  edges
#
# usage: scripts/check_includes.sh [source root]; prints every include that
# runs the wrong way and exits 1 when there is one.
set -euo pipefail
root=${1:-$(dirname "$0")/../src}
declare -A level=([base]=0 [platform]=0 [sound]=0 [gfx]=1 [records]=2 [track]=3 [car]=4
                  [driver]=5 [race]=6 [frontend]=7 [ui]=7 [app]=8)
bad=0
while IFS= read -r file; do
    from=${file#"$root"/}
    from=${from%%/*}
    [[ -n ${level[$from]+x} ]] || { echo "$file: folder $from has no place in the order"; bad=1; continue; }
    while IFS= read -r to; do
        [[ $to == "$from" ]] && continue
        if [[ -z ${level[$to]+x} ]]; then
            echo "$file includes from $to/, which has no place in the order"
            bad=1
        elif (( level[$to] >= level[$from] )) && [[ $to != base ]]; then
            echo "$file ($from) includes from $to/: upwards or sideways"
            bad=1
        fi
    done < <(sed -n 's/^#include "\([a-z_]*\)\/.*/\1/p' "$file" | sort -u)
done < <(find "$root" -name '*.cpp' -o -name '*.hpp' | sort)
exit $bad
