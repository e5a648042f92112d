#!/usr/bin/env bash
# SPDX-License-Identifier: BSD-3-Clause
# Builds and tests every configuration of the project:
#
#   tools/run-tests.sh [--fuzz SECONDS] [PRESET...]
#
# PRESET is a workflow preset of CMakePresets.json (native, web, native-asan, native-tsan,
# windows; all by default, web after native, whose zemtool its tests compare with). Each
# one configures, builds and tests in build/<preset>/, its output kept in
# build/logs/<preset>.log. The presets run one after the other in two lanes when there
# are several: windows, which spends most of its time waiting on Wine
# (tools/wine-run.sh), and then native-tsan run beside the rest. With --fuzz, the
# libFuzzer targets then run for SECONDS each (fuzz/run.sh; needs clang and libFuzzer).
#
# Every preset runs even when an earlier one fails; the script ends with a
# summary and fails when any preset or the fuzz run failed.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

fuzz_seconds=""
if [ "${1:-}" = "--fuzz" ]; then
    fuzz_seconds=${2:?usage: tools/run-tests.sh [--fuzz SECONDS] [PRESET...]}
    shift 2
fi
presets=("$@")
if [ ${#presets[@]} -eq 0 ]; then
    presets=(native web native-asan windows native-tsan)
fi

# The Wine server of the test prefix stays up between test programs on purpose
# (see tools/wine-run.sh); once the tests are over it has no reason to linger.
stop_wine() {
    if command -v wineserver >/dev/null 2>&1; then
        WINEPREFIX="${WINEPREFIX:-$root/build/wine-prefix}" wineserver -k >/dev/null 2>&1 || true
    fi
}
trap stop_wine EXIT

failed=()
summary=()
logs="$root/build/logs"
mkdir -p "$logs"

# One preset: configure, build and test, its output in build/logs/PRESET.log
# (and on the terminal as well with --show). The time and verdict go to
# build/logs/PRESET.result.
run_preset() {
    local preset=$1 start=$SECONDS result=passed status
    # A build folder configured by an older checkout with another generator
    # (the presets once used Make) would stop CMake: start it afresh.
    local cache="$root/build/$preset/CMakeCache.txt"
    if [ -f "$cache" ] && ! grep -qx 'CMAKE_GENERATOR:INTERNAL=Ninja' "$cache"; then
        echo "build/$preset was made with another generator; configuring it afresh"
        rm -rf "$cache" "$root/build/$preset/CMakeFiles"
    fi
    if [ "${2:-}" = --show ]; then
        cmake --workflow --preset "$preset" 2>&1 | tee "$logs/$preset.log"
        status=${PIPESTATUS[0]}
    else
        cmake --workflow --preset "$preset" >"$logs/$preset.log" 2>&1
        status=$?
    fi
    [ "$status" -eq 0 ] || result=FAILED
    echo "$result $((SECONDS - start))" >"$logs/$preset.result"
}

# The Windows tests spend most of their time waiting on Wine (process starts,
# windows on the virtual display, the installer), so that preset runs beside
# the others instead of after them, its build sharing the cores with theirs;
# the short ThreadSanitizer run follows it in that lane, which ends well before
# the other one (native, web, native-asan).
beside=()
serial=()
for preset in "${presets[@]}"; do
    if { [ "$preset" = windows ] || [ "$preset" = native-tsan ]; } && [ ${#presets[@]} -gt 1 ]; then
        beside+=("$preset")
    else
        serial+=("$preset")
    fi
done
pid=""
if [ ${#beside[@]} -gt 0 ]; then
    echo "=== ${beside[*]} (beside the others; output at the end, and in build/logs/)"
    (for preset in "${beside[@]}"; do run_preset "$preset"; done) &
    pid=$!
fi
for preset in "${serial[@]}"; do
    echo "=== $preset"
    run_preset "$preset" --show
done
[ -z "$pid" ] || wait "$pid"
for preset in "${beside[@]}"; do
    echo "=== $preset"
    cat "$logs/$preset.log"
done
for preset in "${presets[@]}"; do
    read -r result seconds <"$logs/$preset.result"
    [ "$result" = passed ] || failed+=("$preset")
    summary+=("$(printf '%-12s %-7s %4d s' "$preset" "$result" "$seconds")")
done

if [ -n "$fuzz_seconds" ]; then
    echo "=== fuzz"
    start=$SECONDS
    if fuzz/run.sh "$fuzz_seconds"; then
        result=passed
    else
        result=FAILED
        failed+=(fuzz)
    fi
    summary+=("$(printf '%-12s %-7s %4d s' fuzz "$result" $((SECONDS - start)))")
fi

echo "=== summary"
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -ne 0 ]; then
    echo "failed: ${failed[*]}"
    exit 1
fi
