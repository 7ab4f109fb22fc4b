#!/bin/sh
# The main job of `make run`: a short benchmark of the conversion engine.
set -eu
build_dir=$1
exec "$build_dir/bench/vq-bench" --minutes 1 --repeats 1
