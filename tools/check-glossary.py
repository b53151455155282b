#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Keeps docs/GLOSSARY.md in step with the code.

Two checks, both on the checkout this script lives in:
- every table row of the glossary that names a file (its last cell is a path in backticks) names
  an identifier (its first cell in backticks) that still occurs, as a whole word, in that file; in
  the table of old names, the row leads from an old name (first cell) to its new name (second
  cell), and the new name is the one that must occur in the file;
- every identifier in our sources that is built from one of the glossary's Indonesian words has a
  row of its own, so that a new such name cannot slip in unexplained.
Prints what is wrong and exits with 1; prints one line and exits with 0 when all is well.
"""
import re
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
GLOSSARY = ROOT / "docs" / "GLOSSARY.md"
SOURCE_DIRS = ("app", "core", "gui", "cli", "forms", "tools")
SOURCE_SUFFIXES = {".cpp", ".h", ".ui"}

ROW = re.compile(r"^\|\s*`([^`]+)`\s*\|.*\|\s*`([^`]+)`\s*\|\s*$")
# A row of the table of old names: old name, new name, what it is, file.
RENAME_ROW = re.compile(r"^\|\s*`([^`]+)`\s*\|\s*`([^`]+)`\s*\|.*\|\s*`([^`]+)`\s*\|\s*$")
RENAMES = "## Old names and new"
WORD_ROW = re.compile(r"^\|\s*([A-Z][a-z]+(?: [A-Z][a-z]+)?)\s*\|[^|]*\|\s*$")
IDENTIFIER = re.compile(r"[A-Za-z_][A-Za-z0-9_]*")
# Splits CamelCase: "OnExitKu" -> On, Exit, Ku; "mIniGue" -> m, Ini, Gue.
CAMEL_PART = re.compile(r"[A-Z][a-z]+|[a-z]+|[A-Z]+(?![a-z])|[0-9]+")


def read_glossary():
    """The (name, path, line number) of each row that names a file, the names those rows explain,
    and the Indonesian words. A row of the table of old names gives its new name to look for."""
    entries = []
    explained = set()
    words = set()
    section = ""
    for number, line in enumerate(GLOSSARY.read_text(encoding="utf-8").splitlines(), start=1):
        if line.startswith("## "):
            section = line.strip()
            continue
        rename = RENAME_ROW.match(line) if section == RENAMES else None
        if rename and "/" in rename.group(3):
            entries.append((rename.group(2), rename.group(3), number))
            explained.add(rename.group(2))  # an old name back in the code needs a row of its own
            continue
        match = ROW.match(line)
        if match and ("/" in match.group(2)):
            entries.append((match.group(1), match.group(2), number))
            explained.add(match.group(1))
            continue
        word = WORD_ROW.match(line)
        if section == "## Indonesian words" and word and word.group(1) != "Word":
            words.update(word.group(1).split())
    return entries, explained, words


def source_files():
    for folder in SOURCE_DIRS:
        for path in sorted((ROOT / folder).rglob("*")):
            if path.suffix in SOURCE_SUFFIXES and path.is_file():
                yield path


def main():
    entries, explained, words = read_glossary()
    problems = []
    if not entries or not words:
        problems.append(f"{GLOSSARY.relative_to(ROOT)}: no entries or no Indonesian words found")

    for name, relative, number in entries:
        path = ROOT / relative
        if not path.is_file():
            problems.append(f"GLOSSARY.md:{number}: {relative} does not exist (entry {name})")
            continue
        text = path.read_text(encoding="latin-1")
        if not re.search(r"(?<![A-Za-z0-9_])" + re.escape(name) + r"(?![A-Za-z0-9_])", text):
            problems.append(f"GLOSSARY.md:{number}: {name} no longer occurs in {relative}")

    unexplained = {}
    for path in source_files():
        for identifier in set(IDENTIFIER.findall(path.read_text(encoding="latin-1"))):
            if identifier in explained:
                continue
            if any(part in words for part in CAMEL_PART.findall(identifier)):
                unexplained.setdefault(identifier, str(path.relative_to(ROOT)))
    for identifier, where in sorted(unexplained.items()):
        problems.append(f"{where}: {identifier} uses an Indonesian word but has no glossary entry")

    if problems:
        print("docs/GLOSSARY.md is out of step with the code:", file=sys.stderr)
        for problem in problems:
            print("  " + problem, file=sys.stderr)
        return 1
    print(f"Glossary: {len(entries)} entries match the code.")
    return 0


if __name__ == "__main__":
    sys.exit(main())
