#!/bin/bash
# The desktop metadata in a prefix (the staged tree or an unpacked package): the AppStream
# metainfo and the desktop entry pass Debian's validators, the metainfo's release is the
# program's version, and what both name (the desktop entry, the program, its icon and the
# screenshots, which are the guide's pictures) is there.
#
#   desktop.sh PREFIX
set -u
. "$(dirname "$0")/testlib.sh"
prefix=$(cd "$1" && pwd)
share=$prefix/share

metainfo=$(ls "$share"/metainfo/*.metainfo.xml)
entry=$share/applications/vessarquilix.desktop
appstreamcli validate --no-net "$metainfo" >"$scratch/appstream" 2>&1 ||
    fail "appstreamcli validate --no-net $metainfo:"$'\n'"$(cat "$scratch/appstream")"
expect_equal "desktop-file-validate's complaints" "" "$(desktop-file-validate "$entry" 2>&1)"

version=$("$prefix/bin/vessarquilix" --version | cut -d ' ' -f 2)
expect_equal "the release" "$version" "$(grep -o '<release version="[^"]*"' "$metainfo" | cut -d '"' -f 2)"
launchable=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$metainfo")
[[ -f $share/applications/$launchable ]] || fail "the metainfo launches $launchable, which is not there"
program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
[[ -x $prefix/bin/$program ]] || fail "the desktop entry runs $program, which is not in $prefix/bin"
icon=$(sed -n 's/^Icon=//p' "$entry")
for size in 16 24 32 48 64 128 256; do
    [[ -f $share/icons/hicolor/${size}x$size/apps/$icon.png ]] || fail "no $size px icon $icon"
done
for image in $(grep -o '<image>[^<]*</image>' "$metainfo" | sed 's:.*/\([^/<]*\)</image>:\1:'); do
    [[ -f $share/vessarquilix/docs/images/$image ]] || fail "the screenshot $image is not one of the guide's pictures"
done
