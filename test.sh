#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test.
# When clang-tidy is present, our sources are linted with the checked-in .clang-tidy, and when clang
# is present, the parser's fuzz target also runs for a short, bounded time. The desktop
# entry and the metainfo are checked with their validators, and docs/GLOSSARY.md against the code.
set -euo pipefail
cd "$(dirname "$0")"
. tools/deps.sh
velmora_install_deps desktop-file-utils appstream lld ccache

# ccache serves compiles that use a precompiled header only with this sloppiness (the header is
# made just before them, and its defines and time macros are part of it); and it serves a clone in
# another folder only when the folder is left out of what it hashes, which debug builds otherwise
# put in, and the clone's paths are hashed as paths within it, wherever it stands. A user's own
# settings win.
export CCACHE_SLOPPINESS="${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}"
export CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-true}"
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"

jobs="$(nproc)"
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON -DVELMORA_BENCH=ON >/dev/null
cmake --build build/test -j"$jobs"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
status=0
# The lint runs beside the tests: many of them wait on timers and windows, which leaves the cores
# free for it. What it says is printed after the tests.
lint_pid=""
if command -v clang-tidy >/dev/null 2>&1; then
    tools/run-clang-tidy.sh build/test "$jobs" >build/test/clang-tidy.log 2>&1 &
    lint_pid=$!
fi
echo "Checking the desktop entry and the metainfo..."
tools/check-desktop-files.sh || status=1
echo "Checking the glossary against the code..."
tools/check-glossary.py || status=1
echo "Checking that includes run downward..."
tools/check-layers.py || status=1
(cd build/test && ctest --output-on-failure -j"$jobs") || status=$?

if [ -n "$lint_pid" ]; then
    echo "Linting our sources with clang-tidy..."
    wait "$lint_pid" || status=1
    cat build/test/clang-tidy.log
fi

if command -v clang++ >/dev/null 2>&1 && [ -f tests/fuzz/CMakeLists.txt ]; then
    CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DVELMORA_FUZZ=ON -DVELMORA_GUI=OFF -DVELMORA_TESTS=OFF >/dev/null
    cmake --build build/fuzz -j"$jobs" --target fuzz_ini_parser
    mkdir -p build/fuzz/corpus
    echo "Fuzzing the INI parser for 20 seconds..."
    build/fuzz/tests/fuzz/fuzz_ini_parser -max_total_time=20 -print_final_stats=1 \
        build/fuzz/corpus tests/fuzz/corpus 2>&1 | tail -n 3 || status=1
fi
exit $status
