#!/bin/bash
# The Debian package of a build: cpack -G DEB makes it, lintian finds no error in it, and the
# programs unpacked from it with dpkg -x into a folder of the test's own (nothing is installed
# on the machine) run from there: their versions, then conversions of the packaged demo from
# a folder outside the tree, with the packaged filters, picture module and movie helper found
# relative to the binary, byte for byte as the staged programs convert it. The unpacked tree's
# manual pages, shell completion and desktop metadata pass the checks the staged ones pass.
#
#   package.sh BUILD_DIR
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/testlib.sh"
build=$(cd "$1" && pwd)
stage=$build/stage

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/package" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log"; fail "cpack -G DEB failed"; exit 1; }
deb=$(ls "$scratch"/package/*.deb)
lintian --fail-on error --tag-display-limit 0 "$deb" >"$scratch/lintian.log" 2>&1 ||
    fail "lintian:"$'\n'"$(cat "$scratch/lintian.log")"
grep '^[EW]: ' "$scratch/lintian.log"
dpkg-deb --field "$deb" Depends | grep -q 'libsndfile1 (>=' || fail "the dependencies are not the binaries' own"

installed_before=$(dpkg-query -W -f='${Status}' vessarquilix 2>&1)
root=$scratch/root
dpkg -x "$deb" "$root" || { fail "dpkg -x $deb"; exit 1; }
usr=$root/usr
version=$("$stage/bin/vessarquilix-convert" --version | cut -d ' ' -f 2)
for program in vessarquilix vessarquilix-convert vessarquilix-mkfilters vessarquilix-mkdemo; do
    expect_equal "$program --version, unpacked" "$program $version" "$("$usr/bin/$program" --version 2>&1)"
done

# From an empty folder, with no settings: the package's own filters, picture module and movie helper.
mkdir -p "$scratch/work" "$scratch/home" "$scratch/staged"
cd "$scratch/work"
export HOME=$scratch/home
unset XDG_CONFIG_HOME VESSARQUILIX_MOVIE_HELPER
demo=$usr/share/vessarquilix/demo/demoF.wav
cmp -s "$demo" "$stage/share/vessarquilix/demo/demoF.wav" || fail "the packaged demo is not the staged one"
convert()
{
    local prefix=$1 out=$2
    shift 2
    (cd "$scratch/work" && "$prefix/bin/vessarquilix-convert" -q -y -d "$out" "$@" "$demo") ||
        fail "$prefix/bin/vessarquilix-convert $* failed"
}
for prefix_out in "$usr:$scratch/work" "$stage:$scratch/staged"; do
    prefix=${prefix_out%%:*} out=${prefix_out#*:}
    convert "$prefix" "$out" --format float --map "$out/demo_map.png"
    convert "$prefix" "$out" --convention ambix --container mov
done
for file in demo_WXYZ.wav demo_AmbiX.mov; do
    cmp "$scratch/work/$file" "$scratch/staged/$file" || fail "$file differs from the staged programs' conversion"
done
[[ $(head -c 8 "$scratch/work/demo_map.png" | od -An -c | tr -d ' ') == '211PNG\r\n032\n' ]] ||
    fail "the unpacked converter drew no map"

for check in manpages.sh completion.sh desktop.sh; do
    bash "$here/$check" "$usr" || fail "$check on the unpacked package"
done
expect_equal "nothing installed on the machine" "$installed_before" "$(dpkg-query -W -f='${Status}' vessarquilix 2>&1)"
