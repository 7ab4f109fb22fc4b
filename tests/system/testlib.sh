# What the system tests share (sourced by bash): a scratch folder removed at the end, checks
# that report every failure and fail the test at the end, and skipping with a reason.

scratch=$(mktemp -d "${TMPDIR:-/tmp}/vq-system.XXXXXX")
failures=0
cleanups=()

# Runs at exit: the test's own clean-ups (last first), then the scratch folder goes.
finish()
{
    local status=$? i
    for ((i = ${#cleanups[@]} - 1; i >= 0; i--)); do
        eval "${cleanups[i]}" || true
    done
    rm -rf "$scratch"
    if ((status == 0 && failures > 0)); then
        echo "$failures check(s) failed" >&2
        status=1
    fi
    exit "$status"
}
trap finish EXIT

# at_exit COMMAND: run COMMAND when the test ends, however it ends.
at_exit()
{
    cleanups+=("$1")
}

fail()
{
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}

# expect_equal WHAT EXPECTED ACTUAL
expect_equal()
{
    if [[ $2 != "$3" ]]; then
        fail "$1"$'\n'"  expected: $2"$'\n'"  actual:   $3"
    fi
}

# CTest reports the test as skipped (SKIP_RETURN_CODE 77), with the reason in its output.
skip()
{
    echo "SKIPPED: $*"
    exit 77
}
