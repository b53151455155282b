#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Proves the Debian package on a fresh Debian: makes a minimal Debian (debootstrap) in SCRATCH from
# the archive this machine's apt uses, installs the package there with apt, which must bring every
# dependency, and runs the installed velmora-ini. Then it starts the installed program under Xvfb
# twice, as a desktop launcher runs its menu entry: once with no file (the first start, whose
# folder question the scripted-start hook answers) and once with the sample's mods/Cinderfall.ini.
# After each start exactly the expected window must be shown: a box or a second window fails it.
# Needs root; not part of ./test.sh.
#
#   tools/check-package.sh build/package/velmora-edit_0.1_amd64.deb /tmp/velmora-package-check
#
# SCRATCH is reused when it already holds a Debian; keep it outside the checkout.
# VELMORA_CHECK_DOCUMENT names another document for the second start (inside the fresh Debian):
# one that does not exist must make the check fail on its error box.
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 DEB SCRATCH" >&2; exit 2; }
deb="$(realpath "$1")"
root="$(realpath -m "$2")"
display="${VELMORA_CHECK_DISPLAY:-:57}"
cd "$(dirname "$0")/.."
. tools/deps.sh
. tools/apt-sources.sh
velmora_install_deps debootstrap xvfb xdotool imagemagick python3

if [ ! -x "$root/usr/bin/apt-get" ]; then
    archive="$(velmora_debian_source)"
    read -r mirror suite <<<"$archive"
    echo "Making a fresh Debian ($suite) in $root from $mirror..."
    debootstrap --variant=minbase "$suite" "$root" "$mirror" >/dev/null
fi

xvfb_pid=""
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    umount "$root/tmp/.X11-unix" 2>/dev/null || true
    umount "$root/proc" 2>/dev/null || true
}
trap cleanup EXIT
mountpoint -q "$root/proc" || mount -t proc proc "$root/proc"
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root DEBIAN_FRONTEND=noninteractive "$@"; }

echo "Installing $(basename "$deb") with apt..."
cp "$deb" "$root/tmp/"
in_root apt-get update -qq
in_root apt-get install -y -qq "/tmp/$(basename "$deb")" >/dev/null
in_root dpkg -L velmora-edit | grep -E '^/usr/(bin|share/(applications|metainfo|icons/hicolor/.*/apps))/[^/]+$'

echo "velmora-ini format from its installed path..."
in_root /usr/bin/velmora-ini format /usr/share/velmora-edit/sample/Rules.INI /tmp/Rules-formatted.ini
in_root /usr/bin/velmora-ini format /tmp/Rules-formatted.ini /tmp/Rules-again.ini
cmp "$root/tmp/Rules-formatted.ini" "$root/tmp/Rules-again.ini"
grep -q '^\[GRUNT\]' "$root/tmp/Rules-formatted.ini"

echo "The installed program started from its desktop entry, under Xvfb $display..."
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
mkdir -p "$root/tmp/.X11-unix"
for _ in $(seq 50); do [ -S "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
export DISPLAY="$display"
entry="$root/usr/share/applications/org.velmora.VelmoraEdit.desktop"

# Starts the program as a launcher does: the entry's Exec line expanded for FILE..., no shell.
start_from_entry() {
    local command=()
    mapfile -d '' command < <(python3 tools/expand-desktop-exec.py "$entry" "$@")
    [ ${#command[@]} -gt 0 ]
    echo "  ${command[*]}"
    chroot "$root" env -i PATH=/usr/bin:/bin HOME=/root DISPLAY="$display" \
        VELMORA_EDIT_FOLDER_ANSWER=/root/pyre sh -c 'cd /root && exec "$@"' sh "${command[@]}" &
    app_pid=$!
}

# "ID CAPTION" of every top-level window shown on the display, whatever its kind (the search at
# depth 1 lists the root window too, which is left out).
shown_windows() {
    local id root_window
    root_window="$(xdotool search --maxdepth 0 --name '' 2>/dev/null)"
    for id in $(xdotool search --maxdepth 1 --onlyvisible --name '' 2>/dev/null); do
        [ "$id" = "$root_window" ] || echo "$id $(xdotool getwindowname "$id" 2>/dev/null)"
    done
}

# Waits up to a minute for a shown window whose caption matches the extended regular expression.
wait_for_window() {
    local _
    for _ in $(seq 600); do
        kill -0 "$app_pid" 2>/dev/null || { echo "The program ended early." >&2; return 1; }
        shown_windows | cut -d' ' -f2- | grep -Eq -- "$1" && return 0
        sleep 0.1
    done
    echo "No window with a caption like /$1/ was shown." >&2
    return 1
}

# After the start has settled, the one window shown must be the main window with that caption.
expect_only_main_window() {
    local shot="$1" caption="$2" shown
    sleep 3  # a box raised by the start comes up within moments of the main window
    import -window root "$shot"
    shown="$(shown_windows)"
    if [ "$(grep -c . <<<"$shown")" -ne 1 ] || ! cut -d' ' -f2- <<<"$shown" | grep -Eq -- "$caption"; then
        echo "Unexpected windows after the start (expected only the main window /$caption/):" >&2
        sed 's/^/  window /' <<<"$shown" >&2
        echo "Screenshot: $shot" >&2
        return 1
    fi
    echo "  Only the main window is shown: $(cut -d' ' -f2- <<<"$shown"). Screenshot: $shot"
}

stop_program() {
    kill "$app_pid"
    wait "$app_pid" 2>/dev/null || true
    app_pid=""
}

echo "A first start with no file..."
rm -rf "$root/root/pyre" "$root/root/.config/Velmora"
mkdir -p "$root/root/pyre"
start_from_entry
# The chosen folder is empty: the program offers the installed sample; Enter takes "Yes". (There
# is no window manager to activate a window; the focus is set directly.)
wait_for_window '^Confirm$'
confirm="$(xdotool search --onlyvisible --name '^Confirm$' | head -n 1)"
sleep 1  # the box settles before it takes keys
xdotool windowfocus --sync "$confirm"
xdotool key Return
wait_for_window '^Untitle\.ini$'
expect_only_main_window "$root/tmp/first-start.png" '^Untitle\.ini$'
test -f "$root/root/pyre/Velmedit.ini"
test -f "$root/root/pyre/Bitmap/Bitmap1.bmp"
grep -q 'ProgramFolder=/root/pyre' "$root/root/.config/Velmora/VelmoraEdit.conf"
stop_program

document="${VELMORA_CHECK_DOCUMENT:-/root/pyre/mods/Cinderfall.ini}"
echo "A start with $document, in the remembered folder..."
start_from_entry "$document"
wait_for_window '.'
name="$(basename "$document" | sed 's/[][\.*^$+?(){}|]/\\&/g')"
expect_only_main_window "$root/tmp/document-start.png" "(^|/)$name\$"
stop_program
echo "The package installs, its program starts from its desktop entry with no file and with a document, no box is shown, and velmora-ini works."
