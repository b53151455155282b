#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the program's desktop entry and AppStream metainfo with the validators that desktops and
# software centres use (Debian packages desktop-file-utils and appstream). Run by ./test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

desktop-file-validate app/org.velmora.VelmoraEdit.desktop
# --no-net: the check must not depend on reaching the addresses the file names.
appstreamcli validate --no-net app/org.velmora.VelmoraEdit.metainfo.xml
