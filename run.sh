#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Velmora Edit and opens it on the bundled sample game, copied once to build/sample-run
# so that nothing the editor writes touches the repository.
set -euo pipefail
cd "$(dirname "$0")"
. tools/deps.sh
velmora_install_deps

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF >/dev/null
cmake --build build/release -j"$(nproc)"

scratch=build/sample-run
if [ ! -d "$scratch" ]; then
    mkdir -p "$scratch"
    cp -a samples/. "$scratch/"
fi

exe="$PWD/build/release/app/VelmoraEdit"
cd "$scratch"
exec "$exe" "$@"
