#!/usr/bin/env bash
# SPDX-License-Identifier: BSD-3-Clause
# The zem(3) page in step with <zem/zem.h>: every function the header
# declares is in the page's synopsis, and the page names none that is gone.
#
#   api_manual_test.sh HEADER PAGE
set -uo pipefail
header=${1:?usage: api_manual_test.sh HEADER PAGE}
page=${2:?}

declared=$(tr '\n' ' ' < "$header" | grep -oE 'ZEM_API [^(]*\(' | grep -oE 'zem_[a-z0-9_]+' | sort -u)
documented=$(grep -oE '^\.BI? .*zem_[a-z0-9_]+\(' "$page" | grep -oE 'zem_[a-z0-9_]+' | sort -u)
status=0
for name in $(comm -23 <(echo "$declared") <(echo "$documented")); do
    echo "api_manual: $name is declared in $header but missing from the synopsis of $page" >&2
    status=1
done
for name in $(comm -13 <(echo "$declared") <(echo "$documented")); do
    echo "api_manual: $page lists $name, which $header does not declare" >&2
    status=1
done
[ "$status" -eq 0 ] && echo "api_manual: $(echo "$declared" | wc -l) functions, all in the page"
exit "$status"
