#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Keeps docs/GLOSSARY.md in step with the code.

Two checks, both on the checkout this script lives in:
- every table row of the glossary that names a file (its last cell is a path in backticks) names
  an identifier (its first cell in backticks) that still occurs, as a whole word, in that file;
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
WORD_ROW = re.compile(r"^\|\s*([A-Z][a-z]+(?: [A-Z][a-z]+)?)\s*\|[^|]*\|\s*$")
IDENTIFIER = re.compile(r"[A-Za-z_][A-Za-z0-9_]*")
# Splits CamelCase: "OnExitKu" -> On, Exit, Ku; "mIniGue" -> m, Ini, Gue.
CAMEL_PART = re.compile(r"[A-Z][a-z]+|[a-z]+|[A-Z]+(?![a-z])|[0-9]+")


def read_glossary():
    """The (name, path, line number) of each row that names a file, and the Indonesian words."""
    entries = []
    words = set()
    in_words = False
    for number, line in enumerate(GLOSSARY.read_text(encoding="utf-8").splitlines(), start=1):
        if line.startswith("## "):
            in_words = line.strip() == "## Indonesian words"
            continue
        match = ROW.match(line)
        if match and ("/" in match.group(2)):
            entries.append((match.group(1), match.group(2), number))
            continue
        word = WORD_ROW.match(line)
        if in_words and word and word.group(1) != "Word":
            words.update(word.group(1).split())
    return entries, words


def source_files():
    for folder in SOURCE_DIRS:
        for path in sorted((ROOT / folder).rglob("*")):
            if path.suffix in SOURCE_SUFFIXES and path.is_file():
                yield path


def main():
    entries, words = read_glossary()
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

    explained = {name for name, _, _ in entries}
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
