#!/usr/bin/env bash
# SPDX-License-Identifier: BSD-3-Clause
# Runs one Windows program under Wine and hands back its exit code.
#
#   tools/wine-run.sh PROGRAM.exe [ARGS...]
#   tools/wine-run.sh --display      prints the X display the programs get
#
# The windows preset names this script as CTest's cross-compiling emulator, so
# every test program of that build starts through here. It can also be run by
# hand on any .exe of build/windows/bin/.
#
# Wine prefix: $WINEPREFIX when set, otherwise build/wine-prefix in the source
# tree (ignored by git, thrown away with the build folder, never touches $HOME).
# The first run creates it with `wineboot -i`; that takes a few seconds and
# shows no dialog, because the .NET and HTML runtime installers and the menu
# builder are switched off. Parallel runs (ctest -j) wait on a lock file beside
# the prefix while one of them creates it or starts the server.
#
# Start-up cost: a Wine program on a cold prefix costs a second or more, mostly
# for starting the wine server and Wine's services. We therefore start the
# server ourselves with `wineserver -p<seconds>` so that it outlives each test
# program and the next one starts in a fraction of a second. It quits by itself
# after ZEM_WINESERVER_PERSIST seconds (default 120) without any Wine program;
# tools/run-tests.sh stops it at once with `wineserver -k`. The server and
# Wine's services are started with their standard streams on /dev/null: started
# by a test program instead, they would inherit its output pipe and hold it
# open, and CTest would wait for them to go away.
#
# Display: decided once for all programs, console or windowed.
#   - With $DISPLAY set, programs use that display.
#   - Without one, programs get a private virtual X server (Xvfb, 1280x1024x24)
#     that lives exactly as long as the wine server of this prefix. Wine's
#     services start on it too, so a windowed test never meets a desktop that
#     was created without a display. GUI tests need nothing else; tools that
#     drive windows from outside (xdotool, import) take the display from
#     `tools/wine-run.sh --display`.
#   - Without $DISPLAY and without Xvfb installed, console programs run as they
#     are and windowed ones cannot create windows.
# A windowed test should set ZEM_NEEDS_DISPLAY=1 (CTest property ENVIRONMENT).
# Such tests then run one at a time (two tests' windows on one desktop steal
# each other's focus and synthetic input), fail with 125 when no display can be
# had, and have their output collected in a file and copied out when the
# program ends, because Wine's desktop process, which a windowed program may
# start, inherits the program's output streams.
#
# Exit code: the program's own (Wine passes it through; Windows codes above 255
# arrive truncated to their low byte, as on any POSIX shell). 125 when the
# script itself cannot run (no program named, no Wine installed, prefix failed,
# or a display was needed and none could be had).

set -u

source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

export WINEPREFIX="${WINEPREFIX:-$source_dir/build/wine-prefix}"
export WINEARCH=win64
export WINEDEBUG=-all
# Empty overrides disable the built-in DLLs that would offer to download the
# .NET and HTML runtimes; the menu builder would write desktop entries to $HOME;
# the debugger would catch a crashing test and wait on a dialog until CTest's
# time limit, where without it the test ends at once with the fault's code
# (an access violation, 0xC0000005, arrives as exit code 5).
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe,winedbg.exe=d"
persist_seconds="${ZEM_WINESERVER_PERSIST:-120}"
display_file="$WINEPREFIX.display"

find_wine() {
    # Debian puts the 64-bit loader behind `wine`; other systems call it wine64.
    local candidate
    for candidate in wine64 wine; do
        if command -v "$candidate" >/dev/null 2>&1; then
            command -v "$candidate"
            return 0
        fi
    done
    return 1
}

# Helpers started below must not inherit the lock (fd 9): they would hold it
# for as long as they live and every later run would wait for them.

# Succeeds only when it started a new server; `wineserver` exits with status 2
# when one is already up for this prefix.
start_wineserver() {
    wineserver "-p$persist_seconds" </dev/null >/dev/null 2>&1 9>&-
}

