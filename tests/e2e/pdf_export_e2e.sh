#!/usr/bin/env bash
# The PDF export on a real CUPS with a CUPS-PDF queue described as the PDF
# printer. Starts the scheduler when it is down and adds the queues it
# needs; afterwards it puts back what it found. Needs root (the CUPS-PDF
# backend runs only under a root scheduler).
#   pdf_export_e2e.sh <pdf_e2e_tests binary>
set -euo pipefail
tests=$1
skip=77

if [ "$(id -u)" -ne 0 ] || ! command -v cupsd >/dev/null || ! command -v pdftotext >/dev/null ||
   [ ! -e /usr/lib/cups/backend/cups-pdf ]; then
    echo "skipped: needs root, cups, printer-driver-cups-pdf and poppler-utils"
    exit $skip
fi

work=$(mktemp -d)
chmod 755 "$work"
mkdir -p "$work/out" "$work/home" "$work/temp"
conf=/etc/cups/cups-pdf-varnhold.conf
started=""
added=()

cleanup() {
    for q in "${added[@]}"; do lpadmin -x "$q" || true; done
    if [ -e "$work/conf.saved" ]; then mv "$work/conf.saved" "$conf"; else rm -f "$conf"; fi
    if [ -n "$started" ] && [ -e /run/cups/cupsd.pid ]; then
        pid=$(cat /run/cups/cupsd.pid)
        kill "$pid" || true
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    fi
    rm -rf "$work"
}
trap cleanup EXIT

running() { lpstat -r 2>/dev/null | grep -q "scheduler is running"; }
if ! running; then
    cupsd
    started=yes
    for _ in $(seq 100); do running && break; sleep 0.1; done
    running || { echo "cupsd did not start"; exit 1; }
fi

[ -e "$conf" ] && cp -p "$conf" "$work/conf.saved"
echo "Out $work/out" > "$conf"

add_queue() { # queue, device, description
    lpstat -p "$1" >/dev/null 2>&1 && return 0
    lpadmin -p "$1" -E -v "$2" -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd -D "$3" \
        -o pdftops-renderer-default=pdftocairo -o TitlePref=1 2>/dev/null
    added+=("$1")
}
add_queue Varnhold_PDF_Writer cups-pdf:/varnhold "Varnhold PDF Writer"
# A second printer to be the user's default before the export; it prints
# nowhere the test looks.
add_queue Tabvane_Test_Other cups-pdf:/tabvane-other "Tabvane Test Other"

HOME="$work/home" TEMP="$work/temp" TABVANE_PDF_OUT="$work/out" QT_QPA_PLATFORM=offscreen "$tests"
