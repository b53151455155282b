#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the core, velmora-ini and the core tests for 64-bit Windows with MinGW-w64 and runs the
# tests (the core's and the command-line tool's) under Wine. Then builds the whole editor,
# VelmoraEdit.exe, against the Qt for Windows that tools/build-qt-mingw.sh made, and packs the
# portable zip: the programs, the Qt and MinGW runtime DLLs, the sample, LICENSE and README.txt.
# Not part of ./test.sh: Wine is a large install and Qt for Windows a long build. Everything it
# makes stays in build/windows and build/windows-gui; the zip's path and size are printed last.
#
#   tools/check-windows.sh               the core check, then the editor and its zip
#   tools/check-windows.sh --core-only   the core check alone (no Qt for Windows needed)
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/deps.sh
velmora_install_deps g++-mingw-w64-x86-64-posix wine64 googletest zip

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
(cd "$build" && ctest --output-on-failure -j"$jobs")
[ "${1:-}" = "--core-only" ] && exit 0

# The editor, against Qt for Windows. Its toolchain file loads ours for the compiler; moc, uic and
# rcc are Debian's own, of the same version.
qt="$(tools/build-qt-mingw.sh --where)"
gui=build/windows-gui
cmake -S . -B "$gui" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/tools/windows-cross.cmake" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DVELMORA_GUI=ON -DVELMORA_TESTS=OFF -DVELMORA_BENCH=OFF >/dev/null
cmake --build "$gui" -j"$jobs"

# The portable folder: what cmake --install puts in it, and the DLLs the programs load.
name="VelmoraEdit-$(sed -n 's/^project(VelmoraEdit VERSION \([^ ]*\).*/\1/p' CMakeLists.txt)-windows-x64"
folder="$gui/$name"
rm -rf "$folder" "$gui/$name.zip"
cmake --install "$gui" --prefix "$folder" >/dev/null
# The sample's stand-in for the game's program is its batch file on Windows (sed keeps the CRs).
sed -i 's/^TheGameExeIs=Pyre\.sh\r\?$/TheGameExeIs=Pyre.cmd\r/' "$folder/sample/Velmedit.ini"
grep -q '^TheGameExeIs=Pyre\.cmd' "$folder/sample/Velmedit.ini"
for dll in Qt6Core Qt6Gui Qt6Widgets; do cp "$qt/bin/$dll.dll" "$folder/"; done
mkdir -p "$folder/platforms"
cp "$qt/plugins/platforms/qwindows.dll" "$folder/platforms/"
if compgen -G "$qt/plugins/styles/*.dll" >/dev/null; then  # the native look, when Qt built it
    mkdir -p "$folder/styles"
    cp "$qt"/plugins/styles/*.dll "$folder/styles/"
fi
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    runtime="$(x86_64-w64-mingw32-g++-posix -print-file-name="$dll")"
    [ -f "$runtime" ] || { echo "The MinGW runtime $dll is not found" >&2; exit 1; }
    cp "$runtime" "$folder/"
done
x86_64-w64-mingw32-strip "$folder"/*.exe

# Every DLL a program or plugin names must be in the folder or be Windows' own. The api-ms-win-*
# and ext-ms-win-* names are API sets: Windows' loader maps them onto its own DLLs, no file has them.
missing="$(for binary in "$folder"/*.exe "$folder"/*.dll "$folder"/*/*.dll; do
    x86_64-w64-mingw32-objdump -p "$binary" | sed -n 's/^\s*DLL Name: //p'
done | sort -u | grep -viE '^(api|ext)-ms-win-' | while read -r dll; do
    [ -e "$folder/$dll" ] || [ -e "$WINEPREFIX/drive_c/windows/system32/${dll,,}" ] || echo "$dll"
done)"
[ -z "$missing" ] || { echo "DLLs missing from $folder: $missing" >&2; exit 1; }

# The programs start from the folder alone: velmora-ini works on the sample under Wine.
"$wine" "$folder/velmora-ini.exe" format "$folder/sample/Rules.INI" "$gui/Rules-formatted.ini"
grep -q '^\[GRUNT\]' "$gui/Rules-formatted.ini"

(cd "$gui" && zip -qr9 "$name.zip" "$name")
echo "The portable zip: $PWD/$gui/$name.zip ($(du -h "$gui/$name.zip" | cut -f1))"
