#!/usr/bin/env bash
# The installed program: installs the build into a staging folder as the
# package lays it out under /usr, checks the layout, validates the desktop
# entry and the AppStream data, and starts the installed program offscreen
# with a file, which must show that file's rows.
#   install_e2e.sh <build folder>
set -euo pipefail
build=$1
skip=77

if ! command -v desktop-file-validate >/dev/null || ! command -v appstreamcli >/dev/null; then
    echo "skipped: needs desktop-file-utils and appstream"
    exit $skip
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stage=$work/stage
DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null
usr=$stage/usr
id=com.varnhold.tabvane

fail() { echo "FAIL: $*"; exit 1; }

for f in bin/tabvane libexec/tabvane/tabvane-print sbin/tabvane-add-pdf-printer; do
    [ -x "$usr/$f" ] || fail "$f is not an installed program"
done
for f in share/tabvane/Samples/sample1.csv share/tabvane/x/o.cjs share/tabvane/HAND-M.CUR \
         share/tabvane/tabvane.png share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
         share/icons/hicolor/scalable/apps/$id.svg share/doc/tabvane/manual.html; do
    [ -s "$usr/$f" ] || fail "$f is not installed"
done
# A PNG's width and height are the big-endian words at bytes 16 and 20.
for size in 48 128 256; do
    png=$usr/share/icons/hicolor/${size}x${size}/apps/$id.png
    [ -s "$png" ] || fail "no ${size} px icon"
    read -r w h < <(od -An -tu1 -j16 -N8 "$png" |
        awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
    [ "$w" = "$size" ] && [ "$h" = "$size" ] || fail "the ${size} px icon is ${w}x${h}"
done
# Nothing of the build tree or the tests comes along.
unexpected=$(cd "$usr" && find . -type f | grep -Ev "^\./(bin/tabvane|libexec/tabvane/|sbin/tabvane-add-pdf-printer|share/(tabvane|applications|metainfo|icons/hicolor|doc/tabvane)/)" || true)
[ -z "$unexpected" ] || fail "unexpected files installed: $unexpected"

desktop-file-validate "$usr/share/applications/$id.desktop"
grep -qx "MimeType=text/csv;text/tab-separated-values;" "$usr/share/applications/$id.desktop" ||
    fail "the desktop entry does not offer the CSV types"
grep -qx "Exec=tabvane %f" "$usr/share/applications/$id.desktop" || fail "the desktop entry does not pass the file"
appstreamcli validate --no-net "$usr/share/metainfo/$id.metainfo.xml"

# The installed program, started as a file manager starts it, with its own
# settings folder; TABVANE_TEST_ROW_COUNT makes it print its grid's row count
# and end instead of waiting for the user.
printf 'Name;Age\r\nBob;42\r\nAnn;7\r\nEve;30\r\n' > "$work/people list.csv"
mkdir -p "$work/config/Varnhold"
printf '[Tabvane%%20Software]\nSeparator=1\n' > "$work/config/Varnhold/Tabvane Software.conf"
run() {
    (cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/config" \
        TABVANE_TEST_ROW_COUNT=1 timeout 60 "$usr/bin/tabvane" "$@")
}
rows=$(run "people list.csv" 2>"$work/stderr") || fail "the program failed: $(cat "$work/stderr")"
[ "$rows" = "3" ] || fail "the program shows $rows rows of the file's 3: $(cat "$work/stderr")"

rows=$(run "$work/gone.csv" 2>"$work/stderr") || fail "the program failed on a missing file"
[ "$rows" = "0" ] || fail "a missing file shows $rows rows"
grep -q "Error loading CSV file." "$work/stderr" || fail "a missing file was not reported"

version=$(run --version) || fail "--version failed"
[ -n "$version" ] || fail "--version printed nothing"
echo "installed layout, desktop entry, AppStream data and the installed program: all fine"
