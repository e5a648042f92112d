#!/usr/bin/env bash
# SPDX-License-Identifier: BSD-3-Clause
# The wall between the library and its programs:
#  - zemtool, zemfs, the GStreamer plugin and ZemSource include <zem/*.h> and
#    their own headers, never a header of the codec (codec/src, platform/,
#    Tessarine's); the files of internal_includes.txt beside this script are
#    the ones not moved over yet, and that list may only shrink;
#  - libzem.a and libzem.so give no strong global symbol but zem_*, and the
#    weak ones libzem.a keeps (inline functions, template instances, as every
#    C++ library's) are in namespace zem.
#
#   check_boundary.sh SOURCE_DIR LIBZEM_A LIBZEM_SO
set -uo pipefail

source_dir=${1:?usage: check_boundary.sh SOURCE_DIR LIBZEM_A LIBZEM_SO}
static_library=${2:?}
shared_library=${3:?}
allowed=$(dirname "${BASH_SOURCE[0]}")/internal_includes.txt
internal='#include "(codec/|container/|decode/|io/|link/|cue/|tag/|encode/|api/|model/|coding/|dsp/|platform/|tessarine/)'
status=0

cd "$source_dir" || exit 1
while IFS= read -r file; do
    if ! grep -qxF "$file" "$allowed"; then
        echo "check_boundary: $file includes a header of the codec; use <zem/zem.h> (grow the API where it lacks something):" >&2
        grep -nE "$internal" "$file" >&2
        status=1
    fi
done < <(grep -rlE --include='*.c' --include='*.cpp' --include='*.h' "$internal" tools/zemtool tools/zemfs gst zemsource | sort)
while IFS= read -r file; do
    if [ -f "$file" ] && ! grep -qE "$internal" "$file"; then
        echo "check_boundary: note: $file includes no header of the codec any more; take it off $allowed"
    fi
done < "$allowed"

strong_symbols() {
    nm "$@" | awk '$2 ~ /^[TDBRGSu]$/ && $3 !~ /^zem_/ { print $3 }' | sort -u
}
# Weak ones too (inline functions, template instances, type information):
# every C++ name the codec defines lives in namespace zem. A build without
# optimisation also keeps the standard library's own inline helpers.
foreign_names() {
    nm -C --defined-only --extern-only "$@" | awk 'NF >= 3 { $1 = ""; $2 = ""; sub(/^ +/, ""); print }' |
        grep -vE 'zem::|^zem_|std::|__gnu_cxx::|^__gnu|^__cxa|^DW\.ref\.|^operator (new|delete)\(' | sort -u
}
leaked=$(foreign_names "$static_library")
if [ -n "$leaked" ]; then
    echo "check_boundary: libzem.a defines C++ names outside namespace zem:" >&2
    echo "$leaked" | head -20 >&2
    status=1
fi
leaked=$(strong_symbols --defined-only --extern-only "$static_library")
if [ -n "$leaked" ]; then
    echo "check_boundary: libzem.a gives global symbols besides zem_*:" >&2
    echo "$leaked" | head -20 >&2
    status=1
fi
leaked=$(strong_symbols --defined-only --extern-only --dynamic "$shared_library")
if [ -n "$leaked" ]; then
    echo "check_boundary: libzem.so exports symbols besides zem_*:" >&2
    echo "$leaked" | head -20 >&2
    status=1
fi
[ "$status" -eq 0 ] && echo "check_boundary: programs include <zem/*.h> only (but for the listed files); libzem exports zem_* only"
exit "$status"
