#!/bin/sh
# Runs every test of a build tree through CTest. The window's tests need a display and
# press keys in the windows they show: they run on a private Xvfb server, also when there
# is a display, so that nothing pops up or is typed into the desktop. Extra arguments go
# to CTest (for example --schedule-random or -R Pattern).
set -eu
scripts=$(cd "$(dirname "$0")" && pwd)
build_dir=$1
jobs=${2:-2}
shift $(( $# < 2 ? $# : 2 ))
. "$scripts/virtual-display.sh"
start_virtual_display
cd "$build_dir"
ctest --output-on-failure -j "$jobs" "$@"
