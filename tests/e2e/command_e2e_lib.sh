# What every script testing the command line shares, sourced with the
# program's path: no display at all, a work folder of its own removed at the
# end, and the checks.
#   source command_e2e_lib.sh <tabvane>
set -uo pipefail
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
tabvane=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failed=0
fail() { echo "FAIL: $*"; failed=1; }
run() { # run STATUS ARGS...: the program's output in out.txt, its report in err.txt
    local want=$1
    shift
    "$tabvane" "$@" > out.txt 2> err.txt
    local got=$?
    [ "$got" -eq "$want" ] || fail "status $got, not $want: tabvane $* ($(cat err.txt))"
}
has() { grep -qF -- "$1" out.txt || fail "output lacks $1: $(cat out.txt)"; }
