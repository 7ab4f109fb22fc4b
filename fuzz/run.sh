#!/bin/sh
# Runs the engine fuzzer of a fuzz build for a number of seconds (default 60), starting from
# the seed corpus and the corpus kept by earlier runs. Inputs that crash are kept in
# BUILD_DIR/fuzz/crashes/ and make the run fail; rerun one with
#   BUILD_DIR/fuzz/vq_fuzz_engines BUILD_DIR/fuzz/crashes/crash-...
set -eu
build_dir=$1
seconds=${2:-60}
fuzz_dir="$build_dir/fuzz"
mkdir -p "$fuzz_dir/corpus" "$fuzz_dir/crashes"
exec "$fuzz_dir/vq_fuzz_engines" -max_total_time="$seconds" -max_len=8192 -timeout=30 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$fuzz_dir/crashes/" "$fuzz_dir/corpus" "$fuzz_dir/seeds"
