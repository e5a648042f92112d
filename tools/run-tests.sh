#!/usr/bin/env bash
# SPDX-License-Identifier: BSD-3-Clause
# Builds and tests every configuration of the project, one after the other:
#
#   tools/run-tests.sh [--fuzz SECONDS] [PRESET...]
#
# PRESET is a workflow preset of CMakePresets.json (native, native-asan, native-tsan, web,
# windows; native, native-asan and windows by default). Each one configures, builds and tests in
# build/<preset>/. The windows preset runs its tests under Wine through
# tools/wine-run.sh. With --fuzz, the libFuzzer targets then run for SECONDS
# each (fuzz/run.sh; needs clang and libFuzzer).
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
    presets=(native native-asan windows)
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
for preset in "${presets[@]}"; do
    echo "=== $preset"
    start=$SECONDS
    if cmake --workflow --preset "$preset"; then
        result=passed
    else
        result=FAILED
        failed+=("$preset")
    fi
    summary+=("$(printf '%-12s %-7s %4d s' "$preset" "$result" $((SECONDS - start)))")
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
