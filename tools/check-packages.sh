#!/usr/bin/env bash
# SPDX-License-Identifier: BSD-3-Clause
# Fails when a catch-all media decoder is installed on this machine. Our tests
# must only ever exercise our own decoder; these packages bundle decoders for
# many formats and would let a player or framework open our files without us.
#
#   tools/check-packages.sh
set -euo pipefail

if ! command -v dpkg-query >/dev/null 2>&1; then
    exit 0
fi
found=$(dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' 2>/dev/null |
    awk '$1 ~ /^.i/ { print $2 }' |
    grep -E '^(libavcodec.*|libavformat.*|libavfilter.*|ffmpeg|gstreamer1\.0-libav|vlc.*|libvlc.*|mpd)(:.*)?$' || true)
if [ -n "$found" ]; then
    echo "check-packages: these packages must not be installed on a build or test machine:" >&2
    echo "$found" | sed 's/^/  /' >&2
    echo "remove them with: apt-get purge -y $(echo $found | tr '\n' ' ')&& apt-get autoremove -y" >&2
    exit 1
fi
