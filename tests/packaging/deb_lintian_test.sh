#!/usr/bin/env bash
# SPDX-License-Identifier: BSD-3-Clause
# Runs lintian on the Debian packages of the build: no errors allowed; the
# warnings are printed.
#
#   deb_lintian_test.sh PACKAGES_DIR VERSION
set -uo pipefail

packages_dir=$1 version=$2
if ! command -v lintian >/dev/null; then
    if [ "${CI:-}" = true ]; then
        echo "deb_lintian_test: FAILED: lintian missing" >&2
        exit 1
    fi
    echo "deb_lintian_test: skipped: lintian missing"
    exit 77
fi
debs=("$packages_dir"/*_"$version"_*.deb)
[ -e "${debs[0]}" ] || { echo "deb_lintian_test: FAILED: no packages in $packages_dir (build the target deb)" >&2; exit 1; }
lintian --fail-on error --no-tag-display-limit "${debs[@]}"
