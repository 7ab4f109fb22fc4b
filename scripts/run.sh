#!/bin/sh
# The main job of `make run`: the program of the staged tree, which is laid out as an install
# prefix (bin/, and share/vessarquilix/ with the filters, the guide and the demo recording), so
# that it finds its data above its bin/ from whatever folder it starts in. With no display, the
# command-line converter converts the demo recording in every mode instead, into converted/ of
# the build tree.
set -eu
build_dir=$(cd "$1" && pwd)
stage="$build_dir/stage"
if [ -n "${DISPLAY:-}" ] && [ -x "$stage/bin/vessarquilix" ]; then
    echo "Opening VessarQuilix from $stage; it offers the demo recording: press Convert to try it."
    cd "$stage"  # not the source tree, whose docs/ would come before the staged guide
    exec bin/vessarquilix
fi
echo "No display: converting the demo recording with vessarquilix-convert instead."
demo="$stage/share/vessarquilix/demo/demoF.wav"
rm -rf "$build_dir/converted"
mkdir "$build_dir/converted"
cd "$build_dir/converted"
convert() {
    "$stage/bin/vessarquilix-convert" -q "$@" "$demo"
}
convert                                          # demo_WXYZ.wav: Furse-Malham B-format
convert --convention ambix                       # demo_AmbiX.wav: AmbiX (ACN, SN3D)
convert --mode 5.1 --lfe                         # demo_5.1.wav: the virtual-microphone 5.1
convert --mode 5.1 --decoder energy -o demo_5.1_energy.wav
convert --mode stereo                            # demo_stereo.wav: a cardioid pair at 90 degrees
convert --mode uhj                               # demo_UHJ.wav
convert --mode binaural                          # demo_binaural.wav: headphones
convert --mode binaural --decoder parametric -o demo_binaural_parametric.wav
convert --mode 5.1 --decoder parametric -o demo_5.1_parametric.wav
echo "The converted files are in $(pwd):"
ls
