#!/bin/sh
# Runs every test of a build tree through CTest. The window's tests need a display and
# press keys in the windows they show: they run on a private Xvfb server, also when there
# is a display, so that nothing pops up or is typed into the desktop.
set -eu
build_dir=$1
jobs=${2:-2}
cd "$build_dir"
exec xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j "$jobs"
