#!/usr/bin/env bash
# SPDX-License-Identifier: BSD-3-Clause
# libzem-dev must depend on every package that linking its static library
# needs: for each library in zem.pc's Libs.private, the package that holds the
# file the compiler links for it (on a bare system, -lstdc++ needs
# libstdc++-N-dev, which neither gcc nor libc6-dev brings).
#
#   deb_depends_test.sh PACKAGES_DIR VERSION C_COMPILER
set -euo pipefail

packages_dir=$1 version=$2 cc=$3
fail() { echo "deb_depends_test: FAILED: $*" >&2; exit 1; }

deb=$(ls "$packages_dir"/libzem-dev_"$version"_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || fail "no libzem-dev package in $packages_dir (build the target deb)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$deb" "$work"
pc=$(find "$work" -name zem.pc | head -n 1)
[ -n "$pc" ] || fail "libzem-dev holds no zem.pc"
depends=$(dpkg-deb -f "$deb" Depends)
# One package name a line, without versions or alternatives.
names=$(sed 's/ *([^)]*)//g; s/ *|[^,]*//g' <<<"$depends" | tr ',' '\n' | tr -d ' ')
private=$(sed -n 's/^Libs.private://p' "$pc")
[ -n "$private" ] || fail "zem.pc names no private libraries"
for flag in $private; do
    library=${flag#-l}
    file=$(realpath -s "$("$cc" -print-file-name="lib$library.so")")
    owner=$(dpkg-query -S "$file" 2>/dev/null | sed 's/[:,].*//') || true
    [ -n "$owner" ] || fail "no package holds $file (for $flag)"
    grep -Fqx "$owner" <<<"$names" || fail "libzem-dev does not depend on $owner (for $flag): Depends: $depends"
done
echo "deb_depends_test: libzem-dev depends on what $private needs: $depends"
