#!/bin/bash
# The programs' manual pages in a prefix (the staged tree or an unpacked package): man renders
# each without a warning from groff, each has the sections a user looks for, and each names
# every option of its program's --help and the version the program gives.
#
#   manpages.sh PREFIX
set -u
. "$(dirname "$0")/testlib.sh"
prefix=$(cd "$1" && pwd)

for program in vessarquilix vessarquilix-convert vessarquilix-mkfilters vessarquilix-mkdemo; do
    page=$prefix/share/man/man1/$program.1.gz
    if [[ ! -f $page ]]; then
        fail "no manual page $page"
        continue
    fi
    expect_equal "$program: groff's warnings" "" "$(zcat "$page" | groff -man -ww -z 2>&1)"
    expect_equal "$program: man's warnings" "" \
        "$(LC_ALL=C.UTF-8 MANROFFSEQ='' man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)"
    text=$(MANWIDTH=80 man -l "$page" 2>/dev/null)
    for section in NAME SYNOPSIS DESCRIPTION "EXIT STATUS" EXAMPLES "SEE ALSO"; do
        grep -q "^$section\$" <<<"$text" || fail "$program: no $section section"
    done
    grep -Eq "^ +$program +- " <<<"$text" || fail "$program: NAME does not name it"
    grep -q "^ *0 " <<<"$(sed -n '/^EXIT STATUS$/,/^[A-Z]/p' <<<"$text")" || fail "$program: no exit status 0"
    grep -q "^ *\\$ $program" <<<"$(sed -n '/^EXAMPLES$/,/^[A-Z]/p' <<<"$text")" || fail "$program: no example"
    version=$("$prefix/bin/$program" --version)
    grep -q "^$version " <<<"$(tail -n 1 <<<"$text")" || fail "$program: the footer does not give '$version'"

    source=$(zcat "$page" | sed 's/\\-/-/g')
    for option in $("$prefix/bin/$program" --help | grep -o -- '--[a-z][a-z0-9-]*' | sort -u); do
        grep -q -- "$option" <<<"$source" || fail "$program: $option is not in the manual page"
    done
done
