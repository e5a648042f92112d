#!/usr/bin/env bash
# SPDX-License-Identifier: BSD-3-Clause
# End-to-end check of the installed library: install the build into a
# temporary prefix, build two programs outside the tree against it (a C
# program through pkg-config, a CMake project through find_package with the
# shared and the static library) and check that each decodes a stream and a
# link file's track to exactly the bytes `zemtool decode` writes. Also checks
# that libzem.so exports nothing but the C API, that the installed programs
# start with no variable set (they find libzem.so.1 by their run path), and
# that the component Tools installed alone brings the library zemfs needs and
# none of the Debian packages' papers.
#
# install_test.sh BUILD_DIR C_COMPILER MAKE_SAMPLES [EXTRA_FLAGS]
# EXTRA_FLAGS go to every consumer's compile and link (the sanitizer flags of
# a sanitizer build, whose library needs its runtime in the program).
set -euo pipefail

build=$1 cc=$2 make_samples=$3 flags=${4:-}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

fail() { echo "install_test: $*" >&2; exit 1; }
# Runs a program as a fresh login would: no LD_LIBRARY_PATH, no variable at all.
bare() { env -i PATH=/usr/bin:/bin "$@"; }

cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; fail "install failed"; }

libdir=$(dirname "$(find "$prefix" -name 'libzem.so' | head -n1)")
[ -n "$libdir" ] || fail "no libzem.so installed"
for file in "$prefix/include/zem/zem.h" "$libdir/libzem.a" "$libdir/pkgconfig/zem.pc" \
            "$libdir/cmake/zem/zemConfig.cmake" "$prefix/bin/zemtool"; do
    [ -e "$file" ] || fail "missing $file"
done
soname=$(readelf -d "$libdir/libzem.so" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
[ "$soname" = libzem.so.1 ] || fail "SONAME is '$soname'"
[ -e "$libdir/$soname" ] || fail "no $soname beside libzem.so"

foreign=$(nm -D --defined-only "$libdir/libzem.so" | awk '{ print $NF }' | grep -v '^zem_' || true)
[ -z "$foreign" ] || fail "libzem.so exports more than the C API: $(echo $foreign | head -c 400)"
exported=$(nm -D --defined-only "$libdir/libzem.so" | awk '{ print $NF }')
for symbol in zem_open zem_open_ex zem_read zem_get_error_detail; do
    echo "$exported" | grep -qx "$symbol" || fail "libzem.so does not export $symbol"
done

# A real stream (the bundled album's image) and a link to a track inside it.
"$make_samples" --album "$work/data" >/dev/null
image=$(find "$work/data" -name '*.zem' | head -n1)
[ -n "$image" ] || fail "the sample generator wrote no image"
printf '[Quillon Image Link File]\r\nImage File=%s\r\nStart Block=100000\r\nFinish Block=300007\r\n\r\n' "$image" \
    >"$work/track.zlk"
bare "$prefix/bin/zemtool" --version | grep -q '^zemtool [0-9]' || fail "zemtool --version"
# zemfs goes beside zemtool where it is built (libfuse3 found) and loads the
# installed libzem.so.1 through its run path.
if [ -e "$build/bin/zemfs" ]; then
    bare "$prefix/bin/zemfs" --version | grep -q '^zemfs [0-9]' || fail "zemfs --version (installed beside zemtool)"
fi
# The tools alone bring libzem.so.1 (zemtool and zemfs load it); never the packages' copyright and changelog.
tools=$work/tools
cmake --install "$build" --prefix "$tools" --component Tools >"$work/tools.log" \
    || { cat "$work/tools.log"; fail "install of Tools failed"; }
bare "$tools/bin/zemtool" --version | grep -q '^zemtool [0-9]' || fail "zemtool --version (component Tools)"
if [ -e "$build/bin/zemfs" ]; then
    bare "$tools/bin/zemfs" --version | grep -q '^zemfs [0-9]' || fail "zemfs --version (component Tools)"
fi
papers=$(find "$tools" "$prefix" -path '*/share/doc/*' | head -n 5)
[ -z "$papers" ] || fail "cmake --install puts the Debian packages' papers in place: $papers"
for input in "$image" "$work/track.zlk"; do
    "$prefix/bin/zemtool" decode -q "$input" "$work/$(basename "$input").tool.wav"
done

# The C program through pkg-config, held to plain C99 without a warning (and
# told where the library lies, as a program installed elsewhere would be).
export PKG_CONFIG_PATH=$libdir/pkgconfig
# shellcheck disable=SC2046,SC2086
"$cc" -std=c99 -pedantic -Wall -Wextra -Werror $flags -o "$work/zem_decode_pc" "$here/zem_decode.c" \
    $(pkg-config --cflags --libs zem) -Wl,-rpath,"$libdir"

# The CMake project through find_package.
cmake -S "$here/cmake_consumer" -B "$work/consumer" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_C_COMPILER="$cc" \
      -DCMAKE_C_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >"$work/consumer.log" 2>&1 \
    || { cat "$work/consumer.log"; fail "the CMake consumer does not configure"; }
cmake --build "$work/consumer" >>"$work/consumer.log" 2>&1 || { cat "$work/consumer.log"; fail "the CMake consumer does not build"; }

for program in "$work/zem_decode_pc" "$work/consumer/zem_decode_shared" "$work/consumer/zem_decode_static"; do
    for input in "$image" "$work/track.zlk"; do
        out=$work/$(basename "$input").$(basename "$program").wav
        bare "$program" "$input" "$out" >/dev/null
        cmp "$work/$(basename "$input").tool.wav" "$out" || fail "$(basename "$program") decodes $input differently"
    done
done
echo "install_test: installed library, pkg-config and CMake consumers agree with zemtool decode"
