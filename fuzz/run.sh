#!/bin/sh
# Runs the fuzz targets of a fuzz build one after the other, sharing a number of seconds
# (default 60) evenly among them, each from its seed corpus (fuzz/seeds/TARGET) and the
# corpus kept by earlier runs (BUILD_DIR/fuzz/corpus/TARGET):
#   engines   QConvolver and Surrounder through every decoder, rotation and high-pass
#   sofa      the SOFA reader (files parsed in its child process, the transfer back)
#   cmdline   the converter's options, takes and Batch::Prepare (no conversion)
#   job       a tiny take through the job's record and VQParams::Convert
# Name targets after the seconds to run only those. Every target runs even when one fails;
# an input that crashes is kept in BUILD_DIR/fuzz/crashes/TARGET/ and makes the run fail.
# Rerun one with
#   BUILD_DIR/fuzz/vq_fuzz_TARGET BUILD_DIR/fuzz/crashes/TARGET/crash-...
set -eu
build_dir=$(cd "$1" && pwd)  # absolute: the command line's target works in a folder of its own
seconds=${2:-60}
shift $(($# < 2 ? $# : 2))
targets=${*:-engines sofa cmdline job}
seeds_dir=$(cd "$(dirname "$0")/seeds" && pwd)
fuzz_dir="$build_dir/fuzz"

count=$(echo $targets | wc -w)
share=$((seconds / count))
[ "$share" -ge 1 ] || share=1

failed=""
for target in $targets; do
    case $target in
    engines | job) max_len=8192 timeout=30 ;;
    sofa) max_len=16384 timeout=10 ;;  # the reader's child has 2 s
    cmdline) max_len=1024 timeout=10 ;;
    *) echo "run.sh: no fuzz target '$target'" >&2; exit 2 ;;
    esac
    mkdir -p "$fuzz_dir/corpus/$target" "$fuzz_dir/crashes/$target"
    echo "== $target: $share s"
    "$fuzz_dir/vq_fuzz_$target" -max_total_time="$share" -max_len="$max_len" -timeout="$timeout" \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$fuzz_dir/crashes/$target/" \
        "$fuzz_dir/corpus/$target" "$seeds_dir/$target" || failed="$failed $target"
done
if [ -n "$failed" ]; then
    echo "run.sh: the fuzz targets$failed failed; their inputs are in $fuzz_dir/crashes/" >&2
    exit 1
fi
