#!/usr/bin/env bash
# SPDX-License-Identifier: BSD-3-Clause
# Builds the libFuzzer targets with clang and runs each one in turn.
#
#   fuzz/run.sh SECONDS [TARGET...]
#
# TARGET is tag_reader, header_reader, link_text, link_file, cue_sheet,
# frame_decoder, profile_document, tag_edit, decode_planning, wave_reader,
# zemfs_names, zemfs_read, api_calls, shell_properties or gst_element (all by default;
# gst_element when GStreamer's development files are there).
# Each target first replays fuzz/regressions/TARGET/, then fuzzes for SECONDS
# from a corpus seeded with the test fixtures (fuzz/corpus-TARGET/, not kept in
# git). Inputs that fail land in build/fuzz/artifacts/. One target runs at a
# time: the fuzzers use one core each.
#
# Environment: FUZZ_KEEP_GOING=1 collects every finding instead of stopping at
# the first; FUZZ_DEFINITIONS adds compile definitions; FUZZ_BUILD_DIR, FUZZ_CXX and FUZZ_CC
# choose the build folder and the compilers.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:?usage: fuzz/run.sh SECONDS [TARGET...]}
shift
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(tag_reader header_reader link_text link_file cue_sheet frame_decoder profile_document tag_edit
             decode_planning wave_reader zemfs_names zemfs_read api_calls shell_properties gst_element)
fi
build=${FUZZ_BUILD_DIR:-$root/build/fuzz}

cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER="${FUZZ_CXX:-clang++}" -DCMAKE_C_COMPILER="${FUZZ_CC:-clang}" \
    -DCMAKE_BUILD_TYPE=None -DFUZZ_DEFINITIONS="${FUZZ_DEFINITIONS:-}" >/dev/null
cmake --build "$build" -j2
if [ ! -x "$build/gst_element_fuzzer" ]; then
    for i in "${!targets[@]}"; do
        if [ "${targets[$i]}" = gst_element ]; then
            echo "== gst_element: not built (no GStreamer development files), skipped"
            unset 'targets[i]'
        fi
    done
fi

mkdir -p "$build/artifacts" "$build/logs"
status=0
# With FUZZ_KEEP_GOING=1 a target goes on after a finding (libFuzzer's fork
# mode) and collects every distinct one; by default it stops at the first.
keep_going=()
if [ "${FUZZ_KEEP_GOING:-0}" = 1 ]; then
    keep_going=(-fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1)
fi
for target in "${targets[@]}"; do
    corpus="$root/fuzz/corpus-$target"
    mkdir -p "$corpus"
    "$build/make_seeds" "$target" "$corpus"
    regressions="$root/fuzz/regressions/$target"
    if [ -d "$regressions" ] && [ -n "$(ls -A "$regressions")" ]; then
        echo "== $target: replaying $(ls "$regressions" | wc -l) saved inputs"
        if ! "$build/${target}_fuzzer" -rss_limit_mb=2048 -malloc_limit_mb=512 "$regressions"/* \
            >"$build/logs/$target-regressions.log" 2>&1; then
            status=1
            echo "== $target: a saved input still fails; see $build/logs/$target-regressions.log"
            grep -E 'invariant broken|ERROR:|SUMMARY' "$build/logs/$target-regressions.log" || true
        fi
    fi
    echo "== $target: fuzzing for $seconds s (log: $build/logs/$target.log)"
    if "$build/${target}_fuzzer" "$corpus" "${keep_going[@]}" \
        -max_total_time="$seconds" -timeout=10 -max_len=65536 \
        -rss_limit_mb=2048 -malloc_limit_mb=512 -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$target-" >"$build/logs/$target.log" 2>&1; then
        grep -E '^(Done|stat::number_of_executed_units)' "$build/logs/$target.log" ||
            grep -E '^#[0-9]+:' "$build/logs/$target.log" | tail -n 1 || true
    else
        status=1
        echo "== $target: FAILED; the end of its log:"
        tail -n 60 "$build/logs/$target.log"
    fi
done
exit $status
