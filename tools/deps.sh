# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages the build needs, skipping those already present.
# Sourced by run.sh and test.sh.

velmora_install_deps() {
    local wanted="cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev \
libgtest-dev libgmock-dev libbenchmark-dev fonts-dejavu-core libxlsxwriter-dev libminizip-dev libexpat1-dev $*"
    local missing=()
    local pkg
    for pkg in $wanted; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq || true
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
