# Sourced by the scripts that show windows: starts a private Xvfb server for the rest of
# the script and points DISPLAY and XAUTHORITY at it; the server stops when the script ends.
#
# -noreset: an X server resets whenever its last client disconnects, and a client that
# connects during the reset loses its display mid-start. With tests in parallel one test's
# exit would pull the display from under the next one's start.
# -displayfd: the server picks a free display number and writes it once it accepts
# connections, so nothing connects before it is up.
start_virtual_display() {
    vd_dir=$(mktemp -d "${TMPDIR:-/tmp}/vq-display.XXXXXX")
    trap 'stop_virtual_display' EXIT
    trap 'exit 130' INT TERM HUP
    XAUTHORITY="$vd_dir/Xauthority"
    export XAUTHORITY
    : > "$XAUTHORITY"
    cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
    mkfifo "$vd_dir/displayfd"
    Xvfb -displayfd 3 -noreset -nolisten tcp -auth "$XAUTHORITY" -screen 0 "${1:-1280x1024x24}" \
        3>"$vd_dir/displayfd" >"$vd_dir/server.log" 2>&1 &
    vd_pid=$!
    # The read returns when the server writes its number, or empty when it dies first.
    number=$(head -n 1 "$vd_dir/displayfd" || true)
    if [ -z "$number" ]; then
        echo "cannot start the virtual display (Xvfb):" >&2
        cat "$vd_dir/server.log" >&2
        exit 1
    fi
    DISPLAY=":$number"
    export DISPLAY
    xauth -q -f "$XAUTHORITY" add "$DISPLAY" . "$cookie"
}

stop_virtual_display() {
    [ -n "${vd_pid:-}" ] && kill "$vd_pid" 2>/dev/null && wait "$vd_pid" 2>/dev/null
    rm -rf "$vd_dir"
}
