# SPDX-License-Identifier: GPL-3.0-or-later
# Finds the Debian archive this machine's apt already uses, so that no script carries a mirror
# address of its own: a machine that reaches Debian only through its configured mirror works, and
# nothing goes stale. Sourced by check-package.sh and build-qt-mingw.sh.
#
#   velmora_debian_source   prints "MIRROR SUITE" (for example the archive's URI and "bookworm")
#
# It reads the Debian entry of /etc/apt/sources.list.d/*.sources (its URIs: and Suites:), else the
# first "deb" line of /etc/apt/sources.list, else VELMORA_DEBIAN_MIRROR (with the suite from
# VELMORA_DEBIAN_SUITE or /etc/os-release). It fails, naming both places, when none gives one.

# The main suite of a deb822 file: the first stanza of type "deb" with a suite that is not an
# update or security suite ("bookworm", not "bookworm-updates").
_velmora_deb822_source() {
    awk '
        function flush() {
            if (!found && deb && !off && uri != "" && suite != "") { print uri, suite; found = 1 }
            deb = 0; off = 0; uri = ""; suite = ""
        }
        /^[ \t]*#/ { next }
        /^[ \t]*$/ { flush(); next }
        tolower($1) == "types:"   { for (i = 2; i <= NF; i++) if ($i == "deb") deb = 1 }
        tolower($1) == "enabled:" { if (tolower($2) == "no") off = 1 }
        tolower($1) == "uris:"    { uri = $2 }
        tolower($1) == "suites:"  { for (i = 2; i <= NF; i++) if (suite == "" && $i !~ /-/) suite = $i }
        END { flush() }
    ' "$@" 2>/dev/null | awk '$1 != "" { print; exit }'
}

# The first "deb" line of a one-line-style list, options in brackets skipped.
_velmora_list_source() {
    sed -e 's/#.*//' -e 's/\[[^]]*\]//' "$1" 2>/dev/null | awk '$1 == "deb" && NF >= 3 { print $2, $3; exit }'
}

velmora_debian_source() {
    local found="" parts=(/etc/apt/sources.list.d/*.sources)
    [ -e "${parts[0]}" ] && found="$(_velmora_deb822_source "${parts[@]}")"
    [ -z "$found" ] && [ -f /etc/apt/sources.list ] && found="$(_velmora_list_source /etc/apt/sources.list)"
    if [ -z "$found" ] && [ -n "${VELMORA_DEBIAN_MIRROR:-}" ]; then
        local suite="${VELMORA_DEBIAN_SUITE:-}"
        [ -z "$suite" ] && suite="$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")"
        [ -n "$suite" ] && found="$VELMORA_DEBIAN_MIRROR $suite"
    fi
    if [ -z "$found" ]; then
        echo "No Debian archive found: neither /etc/apt/sources.list.d/*.sources (URIs: and Suites:)" \
             "nor /etc/apt/sources.list (a deb line) names one, and VELMORA_DEBIAN_MIRROR is not set." >&2
        return 1
    fi
    echo "$found"
}
