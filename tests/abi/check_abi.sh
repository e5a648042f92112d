#!/usr/bin/env bash
# SPDX-License-Identifier: BSD-3-Clause
# The built libzem.so against the ABI of the first release kept in codec/abi/:
# functions may be added (not reported), none may go or change its signature, and no public
# struct may change its layout. abidiff's status is a bit field: 1 and 2 are
# its own failures, 4 a change of a kept interface, 8 an incompatible one.
#
#   check_abi.sh LIBRARY
set -uo pipefail

library=${1:?usage: check_abi.sh LIBRARY}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
abi_dir=$here/../../codec/abi

if ! command -v abidiff >/dev/null 2>&1; then
    if [ -n "${CI:-}" ]; then
        echo "check_abi: abidiff is missing (package abigail-tools)" >&2
        exit 1
    fi
    echo "check_abi: abidiff is missing (package abigail-tools); skipped"
    exit 77
fi

abidiff --no-added-syms --suppressions "$abi_dir/opaque.suppr" "$abi_dir/libzem.so.1.abi" "$library"
status=$?
if [ "$status" -ne 0 ]; then
    echo "check_abi: libzem.so changed the ABI of release 1 (abidiff status $status)" >&2
    exit 1
fi
echo "check_abi: compatible with release 1"
