#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Keeps the includes running downward, and the models derived from the documents out of the windows.

The core (core/) never includes the windows (gui/), and the command-line tool (cli/) neither.
Inside each layer the folders stand in the order below, lowest first: a file may include its own
folder, a lower folder of its layer, and the core from the windows, never a folder above its own.
A folder missing from the order is an error too, so that a new one gets its place deliberately.

What is derived from the documents (the find index, the comparison, the reference and value checks,
the lists of results that follow edits) is kept by the session in the core (core/session/) and
only shown by the windows: a member of a gui/ class may point or refer to such a model, but never
hold one, by value or through an owning pointer.
Prints each wrong include or member and exits with 1; prints one line and exits with 0 when all is well.
"""
import re
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
ORDER = {
    "core": ["store", "document", "boxes", "settings", "catalogue", "saving", "recovery", "choice",
             "references", "layers", "compare", "entries", "values", "table", "scripts", "scaffold", "session"],
    "gui": ["widgets", "services", "dialogs", "find", "changes", "table", "category", "modcheck", "main"],
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
# The core's models derived from the documents, which the session keeps.
DERIVED = {"FindIndex", "LiveComparison", "DocumentComparison", "ComparedCopies", "DifferenceCategories",
           "ReferenceCheck", "DanglingRule", "FollowedRows", "LiveValueCheck", "ValueCheck", "KindLearner",
           "LiveModCheck", "StackValues"}
# A member (named m_...) held by value or through an owning pointer: the type's name, bare or with
# its template arguments, alone or in a unique_ptr, shared_ptr or optional. A pointer or a reference
# does not match.
HELD_MEMBER = re.compile(
    r"^\s*(?:mutable\s+)?(?:const\s+)?(?:std::(?:unique_ptr|shared_ptr|optional)\s*<\s*(?:const\s+)?)?"
    r"(\w+)(?:\s*<[^;*&]*>)?\s*>?\s+(m_\w+)\s*[;={]", re.M)


def place(relative):
    """(layer, rank) of a path inside core/ or gui/, or None for anything else."""
    parts = Path(relative).parts
    if len(parts) < 3 or parts[0] not in ORDER:
        return None
    folders = ORDER[parts[0]]
    return (parts[0], folders.index(parts[1]) if parts[1] in folders else None)


def main():
    problems = []
    for layer in ("core", "gui", "cli"):
        for path in sorted((ROOT / layer).rglob("*")):
            if path.suffix not in (".cpp", ".h") or not path.is_file():
                continue
            relative = path.relative_to(ROOT).as_posix()
            own = place(relative)
            if own and own[1] is None:
                problems.append(f"{relative}: folder {Path(relative).parts[1]} has no place in tools/check-layers.py")
                continue
            text = path.read_text(encoding="latin-1")
            if layer == "gui":
                for model, member in HELD_MEMBER.findall(text):
                    if model in DERIVED:
                        problems.append(f"{relative}: {member} holds a {model}, a model the session keeps")
            for target in INCLUDE.findall(text):
                other = place(target)
                if other is None:
                    continue
                if layer != "gui" and other[0] == "gui":
                    problems.append(f"{relative}: includes {target}, a window, from the {layer} layer")
                elif own and other[0] == own[0] and (other[1] is None or other[1] > own[1]):
                    problems.append(f"{relative}: includes {target}, which stands above it")
    if problems:
        print("\n".join(problems))
        return 1
    print("check-layers: every include runs downward, and no window holds a derived model.")
    return 0


if __name__ == "__main__":
    sys.exit(main())
