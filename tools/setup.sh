#!/usr/bin/env bash
# Installs what building and testing the project needs on Debian 12. Run as root.
#
#   tools/setup.sh            the tool chain for every preset
#   tools/setup.sh --fuzz     also clang and libFuzzer for fuzz/run.sh
set -euo pipefail

export DEBIAN_FRONTEND=noninteractive
packages=(
    # Native builds and GoogleTest, built from its sources in /usr/src/googletest.
    build-essential cmake googletest
    # Windows cross build (the POSIX-threads flavour of the 64-bit compiler only).
    g++-mingw-w64-x86-64-posix
    # Windows tests: 64-bit Wine, a virtual X display for windowed programs.
    wine wine64 xvfb xauth
    # Extorra's window test: its driver, mouse and keyboard input, screenshots.
    python3 xdotool imagemagick
)
if [ "${1:-}" = "--fuzz" ]; then
    packages+=(clang libclang-rt-14-dev)
fi

apt-get update
apt-get install -y "${packages[@]}"
