#!/usr/bin/env bash
# Checks the gallery the build made: a section for every track in tracks/
# and every car in cars/, and every picture the page names beside it.
#
# usage: gallery_check.sh <gallery directory> <runtime directory>
set -euo pipefail
gallery=$1
runtime=$2
page=$gallery/index.html
[ -s "$page" ] || { echo "no $page"; exit 1; }
bad=0
for map in "$runtime"/tracks/*.map; do
    name=$(basename "$map" .map)
    grep -q "<h2>$name</h2>" "$page" || { echo "no section for track $name"; bad=1; }
done
cars=$(ls "$runtime"/cars/*.car | wc -l)
shown=$(grep -c '<section class=car>' "$page")
[ "$cars" -eq "$shown" ] || { echo "$cars cars, $shown shown"; bad=1; }
for picture in $(grep -o 'src="[^"]*"' "$page" | sed 's/src="\(.*\)"/\1/'); do
    [ -s "$gallery/$picture" ] || { echo "missing picture $picture"; bad=1; }
done
exit $bad
