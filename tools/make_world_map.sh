#!/bin/sh
# Renders the 640 x 480 world map of the desktop program and the map pictures from the
# GSHHG coastlines (low resolution) that Debian's GMT ships: land grey (128, 128, 128)
# on black, longitude 0 at the left edge increasing eastward, north at the top,
# latitude phi at y = 16 + (90 - phi) * 340 / 180.
#
#   apt-get install gmt gmt-gshhg-low imagemagick
#   tools/make_world_map.sh [resources/world.png]
set -eu
out=${1:-"$(dirname "$0")/../resources/world.png"}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work"   # gmt keeps its settings and history in the home folder
cd "$work"
gmt grdlandmask -R0/360/-90/90 -I640+n/340+n -r -Dl -N0/128/0/128/0 -Gmask.nc
gmt grd2xyz mask.nc -ZTLu > mask.raw
/usr/bin/convert -size 640x340 -depth 8 gray:mask.raw -background black -gravity north \
    -splice 0x16 -extent 640x480 -type TrueColor -define png:color-type=2 -strip world.png
cd - >/dev/null
cp "$work/world.png" "$out"
echo "wrote $out"
