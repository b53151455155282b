#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Lists the dangling items of a rules document against a definition file, independently of the
editor's code, to cross-check what the editor reports.

    tools/dangling_items.py [--ignore-case] DOC DEFINITION

A reference key is a page key whose description names value sources ("~@A,B@~") of which at least
one is a category. An item of such a key's value, in an entry of that category, dangles when it
names no section of the document, is no entry of a category among the sources, and is none of the
values of the sources that are not categories (compared without regard to case). Items are the
value without its ";" comment, cut at every "," and trimmed; empty pieces are not items.

Entries are read as the catalogue lists them: for kind 0 the document's list section followed by
the definition file's, for any other kind the definition file's list, whose lines naming no section
of the document are dropped. Sections that the key fit would add are not modelled.

Prints one line per dangling item, section TAB key TAB item, in document order, and the count on
stderr. Exits 1 when there is any, 0 when there is none.
"""

import sys

BLANKS = "".join(chr(c) for c in range(33))


def read_ini(path):
    """The sections in file order as (name, [(key, value)]), as the editor's store reads them."""
    sections = []
    current = None
    with open(path, "rb") as f:
        text = f.read().decode("latin-1")
    for raw in text.replace("\r\n", "\n").replace("\r", "\n").split("\n"):
        line = raw.strip(BLANKS)
        if not line or line.startswith(";"):
            continue
        if line.startswith("["):
            end = line.find("]")
            name = line[1:end] if end >= 0 else line[1:]
            current = (name.strip(BLANKS), [])
            sections.append(current)
        elif current is not None and "=" in line:
            key, value = line.split("=", 1)
            current[1].append((key.strip(BLANKS), value.strip(BLANKS)))
    return sections


def strip_comment(value):
    at = value.find(";")
    return value if at < 0 else value[:at].strip(BLANKS)


def items(value):
    return [piece.strip(BLANKS) for piece in strip_comment(value).split(",") if piece.strip(BLANKS)]


def first_value(lines, key):
    for k, v in lines:
        if k.upper() == key.upper():
            return strip_comment(v)
    return None


def main(argv):
    ignore_case = "--ignore-case" in argv
    args = [a for a in argv if a != "--ignore-case"]
    if len(args) != 2:
        sys.stderr.write(__doc__)
        return 2
    fold = (lambda s: s.upper()) if ignore_case else (lambda s: s)
    document = read_ini(args[0])
    definition = read_ini(args[1])

    doc_index = {}
    for name, lines in document:
        doc_index.setdefault(fold(name), lines)
    exact_names = {name for name, _ in document}
    def_index = {}
    for name, lines in definition:
        def_index.setdefault(name.upper(), lines)

    categories = []  # (name, kind, pages)
    for key, value in def_index.get("ALLSECTIONS", []):
        parts = [p for p in value.replace(",", " ").split() if p]
        kind = int(parts[0]) if parts and parts[0].lstrip("-").isdigit() else 0
        categories.append((key, kind, parts[1:]))
    category_of = {name.upper(): (name, kind) for name, kind, _ in reversed(categories)}

    def entries(name, kind):
        listed = [strip_comment(v) for k, v in def_index.get(name.upper(), []) if k]
        listed = [code for code in listed if code in exact_names]
        if kind == 0:
            return [strip_comment(v) for k, v in doc_index.get(fold(name), []) if k] + listed
        return listed

    def source_values(name):
        values = [strip_comment(v) for k, v in doc_index.get(fold(name), []) if k]
        return values + [strip_comment(v) for k, v in def_index.get(name.upper(), []) if k]

    found = []  # (document position, section, key, item)
    position = {}
    for i, (name, _) in enumerate(document):
        position.setdefault(fold(name), i)
    for name, kind, pages in categories:
        reference_keys = []
        for page in pages:
            for key, description in def_index.get(page.upper(), []):
                start = description.find("~@")
                end = description.find("@~")
                if start < 0 or end < start + 2:
                    continue
                sources = [s.strip(BLANKS) for s in description[start + 2:end].split(",")]
                if any(s.upper() in category_of for s in sources):
                    reference_keys.append((key, sources))
        if not reference_keys:
            continue
        for code in entries(name, kind):
            lines = doc_index.get(fold(code))
            if lines is None:
                continue
            for key, sources in reference_keys:
                value = first_value(lines, key)
                if value is None:
                    continue
                known = set()
                basic = set()
                for source in sources:
                    if source.upper() in category_of:
                        known.update(fold(e) for e in entries(*category_of[source.upper()]))
                    else:
                        basic.update(v.upper() for v in source_values(source))
                for item in items(value):
                    if fold(item) in doc_index or fold(item) in known or item.upper() in basic:
                        continue
                    found.append((position[fold(code)], code, key, item))
    found.sort(key=lambda f: f[0])
    for _, section, key, item in found:
        print(f"{section}\t{key}\t{item}")
    sys.stderr.write(f"{len(found)} dangling items\n")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
