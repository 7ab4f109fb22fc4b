#!/bin/sh
# Takes the pictures of the documentation (docs/images/main.png, main-5.1.png,
# main-stereo.png, preferences.png, message.png and directions.png): the main window in
# B-Format, 5.1 and stereo mode, the preferences dialog and the box a conversion that
# clipped samples ends with, under Xvfb on a 1280x720 screen, from the staged tree (so that
# the window offers the demo take and the dialog finds the filters and the help page); and
# the map of where the sound of the demo take comes from (directions.png), as
# vessarquilix-convert --map draws it.
# The settings of a fresh user are used: a temporary HOME.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
make -C "$top" build >/dev/null
out="$top/docs/images"
mkdir -p "$out"
home=$(mktemp -d)
# A neutral working directory that holds the staged filters, help page and demo take, at
# a short path that reads well in the pictures.
work=/tmp/VessarQuilix
mkdir -p "$work"
trap 'rm -rf "$home" "$work/converted"; rm -f "$work/filters" "$work/docs" "$work/demo"; rmdir "$work" 2>/dev/null || true' EXIT
ln -sfn "$top/build/stage/share/vessarquilix/filters" "$work/filters"
ln -sfn "$top/build/stage/share/vessarquilix/docs" "$work/docs"
ln -sfn "$top/build/stage/share/vessarquilix/demo" "$work/demo"
mkdir -p "$work/converted"  # where the conversion of the message's picture writes
cd "$work"
for picture in main main-5.1 main-stereo preferences message; do
    HOME="$home" XDG_CONFIG_HOME= xvfb-run -a -s "-screen 0 1280x720x24" \
        "$top/build/src/gui/vq-screenshots" "$picture" "$out/$picture.png"
done
"$top/build/stage/bin/vessarquilix-convert" -q -y --filters filters -d "$home" \
    --map "$out/directions.png" demo/demoF.wav
echo "wrote $out/directions.png"
