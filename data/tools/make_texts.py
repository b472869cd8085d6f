#!/usr/bin/env python3
"""Writes the language texts from their tables in data/texts/ (one file a
section, the format in data/texts/README.md):

  data/Taal0.ini .. Taal2.ini   the language files: Dutch, English, German
  model/texts/TextTable.inc     the rows of kTextTable in model/texts/TextKeys.h

    python3 data/tools/make_texts.py [--out DIR]

Part of data/tools/make_data.py, which writes every data file.
"""

import os
import re
import sys

from datafiles import DATA, LANGS, MODEL, DataError, escaped, main, product

TEXTS = os.path.join(DATA, "texts")
LANG_FIELDS = ("nl", "en", "de")  # Taal0, Taal1, Taal2
FIELDS = ("controls", "kind", "default") + LANG_FIELDS
KINDS = {"text": "Text", "keeps-default": "KeepsDefault", "items": "ItemList"}
LANGUAGE_NAMES = ("Nederlands (Dutch)", "English", "Deutsch (German)")

KEY_LINE = re.compile(r"^[A-Za-z0-9_]+$")
FIELD_LINE = re.compile(r"^\s+([a-z-]+):(.*)$")


class Row:
    def __init__(self, key, comments, where):
        self.key, self.comments, self.where = key, comments, where
        self.fields = {}

    def field(self, name):
        return self.fields.get(name, "")

    def texts(self):
        return [self.fields[f] for f in LANG_FIELDS]


def read_list_text(text):
    """The items of a list text (see list_text in datafiles.py), as the program reads them."""
    items, i = [], 0
    while True:
        if text[i:i + 1] == '"':
            item, i = "", i + 1
            while True:
                end = text.find('"', i)
                if end < 0:
                    raise ValueError("a quote is not closed")
                item += text[i:end]
                if text[end + 1:end + 2] == '"':
                    item, i = item + '"', end + 2
                else:
                    i = end + 1
                    break
        else:
            end = text.find(",", i)
            end = len(text) if end < 0 else end
            item, i = text[i:end], end
        items.append(item)
        if i == len(text):
            return items
        if text[i] != ",":
            raise ValueError("a quoted item is followed by more than a comma")
        i += 1


def check(row, count):
    def fail(message):
        raise DataError("%s: %s: %s" % (row.where, row.key, message))

    missing = [f for f in LANG_FIELDS if f not in row.fields]
    if missing:
        fail("no " + ", ".join(missing))
    for name in ("default",) + LANG_FIELDS:
        text = row.field(name)
        if any(c < " " for c in text):
            fail("%s holds a control character" % name)
        if name in LANG_FIELDS and "&" in text:
            fail("%s holds an \"&\", which a control would take for a shortcut" % name)
        if count and (text or name != "default"):
            try:
                items = read_list_text(text)
            except ValueError as e:
                fail("%s: %s" % (name, e))
            if len(items) != count:
                fail("%s holds %d items, not %d" % (name, len(items), count))


def read_section(section):
    """The rows of one file, in order.  A comment just above a key (no blank
    line between) belongs to that row and goes into the C++ table with it."""
    path = os.path.join(TEXTS, section + ".txt")
    with open(path, encoding="utf-8", newline="") as f:
        lines = f.read().split("\n")
    rows, comments, row, keys = [], [], None, set()
    for number, line in enumerate(lines, start=1):
        where = "data/texts/%s.txt:%d" % (section, number)
        if "\r" in line:
            raise DataError(where + ": CR line end")
        if line.startswith("#"):
            comments.append(line[2:].rstrip() if line[1:2] == " " else line[1:].rstrip())
            row = None
        elif not line.strip():
            comments, row = [], None
        elif KEY_LINE.match(line):
            if line.lower() in keys:
                raise DataError("%s: %s is there twice" % (where, line))
            keys.add(line.lower())
            row = Row(line, comments, where)
            rows.append(row)
            comments = []
        elif FIELD_LINE.match(line) and row is not None:
            name, value = FIELD_LINE.match(line).groups()
            if name not in FIELDS:
                raise DataError("%s: no field %s (%s)" % (where, name, ", ".join(FIELDS)))
            if name in row.fields:
                raise DataError("%s: %s twice" % (where, name))
            row.fields[name] = value.strip()
        else:
            raise DataError(where + ": neither a key, a field of one, a comment nor blank")
    for row in rows:
        kind = row.field("kind").split() or ["text"]
        if kind[0] not in KINDS or len(kind) != (2 if kind[0] == "items" else 1) or \
                (len(kind) == 2 and not (kind[1].isdigit() and int(kind[1]) > 0)):
            raise DataError("%s: %s: kind is text, keeps-default or items N" % (row.where, row.key))
        row.kind, row.count = KINDS[kind[0]], int(kind[1]) if len(kind) == 2 else 0
        check(row, row.count)
    return rows


def sections():
    """(section, rows) in the order data/texts/ORDER gives."""
    with open(os.path.join(TEXTS, "ORDER"), encoding="utf-8") as f:
        order = [line.strip() for line in f if line.strip() and not line.startswith("#")]
    files = sorted(n[:-4] for n in os.listdir(TEXTS) if n.endswith(".txt"))
    if sorted(order) != files:
        raise DataError("data/texts/ORDER and the files there differ: not in ORDER: %s; no file: %s" % (
            ", ".join(sorted(set(files) - set(order))) or "-",
            ", ".join(sorted(set(order) - set(files))) or "-"))
    return [(section, read_section(section)) for section in order]


def taal_ini(all_sections, lang):
    lines = [
        "; Taal%d.ini - user-interface texts of KQM52, %s." % (lang, LANGUAGE_NAMES[lang]),
        "; Sections and keys as the windows look them up; an item list is written as list text:",
        "; items separated by commas, an item with a blank in double quotes.",
        "; UTF-8.  Written by data/tools/make_data.py.",
        "",
    ]
    for section, rows in all_sections:
        lines.append("[%s]" % section)
        for row in rows:
            lines.append("%s=%s" % (row.key, row.texts()[lang]))
        lines.append("")
    return "\n".join(lines)


def cpp_string(text):
    def universal(c):
        return "\\u%04x" % ord(c) if ord(c) < 0x10000 else "\\U%08x" % ord(c)

    return '"' + escaped(text, '"\\', universal) + '"'


def text_table_inc(all_sections):
    lines = [
        "// Written by data/tools/make_data.py from data/texts/: do not edit.  The",
        "// rows of kTextTable (model/texts/TextKeys.h), section by section as",
        "// data/texts/ORDER lists them, each in the order of its file.",
    ]
    for section, rows in all_sections:
        lines.append("")
        for row in rows:
            lines.extend(("// " + c).rstrip() for c in row.comments)
            fields = [section, row.key, row.field("default")]
            if row.field("controls") or row.kind != "Text":
                fields.append(row.field("controls"))
            cells = [cpp_string(f) for f in fields]
            if row.kind != "Text":
                cells.append("TextKind::" + row.kind)
            if row.count:
                cells.append(str(row.count))
            lines.append("{" + ", ".join(cells) + "},")
    return "\n".join(lines) + "\n"


def products():
    all_sections = sections()
    return [product("Taal%d.ini" % lang, taal_ini(all_sections, lang)) for lang in range(LANGS)] + [
        product("TextTable.inc", text_table_inc(all_sections), folder=MODEL)]


if __name__ == "__main__":
    sys.exit(main(products, "make_texts.py"))
