#!/bin/sh
# Installs the Debian packages that building, testing, packaging and running VessarQuilix need;
# with the argument "fuzz", also clang and its libFuzzer for the engines' fuzz target.
# Idempotent: it asks apt only for what is missing and is silent when nothing is.
set -eu

packages="build-essential cmake pkg-config
libfftw3-dev libsndfile1-dev libwxgtk3.2-dev zlib1g-dev libmysofa-dev
googletest libgtest-dev libhdf5-dev libx11-dev
libcairo2-dev
libavformat-dev libavcodec-dev libavutil-dev libswscale-dev ffmpeg
libebur128-dev
xvfb xauth
help2man bash-completion appstream desktop-file-utils dpkg-dev lintian
openssh-server openssh-client parallel rsync"
if [ "${1:-}" = fuzz ]; then
    packages="$packages clang-14 libclang-rt-14-dev"
fi

missing=""
for p in $packages; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    case "$status" in
        *"install ok installed"*) ;;
        *) missing="$missing $p" ;;
    esac
done

[ -z "$missing" ] && exit 0

echo "Installing missing packages:$missing"
if [ "$(id -u)" -eq 0 ]; then
    run_as_root=""
elif command -v sudo >/dev/null 2>&1; then
    run_as_root="sudo"
else
    echo "These packages are missing and this user cannot install them:$missing" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
$run_as_root apt-get update -qq
# shellcheck disable=SC2086
$run_as_root apt-get install -y -qq $missing >/dev/null
