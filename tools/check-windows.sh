#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the core, velmora-ini and the core tests for 64-bit Windows with MinGW-w64 and runs the
# tests (the core's and the command-line tool's) under Wine. Not part of ./test.sh: Wine is a
# large install. Everything it makes stays in build/windows.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/deps.sh
velmora_install_deps g++-mingw-w64-x86-64-posix wine64 googletest

build=build/windows
export WINEPREFIX="$PWD/$build/wineprefix"
export WINEDEBUG=-all
# No runtime for .NET or HTML: nothing here needs them, and Wine would offer to download them.
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64  # Debian's wine64 keeps its launcher out of the PATH
[ -f "$WINEPREFIX/system.reg" ] || echo "Preparing a Wine prefix in $WINEPREFIX..."
mkdir -p "$WINEPREFIX"
# One Wine server, with its background services, for the whole run: started here with its output
# away from any pipe, since a service that inherits the pipe of a test listing keeps it open.
/usr/lib/wine/wineserver -p 2>/dev/null || true  # already running from an earlier run
trap '/usr/lib/wine/wineserver -k || true' EXIT
"$wine" wineboot --init >/dev/null 2>&1

jobs="$(nproc)"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=tools/windows-cross.cmake \
    -DVELMORA_GUI=OFF -DVELMORA_TESTS=ON -DVELMORA_BENCH=OFF \
    -DVELMORA_GTEST_SOURCE=/usr/src/googletest >/dev/null
cmake --build "$build" -j"$jobs"

status=0
(cd "$build" && ctest --output-on-failure -j"$jobs") || status=$?
exit $status
