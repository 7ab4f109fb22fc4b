#!/bin/bash
# The programs' bash completion as bash-completion loads it from a prefix (the staged tree or
# an unpacked package): options, the words of option values (--decoder after --mode 5.1 the
# 5.1 decoders only), sound files for takes and folders where a folder is asked for; and what
# it offers agrees with what the programs accept and with their --help.
#
#   completion.sh PREFIX
set -u
. "$(dirname "$0")/testlib.sh"
prefix=$(cd "$1" && pwd)
bin=$prefix/bin

. /usr/share/bash-completion/bash_completion
XDG_DATA_DIRS=$prefix/share
programs=(vessarquilix vessarquilix-convert vessarquilix-mkfilters vessarquilix-mkdemo)
for program in "${programs[@]}"; do
    __load_completion "$program" || fail "bash-completion finds no completion of $program under $prefix/share"
done

# The words bash would offer after LINE (with the cursor at its end), sorted, on one line.
# Words are split as bash splits them for completion: at blanks and at '='.
offered()
{
    local line=$1 program=${1%% *}
    local COMP_LINE=$line COMP_POINT=${#line} COMP_WORDS COMP_CWORD COMPREPLY=()
    read -ra COMP_WORDS <<<"${line//=/ = }"
    [[ $line == *' ' ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    local function
    function=$(complete -p "$program" | sed -n 's/.*-F \([^ ]*\) .*/\1/p')
    "$function" "$program" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd ' '
}

# The words a program's parser takes for OPTION, from its message for a value it does not
# take: "option '--codec' takes aac or opus, not '@'".
accepted()
{
    local program=$1 option=$2
    "$bin/$program" "$option" @ take.wav 2>&1 >/dev/null | sed -n "s/.*takes \(.*\), not '@'.*/\1/p" |
        sed 's/,\? or /, /; s/, /\n/g' | sort | paste -sd ' '
}

expect_equal "--mo completes to --mode" "--mode" "$(offered 'vessarquilix-convert --mo')"
expect_equal "the five modes" "5.1 b-format binaural stereo uhj" "$(offered 'vessarquilix-convert --mode ')"
expect_equal "the 5.1 decoders after --mode 5.1" "energy parametric virtual-mics" \
    "$(offered 'vessarquilix-convert --mode 5.1 -q --decoder ')"
expect_equal "the binaural decoders after --mode=binaural" "parametric" \
    "$(offered 'vessarquilix-convert --mode=binaural --decoder p')"
expect_equal "binaural" "linear parametric" "$(offered 'vessarquilix-convert --mode=binaural --decoder=')"
expect_equal "no decoder to choose in stereo mode" "" "$(offered 'vessarquilix-convert --mode stereo --decoder ')"
expect_equal "every decoder before a mode is given" "$(accepted vessarquilix-convert --decoder)" \
    "$(offered 'vessarquilix-convert --decoder ')"

for option in --mode --container --convention --format --input-format --codec --dither; do
    expect_equal "the values of $option are those the converter takes" \
        "$(accepted vessarquilix-convert $option)" "$(offered "vessarquilix-convert $option ")"
done
presets=$("$bin/vessarquilix-mkfilters" --preset list | tail -n +2 | cut -d ' ' -f 1)
expect_equal "the presets, and list" "$(printf '%s\nlist\n' "$presets" | sort | paste -sd ' ')" \
    "$(offered 'vessarquilix-mkfilters --preset ')"
expect_equal "the demo's orientations" "endfire upright upside-down" \
    "$(offered 'vessarquilix-mkdemo --orientation ')"

# Files: takes complete to sound files (any case) and folders; a folder option to folders.
cd "$scratch"
mkdir session
touch take.wav LOUD.FLAC notes.txt report.json clip.mp4
expect_equal "takes are sound files" "LOUD.FLAC session take.wav" "$(offered 'vessarquilix-convert -q ')"
expect_equal "the window opens sound files" "LOUD.FLAC session take.wav" "$(offered 'vessarquilix ')"
expect_equal "an output folder" "session" "$(offered 'vessarquilix-convert -d ')"
expect_equal "a report" "report.json session" "$(offered 'vessarquilix-convert --report ')"
expect_equal "a clip" "clip.mp4 session" "$(offered 'vessarquilix-convert --container mov --video ')"
expect_equal "a value of its own" "" "$(offered 'vessarquilix-convert --gain ')"

# Every option --help names is offered, and every option offered is in --help.
for program in "${programs[@]}"; do
    in_help=$("$bin/$program" --help | grep -o -- '--[a-z][a-z0-9-]*' | sort -u | paste -sd ' ')
    long=$(offered "$program --" | tr ' ' '\n' | grep -- '^--' | sort -u | paste -sd ' ')
    expect_equal "$program: the options of --help" "$in_help" "$long"
done
