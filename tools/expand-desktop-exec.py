#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Prints the command a desktop launcher runs for a desktop entry, one argument per NUL-ended
record, with the Exec key expanded as freedesktop launchers do: the string escapes undone,
the quoting undone, and the field codes replaced by the files given, or by nothing.

    tools/expand-desktop-exec.py ENTRY.desktop [FILE...]

%f and %u take the first FILE (a launcher starts one program per file); %F and %U take them all.
Used by check-package.sh, so that its start is the desktop's start and not a shell's."""
import sys

STRING_ESCAPES = {"s": " ", "n": "\n", "t": "\t", "r": "\r", "\\": "\\"}
DEPRECATED = set("dDnNvm")


def entry_keys(path):
    keys, group = {}, None
    with open(path, encoding="utf-8") as entry:
        for line in entry:
            line = line.rstrip("\n")
            if line.startswith("["):
                group = line.strip()
            elif group == "[Desktop Entry]" and "=" in line and not line.startswith("#"):
                key, value = line.split("=", 1)
                keys.setdefault(key.strip(), value.strip())
    return keys


def unescape_string(value):
    out, i = [], 0
    while i < len(value):
        if value[i] == "\\" and i + 1 < len(value) and value[i + 1] in STRING_ESCAPES:
            out.append(STRING_ESCAPES[value[i + 1]])
            i += 2
        else:
            out.append(value[i])
            i += 1
    return "".join(out)


def split_exec(line):
    """The arguments, each a list of (character, quoted) pairs: field codes count only outside quotes."""
    args, current, i = [], None, 0
    while i < len(line):
        c = line[i]
        if c == " ":
            if current is not None:
                args.append(current)
            current = None
            i += 1
            continue
        if current is None:
            current = []
        if c != '"':
            current.append((c, False))
            i += 1
            continue
        i += 1
        while i < len(line) and line[i] != '"':
            if line[i] == "\\" and i + 1 < len(line) and line[i + 1] in '"`$\\':
                i += 1
            current.append((line[i], True))
            i += 1
        if i >= len(line):
            raise ValueError("unterminated quote in Exec=" + line)
        i += 1
    if current is not None:
        args.append(current)
    return args


def expand_argument(chars, keys, entry_path, files):
    """The words one argument gives: none when it held only field codes that expand to nothing."""
    standalone = "".join(c for c, _ in chars) if len(chars) == 2 and not chars[0][1] else ""
    if standalone in ("%F", "%U"):
        return list(files)
    if standalone == "%i":
        return ["--icon", keys["Icon"]] if keys.get("Icon") else []
    text, literal, i = "", False, 0
    while i < len(chars):
        c, quoted = chars[i]
        if quoted or c != "%" or i + 1 >= len(chars):
            text, literal, i = text + c, True, i + 1
            continue
        code = chars[i + 1][0]
        i += 2
        if code == "%":
            text, literal = text + "%", True
        elif code in "fu":
            text += files[0] if files else ""
        elif code == "c":
            text += keys.get("Name", "")
        elif code == "k":
            text += entry_path
        elif code not in DEPRECATED:
            raise ValueError("field code %" + code + " cannot stand inside an argument: " + keys["Exec"])
    return [text] if text or literal else []


def expand(keys, entry_path, files):
    words = []
    for chars in split_exec(unescape_string(keys["Exec"])):
        words += expand_argument(chars, keys, entry_path, files)
    return words


def main():
    if len(sys.argv) < 2:
        sys.exit("usage: expand-desktop-exec.py ENTRY.desktop [FILE...]")
    keys = entry_keys(sys.argv[1])
    if "Exec" not in keys:
        sys.exit(sys.argv[1] + " has no Exec key")
    for arg in expand(keys, sys.argv[1], sys.argv[2:]):
        sys.stdout.write(arg + "\0")


if __name__ == "__main__":
    main()
