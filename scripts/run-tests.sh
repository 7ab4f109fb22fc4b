#!/bin/sh
# Runs every test of a build tree through CTest. The window's tests need a display:
# without one they run on a private Xvfb server.
set -eu
build_dir=$1
jobs=${2:-2}
cd "$build_dir"
if [ -n "${DISPLAY:-}" ]; then
    exec ctest --output-on-failure -j "$jobs"
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j "$jobs"
