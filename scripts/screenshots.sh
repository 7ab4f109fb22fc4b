#!/bin/sh
# Takes the pictures (docs/images/main.png and preferences.png) of the main window and the preferences dialog shown in the README,
# under Xvfb, from the staged tree (so the dialog finds the filters and the help page).
# The settings of a fresh user are used: a temporary HOME.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
make -C "$top" build >/dev/null
out="$top/docs/images"
mkdir -p "$out"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
# A neutral working directory that holds the staged filters and help page.
mkdir -p "$home/VessarQuilix"
ln -s "$top/build/stage/filters" "$top/build/stage/docs" "$home/VessarQuilix/"
cd "$home/VessarQuilix"
for picture in main preferences; do
    HOME="$home" XDG_CONFIG_HOME= xvfb-run -a -s "-screen 0 1280x1024x24" \
        "$top/build/src/gui/vq-screenshots" "$picture" "$out/$picture.png"
done
