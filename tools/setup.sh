#!/usr/bin/env bash
# SPDX-License-Identifier: BSD-3-Clause
# Installs what building and testing the project needs on Debian 12. Run it as
# root or as a user with sudo: it asks sudo for root only when it needs to (a
# fresh Debian machine set up as root has no sudo at all).
#
#   tools/setup.sh            the tool chain for every preset
#   tools/setup.sh --fuzz     also clang and libFuzzer for fuzz/run.sh
#   tools/setup.sh --bench    also the music renderer and the codecs of bench/bench.py
set -euo pipefail

if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
        exec sudo bash "$0" "$@"
    fi
    echo "tools/setup.sh: installing packages needs root; run it as root or install sudo" >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive
packages=(
    # Native builds and GoogleTest, built from its sources in /usr/src/googletest.
    build-essential cmake ninja-build googletest
    # Windows cross build (the POSIX-threads flavour of the 64-bit compiler only).
    g++-mingw-w64-x86-64-posix
    # The IDL compiler for Pathwick's type library.
    mingw-w64-tools
    # Windows tests: 64-bit Wine, a virtual X display for windowed programs.
    wine wine64 xvfb xauth
    # Wine's own fonts: without them window captions draw their buttons as letters.
    fonts-wine
    # The window tests: their driver, mouse and keyboard input, screenshots.
    python3 xdotool imagemagick
    # Of what the recommended packages used to bring, the tests need only
    # this: Wine finds the system's fonts through it.
    fontconfig
    # The GStreamer plugin (gst/) and its tests: the development files, the
    # command-line tools (gst-launch, gst-inspect, gst-discoverer, gst-play),
    # the base and good plugins (decodebin, wavenc, id3demux, souphttpsrc for
    # the HTTP stream tests, which brings its libsoup as a dependency) and the Python
    # bindings. Never the catch-all decoder plugins (see check-packages.sh).
    libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev pkg-config
    gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-plugins-base-apps
    gstreamer1.0-plugins-good python3-gst-1.0
    # zemfs (tools/zemfs) and its mount test: libfuse3, fusermount3, and sox,
    # one of the readers the test plays the mounted tracks with.
    fuse3 libfuse3-dev sox
    # Packages: the Windows installer's compiler (makensis), the Debian
    # packages' checker, and what their test uses once they are installed
    # (man -w, the completion's loader).
    nsis lintian man-db bash-completion
    # The Python package (python/) and its tests: NumPy, pytest, and setuptools
    # for `pip install ./python` and the python3-zem package.
    python3-numpy python3-pytest python3-setuptools
    # The ABI check of libzem.so against its first release (abidiff).
    abigail-tools
    # zemtool ripcheck: MusicBrainz disc IDs and the AccurateRip database lookup;
    # zlib's CRC-32 for the CRCs rip logs print (native and Windows builds).
    libdiscid-dev libcurl4-openssl-dev zlib1g-dev libz-mingw-w64-dev
    # zemtool convert: FLAC through libFLAC, and its test's reference tools (flac,
    # metaflac); zemtool gain: loudness through libebur128.
    libflac-dev flac libebur128-dev
    # zemtool batch's test runs shares side by side through GNU parallel.
    parallel
    # The web preset: libzem as WebAssembly, its module's tests in Node, the
    # player's test in headless Chromium.
    emscripten nodejs chromium
)
if [ "${1:-}" = "--fuzz" ]; then
    packages+=(clang libclang-rt-14-dev)
fi
if [ "${1:-}" = "--bench" ]; then
    packages+=(timidity freepats openttd-openmsx flac wavpack time libbenchmark-dev nettle-dev libgcrypt20-dev)
fi

# The Windows build's libFLAC and libebur128 are built from the upstream
# tarballs of Debian's source packages of these versions (the build unpacks
# them: cmake/windows_audio_libs.cmake).
windows_audio_sources=(flac=1.4.2+ds-2 libebur128=1.2.6-1)
windows_audio_cache=/var/cache/zem-tools/sources
# Source packages need a deb-src entry for bookworm's main; ours only when the
# machine has none.
if ! apt-get indextargets --format '$(TARGET_OF) $(RELEASE) $(COMPONENT)' | grep -x 'deb-src bookworm main' >/dev/null; then
    cat > /etc/apt/sources.list.d/zem-tools-sources.sources <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
fi

apt-get update
# No recommended packages: Wine's would pull in a catch-all media decoder
# library (through libasound2-plugins) that must never be on our machines.
apt-get install -y --no-install-recommends "${packages[@]}"

# Only the upstream tarballs as Debian ships them, checked by apt against the
# archive's signed index (a file already in the cache is kept). Debian's
# patches to flac change its program and documentation, not libFLAC.
mkdir -p "$windows_audio_cache"
(cd "$windows_audio_cache" && apt-get source -q --download-only --tar-only "${windows_audio_sources[@]}")

# The player test's driver, from the npm registry as web/package-lock.json
# pins it. It drives the Chromium installed above and downloads no browser.
# A Node.js from elsewhere may bring its own npm, which Debian's would clash with.
command -v npm >/dev/null 2>&1 || apt-get install -y --no-install-recommends npm
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
(cd "$root/web" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
