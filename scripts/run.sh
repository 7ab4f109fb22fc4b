#!/bin/sh
# The main job of `make run`: the program in its staged tree (with filters/, docs/ and the
# demo recording beside it), so that the working-directory defaults find everything. With
# no display, the command-line converter converts the demo recording instead.
set -eu
stage="$1/stage"
cd "$stage"
if [ -n "${DISPLAY:-}" ] && [ -x bin/vessarquilix ]; then
    echo "Opening VessarQuilix in $(pwd); pick demo/demoF.wav as the FLU + FRD input to try it."
    exec bin/vessarquilix
fi
echo "No display: converting the demo recording with vessarquilix-convert instead."
bin/vessarquilix-convert --filters filters demo/demoF.wav
bin/vessarquilix-convert --filters filters --mode 5.1 --lfe demo/demoF.wav
echo "The B-format and 5.1 files are in $(pwd)."
