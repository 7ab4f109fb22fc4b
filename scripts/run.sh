#!/bin/sh
# The main job of `make run`: the program in its staged tree (with filters/, docs/ and the
# demo recording beside it), so that the working-directory defaults find everything. With
# no display, the command-line converter converts the demo recording in every mode instead.
set -eu
stage="$1/stage"
cd "$stage"
if [ -n "${DISPLAY:-}" ] && [ -x bin/vessarquilix ]; then
    echo "Opening VessarQuilix in $(pwd); it offers the demo recording: press Convert to try it."
    exec bin/vessarquilix
fi
echo "No display: converting the demo recording with vessarquilix-convert instead."
rm -rf converted
mkdir converted
convert() {
    bin/vessarquilix-convert -q --filters filters "$@" demo/demoF.wav
}
cd converted
ln -s ../bin ../filters ../demo .
convert                                          # demo_WXYZ.wav: Furse-Malham B-format
convert --convention ambix                       # demo_AmbiX.wav: AmbiX (ACN, SN3D)
convert --mode 5.1 --lfe                         # demo_5.1.wav: the virtual-microphone 5.1
convert --mode 5.1 --decoder energy -o demo_5.1_energy.wav
convert --mode stereo                            # demo_stereo.wav: a cardioid pair at 90 degrees
convert --mode uhj                               # demo_UHJ.wav
convert --mode binaural                          # demo_binaural.wav: headphones
convert --mode binaural --decoder parametric -o demo_binaural_parametric.wav
convert --mode 5.1 --decoder parametric -o demo_5.1_parametric.wav
rm bin filters demo
echo "The converted files are in $(pwd):"
ls
