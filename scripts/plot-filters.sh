#!/bin/sh
# Draws docs/filter-response.png: the magnitude responses of the default filter set (the
# 48 kHz file unless a rate is given) and the diffuse-field levels of W, X, Y, Z they give,
# against the coincident matrix alone. Builds what it needs; installs gnuplot when missing.
#
#   sh scripts/plot-filters.sh [RATE]
set -eu
cd "$(dirname "$0")/.."
rate=${1:-48000}
build_dir=${BUILD_DIR:-build}
png=docs/filter-response.png

if ! command -v gnuplot >/dev/null 2>&1; then
    if [ "$(id -u)" -eq 0 ]; then run_as_root=""; else run_as_root="sudo"; fi
    export DEBIAN_FRONTEND=noninteractive
    $run_as_root apt-get update -qq
    $run_as_root apt-get install -y -qq gnuplot-nox >/dev/null
fi

cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build_dir" -j 2 --target vq-filter-response vq_default_filters >/dev/null

data=$(mktemp)
trap 'rm -f "$data"' EXIT
"$build_dir/tools/vq-filter-response" "$build_dir/stage/share/vessarquilix/filters/FilterMatrix_$rate.wav" >"$data"

mkdir -p docs
gnuplot <<PLOT
set terminal pngcairo size 900,900 font "DejaVu Sans,10"
set output "$png"
set multiplot layout 2,1
set logscale x
set xrange [20:$((rate / 2))]
set grid xtics ytics mxtics
set xlabel "Frequency (Hz)"
set key bottom left
set title "Default filters at $rate Hz (cardioid capsules 15 mm from the centre), from capsule FLU\n(the other capsules' filters differ only in sign)"
set ylabel "Magnitude (dB)"
set yrange [-20:5]
plot "$data" using 1:2 with lines lw 2 title "to W", \
     "" using 1:3 with lines lw 2 title "to X / Y / Z"
set title "Diffuse-field level of each output against ideal B-format"
set ylabel "Level (dB)"
set yrange [-8:8]
set key top left
plot "$data" using 1:6 with lines lw 2 title "W, filtered", \
     "" using 1:7 with lines lw 2 title "X / Y / Z, filtered", \
     "" using 1:10 with lines lw 1 dt 2 title "W, coincident matrix only", \
     "" using 1:11 with lines lw 1 dt 2 title "X / Y / Z, coincident matrix only", \
     1.5 with lines lc "gray" dt 3 notitle, -1.5 with lines lc "gray" dt 3 notitle
unset multiplot
PLOT
echo "$png"