# Starts Xvfb on a free display number and records "DISPLAY PID" in
# $display_file. A watcher stops the X server when the wine server exits.
start_private_display() {
    local number_file="$display_file.number" pid number="" tries
    command -v Xvfb >/dev/null 2>&1 || return 1
    rm -f "$number_file"
    Xvfb -displayfd 5 -nolisten tcp -screen 0 1280x1024x24 \
        </dev/null >/dev/null 2>&1 5>"$number_file" 9>&- &
    pid=$!
    for tries in $(seq 100); do
        number=$(head -n 1 "$number_file" 2>/dev/null)
        [ -n "$number" ] && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    rm -f "$number_file"
    if [ -z "$number" ]; then
        kill "$pid" 2>/dev/null
        return 1
    fi
    echo ":$number $pid" >"$display_file"
    (wineserver -w; kill "$pid") </dev/null >/dev/null 2>&1 9>&- &
}

# Prints the recorded private display when its X server still runs.
private_display() {
    local display pid
    [ -r "$display_file" ] || return 1
    read -r display pid <"$display_file" || return 1
    kill -0 "$pid" 2>/dev/null || return 1
    echo "$display"
}

use_private_display_if_needed() {
    local display
    [ -n "${DISPLAY:-}" ] && return 0
    display=$(private_display) || { start_private_display && display=$(private_display); } || return 0
    export DISPLAY="$display"
}

# Debian's Wine does not find the fonts of package fonts-wine by itself; a copy
# in the prefix's Fonts folder makes dialogs and caption buttons draw as they
# should (without it they fall back to wider fonts and letters).
install_wine_fonts() {
    local fonts=/usr/share/wine/fonts target="$WINEPREFIX/drive_c/windows/Fonts"
    [ -d "$fonts" ] || return 0
    mkdir -p "$target" && cp -n "$fonts"/* "$target"/ 2>/dev/null
    return 0
}

# Builds the prefix in a session of its own and waits for that session to end,
# so that nothing made during the build (a desktop without a display, say)
# lingers into the test sessions.
create_prefix() {
    echo "wine-run: creating Wine prefix $WINEPREFIX" >&2
    mkdir -p "$WINEPREFIX"
    if ! "$wine" wineboot -i </dev/null >/dev/null 2>&1 9>&-; then
        echo "wine-run: wineboot failed for $WINEPREFIX" >&2
        return 1
    fi
    wineserver -w 9>&-
    install_wine_fonts
    touch "$WINEPREFIX/.zem-ready"
}

# Creates the prefix, starts the server, the display and Wine's services once,
# whoever of several parallel runs gets the lock first. Prints the display.
prepare_wine() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [ ! -e "$WINEPREFIX/.zem-ready" ]; then
            create_prefix || exit 1
        fi
        if start_wineserver; then
            use_private_display_if_needed
            "$wine" wineboot </dev/null >/dev/null 2>&1 9>&-
        else
            use_private_display_if_needed
        fi
        echo "${DISPLAY:-}"
    ) 9>"$WINEPREFIX.lock"
}

# Runs a windowed program; see "Display" above.
run_windowed() {
    local log status
    if [ -z "${DISPLAY:-}" ]; then
        echo "wine-run: $1 needs a display; set DISPLAY or install Xvfb" >&2
        return 125
    fi
    log=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX") || return 125
    (
        flock 8
        "$wine" "$@" >"$log" 2>&1 8>&-
    ) 8>"$WINEPREFIX.display.lock"
    status=$?
    cat "$log"
    rm -f "$log"
    return $status
}

if [ $# -lt 1 ]; then
    echo "usage: $0 PROGRAM.exe [ARGS...] | --display" >&2
    exit 125
fi
if ! wine=$(find_wine); then
    echo "wine-run: no wine64 or wine found on PATH" >&2
    exit 125
fi
if ! display=$(prepare_wine); then
    exit 125
fi
if [ -n "$display" ]; then
    export DISPLAY="$display"
fi

if [ "$1" = "--display" ]; then
    echo "${DISPLAY:-}"
    exit 0
fi
if [ -n "${ZEM_NEEDS_DISPLAY:-}" ] && [ "$ZEM_NEEDS_DISPLAY" != 0 ]; then
    run_windowed "$@"
    exit $?
fi
exec "$wine" "$@"
