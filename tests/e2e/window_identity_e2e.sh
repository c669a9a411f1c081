#!/bin/bash
# The program's window as the desktop sees it: it carries an icon, and its
# class is the one the desktop entry names, so that docks and task bars put
# the window under the entry's icon.
#   window_identity_e2e.sh PROGRAM DESKTOP_FILE
set -u
if [ "${1:-}" = "--on-display" ]; then
    inside=1
    shift
fi
program=$1
desktop=$2
for tool in xvfb-run xprop xwininfo; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
expected=$(sed -n 's/^StartupWMClass=//p' "$desktop")
[ -n "$expected" ] || { echo "FAIL: $desktop names no StartupWMClass"; exit 1; }
if [ -z "${inside:-}" ]; then
    # Again on a display of its own.
    exec xvfb-run -a -s "-screen 0 1366x768x24" "$0" --on-display "$program" "$desktop"
fi
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT

check() {
    XDG_CONFIG_HOME=$home XDG_STATE_HOME=$home/state QT_QPA_PLATFORM=xcb "$program" 2>/dev/null &
    local pid=$! window="" i
    # Up to 30 s: a program starting beside a busy test run may be slow.
    for i in $(seq 1 150); do
        # The start-up message about the PDF printer comes first, over the
        # main window; Enter answers it where a key can be sent.
        if command -v xdotool >/dev/null && xwininfo -root -tree | grep -q '"Tabvane": ("'; then
            xdotool key Return
        fi
        window=$(xwininfo -root -tree | sed -n 's/^ *\(0x[0-9a-f]*\) "Tabvane Software".*/\1/p' | head -1)
        [ -n "$window" ] && break
        sleep 0.2
    done
    local status=0
    if [ -z "$window" ]; then
        echo "FAIL: no window named Tabvane Software"
        status=1
    else
        local class icon
        class=$(xprop -id "$window" WM_CLASS)
        icon=$(xprop -id "$window" _NET_WM_ICON | head -c 200)
        case "$icon" in
        *"_NET_WM_ICON(CARDINAL) = "*) ;;
        *) echo "FAIL: the window has no icon: $icon"; status=1 ;;
        esac
        # WM_CLASS holds the instance name, then the class.
        local actual
        actual=$(printf '%s\n' "$class" | sed -n 's/.*= "[^"]*", "\([^"]*\)"$/\1/p')
        if [ "$actual" != "$expected" ]; then
            echo "FAIL: the window's class is '$actual' ($class), the desktop entry says '$expected'"
            status=1
        fi
    fi
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    return $status
}
check
status=$?
[ $status -eq 0 ] && echo "PASS: icon set, class $expected"
exit $status
