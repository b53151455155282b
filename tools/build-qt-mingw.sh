#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-builds Qt's base for 64-bit Windows with MinGW-w64 (POSIX threads): Core, Gui, Widgets, the
# windows platform plugin and the image formats the editor reads (BMP, PNG). The source is Debian's
# own (apt-get source qt6-base), the same version as Debian's Qt host tools, which the build uses
# for moc, uic and rcc. Installs into a cache folder outside the checkout and does nothing when that
# folder is already complete; an interrupted build resumes where it stopped.
#
#   tools/build-qt-mingw.sh            (prints the folder it installed into on its last line)
#   tools/build-qt-mingw.sh --where    prints that folder and builds nothing; fails when incomplete
#
# About 1,100 build steps: 30 to 40 minutes on two idle cores. VELMORA_QT_MINGW_JOBS sets the jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
repo="$PWD"
. tools/deps.sh
. tools/apt-sources.sh
[ "${1:-}" = "--where" ] || velmora_install_deps g++-mingw-w64-x86-64-posix dpkg-dev

host_version="$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)"  # e.g. 6.4.2+dfsg-10
qt_version="${host_version%%+*}"
qt_version="${qt_version%%-*}"
cache="${VELMORA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/velmora}"
prefix="$cache/qt-$qt_version-mingw"
work="$cache/qt-$qt_version-mingw-work"
stamp="$prefix/.complete"

if [ -f "$stamp" ] && [ -f "$prefix/lib/cmake/Qt6/qt.toolchain.cmake" ]; then
    [ "${1:-}" = "--where" ] || echo "Qt $qt_version for Windows is already built."
    echo "$prefix"
    exit 0
fi
if [ "${1:-}" = "--where" ]; then
    echo "Qt $qt_version for Windows is not built in $prefix yet: run tools/build-qt-mingw.sh" \
         "(30 to 40 minutes on two idle cores)." >&2
    exit 1
fi
mkdir -p "$work"

# The source, through a private apt configuration holding one deb-src line for the archive this
# machine already uses: the machine's own apt setup is left untouched.
src="$(find "$work" -maxdepth 1 -type d -name "qt6-base-$qt_version*" | head -n 1)"
if [ -z "$src" ] || [ ! -f "$src/CMakeLists.txt" ]; then
    archive="$(velmora_debian_source)"
    read -r mirror suite <<<"$archive"
    apt_dir="$work/apt"
    mkdir -p "$apt_dir/lists/partial" "$apt_dir/archives/partial" "$apt_dir/parts"
    signed=""
    [ -f /usr/share/keyrings/debian-archive-keyring.gpg ] && signed="[signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] "
    echo "deb-src $signed$mirror $suite main" >"$apt_dir/sources.list"
    apt_opts=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=$apt_dir/parts"
              -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache::archives=$apt_dir/archives"
              -o "APT::Sandbox::User=root")
    echo "Fetching Qt's base source $host_version from $mirror $suite..."
    apt-get "${apt_opts[@]}" update -qq
    (cd "$work" && apt-get "${apt_opts[@]}" source -qq "qt6-base=$host_version")
    src="$(find "$work" -maxdepth 1 -type d -name "qt6-base-$qt_version*" | head -n 1)"
fi
[ -f "$src/CMakeLists.txt" ] || { echo "No Qt source in $work" >&2; exit 1; }

build="$work/build"
if [ ! -f "$build/build.ninja" ]; then
    echo "Configuring Qt $qt_version for Windows in $build..."
    # Debian's source leaves out the tablet library, hence no tablet events. OpenGL stays on (as
    # dynamic OpenGL): the windows platform plugin does not compile without it.
    cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$repo/tools/windows-cross.cmake" \
        -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DBUILD_SHARED_LIBS=ON -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
        -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF \
        -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_vulkan=OFF -DFEATURE_testlib=OFF \
        -DFEATURE_tabletevent=OFF -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_ico=OFF \
        -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF \
        -DFEATURE_system_freetype=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
        -DFEATURE_system_doubleconversion=OFF
fi

echo "Building Qt $qt_version for Windows (about 1,100 steps)..."
cmake --build "$build" -j"${VELMORA_QT_MINGW_JOBS:-$(nproc)}"
cmake --install "$build" >/dev/null
touch "$stamp"
echo "$prefix"
