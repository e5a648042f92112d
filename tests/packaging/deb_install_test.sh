#!/usr/bin/env bash
# SPDX-License-Identifier: BSD-3-Clause
# Installs the Debian packages of the build into the real system, checks that
# what they install works there, and purges them again:
#
#   deb_install_test.sh PACKAGES_DIR VERSION
#
# It changes the machine it runs on, so it runs only under CI (CI=true) and as
# root; anywhere else it skips (exit 77). The packages are purged on every way
# out, and a purge must leave none of their files behind.
set -uo pipefail

packages_dir=$1 version=$2
skip() { echo "deb_install_test: skipped: $*"; exit 77; }
fail() { echo "deb_install_test: FAILED: $*" >&2; exit 1; }

[ "${CI:-}" = true ] || skip "installs into the system; runs only under CI (CI=true)"
[ "$(id -u)" -eq 0 ] || skip "needs root"
command -v dpkg >/dev/null || skip "no dpkg"

debs=()
names=()
for deb in "$packages_dir"/*_"$version"_*.deb; do
    [ -e "$deb" ] || fail "no packages of version $version in $packages_dir (build the target deb)"
    debs+=("$deb")
    names+=("$(dpkg-deb -f "$deb" Package)")
done
for name in "${names[@]}"; do
    if dpkg-query -W -f='${db:Status-Abbrev}' "$name" 2>/dev/null | grep -q '^.i'; then
        fail "$name is installed already; this test would remove it"
    fi
done

work=$(mktemp -d)
purge() {
    dpkg --purge "${names[@]}" >"$work/purge.log" 2>&1 || cat "$work/purge.log" >&2
}
cleanup() {
    purge
    rm -rf "$work"
}
trap cleanup EXIT

# Every file (not folder) the packages hold, to be gone after the purge.
for deb in "${debs[@]}"; do
    dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./|/|'
done >"$work/files"

dpkg -i "${debs[@]}" >"$work/install.log" 2>&1 || { cat "$work/install.log"; fail "dpkg -i"; }

check() {
    local what=$1
    shift
    if ! out=$("$@" 2>&1); then
        echo "$out" >&2
        fail "$what"
    fi
    echo "deb_install_test: $what: $(echo "$out" | head -n 1)"
}
check "zemtool --version" bash -c "/usr/bin/zemtool --version | grep -Fx 'zemtool $version'"
check "man -w zemtool" bash -c "man -w zemtool | grep -Fx /usr/share/man/man1/zemtool.1.gz"
check "man -w 3 zem" bash -c "man -w 3 zem | grep -Fx /usr/share/man/man3/zem.3.gz"
if [ -x /usr/bin/zemfs ]; then
    check "zemfs --version" bash -c "/usr/bin/zemfs --version | grep -Fx 'zemfs $version (libzem $version)'"
    check "man -w zemfs" bash -c "man -w zemfs | grep -Fx /usr/share/man/man1/zemfs.1.gz"
    check "complete -p zemfs" bash -c 'source /usr/share/bash-completion/completions/zemfs && complete -p zemfs'
fi
# The system's own search path for pkg-config files, not the caller's.
check "pkg-config --modversion zem" \
    env -u PKG_CONFIG_PATH -u PKG_CONFIG_LIBDIR bash -c "pkg-config --modversion zem | grep -Fx '$version'"
check "complete -p zemtool" \
    bash -c 'source /usr/share/bash-completion/completions/zemtool && complete -p zemtool'
# The Python module from the system's path alone (nothing of the build tree),
# without leaving compiled files behind for the purge to trip over.
check "python3 -c 'import zem'" env -i PATH=/usr/bin:/bin bash -c "cd / && /usr/bin/python3 -B -c \
    'import zem; print(zem.__file__, zem.library_version)' | grep -Fx '/usr/lib/python3/dist-packages/zem/__init__.py $version'"
if dpkg-query -W -f='${db:Status-Abbrev}' gstreamer1.0-zem 2>/dev/null | grep -q '^.i'; then
    # The system's plugin folders only (found through /lib or /usr/lib, one
    # folder on a merged-/usr system), and a registry of our own, so the
    # caller's GStreamer cache is left alone.
    check "gst-inspect-1.0 zem" env -u GST_PLUGIN_PATH -u GST_PLUGIN_PATH_1_0 -u GST_PLUGIN_SYSTEM_PATH \
        GST_REGISTRY="$work/registry.bin" bash -c "gst-inspect-1.0 zem >'$work/inspect' &&
            grep -E '^ +Filename +(/usr)?/lib/.*/gstreamer-1.0/libgstzem.so\$' '$work/inspect' &&
            grep -qE '^ +Version +$version\$' '$work/inspect' || { cat '$work/inspect'; false; }"
fi

purge
left=$(while read -r file; do [ -e "$file" ] || [ -L "$file" ] && echo "$file"; done <"$work/files")
[ -z "$left" ] || fail "dpkg --purge left files behind: $left"
for name in "${names[@]}"; do
    if dpkg-query -W -f='${db:Status-Abbrev}' "$name" 2>/dev/null | grep -q '^.[^n]'; then
        fail "$name is not gone after the purge"
    fi
done
echo "deb_install_test: ${names[*]} installed, used and purged without a trace"
