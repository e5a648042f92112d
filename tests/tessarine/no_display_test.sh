#!/usr/bin/env bash
# SPDX-License-Identifier: BSD-3-Clause
# Tessarine's command-line mode where no window can be made: a Wine prefix
# whose desktop was started without a display (no DISPLAY), as a server first
# started by a console program leaves it. The dialog that runs the job cannot
# be created, so no link is written: the run must say so on standard error
# and end with exit status 2, not 0.
#
#   no_display_test.sh TESSARINE_EXE SAMPLE_ZEM WORK_DIR
set -uo pipefail

program=$1 sample=$2 work=$3
wine=$(command -v wine64 || command -v wine) || { echo "no_display_test: skipped: no wine"; exit 77; }
fail() { echo "no_display_test: FAILED: $*" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work/data"
export WINEPREFIX=$work/prefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe,winedbg.exe=d"
unset DISPLAY WAYLAND_DISPLAY
trap 'wineserver -k >/dev/null 2>&1; rm -rf "$WINEPREFIX"' EXIT

cp "$sample" "$work/data/sample.zem"
printf 'PERFORMER "Corvane"\r\nTITLE "Samples"\r\nFILE "sample.zem" WAVE\r\n  TRACK 01 AUDIO\r\n    TITLE "One"\r\n    INDEX 01 00:00:00\r\n' \
    >"$work/data/Samples.cue"
"$wine" wineboot -i </dev/null >/dev/null 2>&1 || fail "wineboot"

"$wine" "$program" "$(winepath -w "$work/data/Samples.cue" 2>/dev/null)" </dev/null >"$work/out" 2>"$work/err"
status=$?
cat "$work/err"
[ "$status" -eq 2 ] || fail "exit status $status without a window, expected 2"
grep -q "^Tessarine: cannot create the dialog window .*no link files were made for .*Samples.cue" "$work/err" \
    || fail "no report on standard error"
links=$(find "$work/data" -name '*.zlk')
[ -z "$links" ] || fail "links written without a window?: $links"
echo "no_display_test: without a window Tessarine says so and ends with 2"
