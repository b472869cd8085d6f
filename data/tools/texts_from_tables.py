#!/usr/bin/env python3
"""One-off: writes data/texts/ from the two tables that held the language
texts before it, the SECTIONS of data/tools/make_texts.py (make_data.py before
that) and the rows of kTextTable in model/TextKeys.h.  For a branch that still
adds keys the old way: merge, run this on the old pair, keep data/texts/.

    python3 data/tools/texts_from_tables.py OLD_MAKE_TEXTS_PY OLD_TEXTKEYS_H [OUT_DIR]
"""

import importlib.util
import os
import re
import sys

from datafiles import DATA, list_text

# Python comments that say more than the C++ comment of their row: how they join it.
PY_COMMENTS = {
    "BackupRestore/MsgRestoreNoLanguage": ("append", [
        "Kept in every language file all the same, so that every file holds every key."]),
    "InitCom/MsgCannotOpen": ("prepend", None),
    "Calibratie/MsgTimeout": ("append", None),
    "Ctl/HelpUsage": ("replace", None),
}
KINDS = {"TextKind::KeepsDefault": "keeps-default", "TextKind::ItemList": "items"}
HEADER = """\
# [{section}] of the language files Taal0.ini (nl), Taal1.ini (en), Taal2.ini (de),
# in the order the window reads the keys.  The format is in README.md beside this
# file; after an edit run python3 data/tools/make_data.py.
"""


def cpp_rows(path):
    """[(kind, value)]: ('row', fields), ('comment', line) above a row, ('trail', line) after one."""
    src = open(path, encoding="utf-8").read()
    opening = "inline constexpr TextKey kTextTable[] = {"
    start = src.index(opening) + len(opening)
    body = src[start:src.index("\n};", start)]
    tokens = re.compile(r'\s+|//[^\n]*|"(?:\\.|[^"\\])*"|[A-Za-z_][A-Za-z_0-9:]*|-?\d+|[{},]')
    out, depth, fields, cur, newline, pos = [], 0, None, None, True, 0
    while pos < len(body):
        t = tokens.match(body, pos).group(0)
        pos += len(t)
        if t.isspace():
            newline = newline or "\n" in t
            continue
        if t.startswith("//"):
            out.append(("comment" if newline else "trail", t[3:] if t[2:3] == " " else t[2:]))
            continue
        newline = False
        if t == "{":
            depth, fields, cur = 1, [], None
        elif t == "}":
            fields.append(cur)
            depth = 0
            out.append(("row", fields))
        elif t == ",":
            if depth:
                fields.append(cur)
                cur = None
        elif t.startswith('"'):
            cur = (cur or "") + re.sub(r'\\u([0-9a-fA-F]{4})|\\(.)',
                                       lambda m: chr(int(m.group(1), 16)) if m.group(1) else m.group(2),
                                       t[1:-1])
        else:
            cur = t
    return out


def py_comments(path):
    lines = open(path, encoding="utf-8").read().split("\n")
    start = lines.index("SECTIONS = [")
    section, pending, out = None, [], {}
    for line in lines[start:lines.index("]", start)]:
        m = re.match(r'\s*\("(\w+)", \[$', line)
        if m:
            section = m.group(1)
        elif re.match(r"\s*#", line):
            pending.append(re.sub(r"^\s*# ?", "", line))
        else:
            m = re.match(r'\s*tt?\("(\w+)"', line)
            if m and pending:
                out[section + "/" + m.group(1)], pending = pending, []
    return out


def main():
    old_py, old_h = sys.argv[1:3]
    out_dir = sys.argv[3] if len(sys.argv) > 3 else os.path.join(DATA, "texts")
    spec = importlib.util.spec_from_file_location("old_texts", old_py)
    old = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(old)
    texts = {(s, e[0]): e[1:] for s, entries in old.SECTIONS for e in entries}
    extra = py_comments(old_py)
    files, pending, last = {}, [], None
    for kind, value in cpp_rows(old_h):
        if kind == "comment":
            pending.append(value)
        elif kind == "trail":
            last[2].append(value)
        else:
            section, key = value[0], value[1]
            last = (section, value, pending)
            files.setdefault(section, []).append(last)
            pending = []
    order = [s for s, _ in old.SECTIONS]
    assert order == list(files), "sections differ"
    os.makedirs(out_dir, exist_ok=True)
    for section in order:
        assert [r[1][1] for r in files[section]] == [e[0] for e in dict(old.SECTIONS)[section]], section
        lines = [HEADER.format(section=section)]
        for _, fields, comments in files[section]:
            key = fields[1]
            name = section + "/" + key
            if name in PY_COMMENTS:
                how, said = PY_COMMENTS[name]
                said = said or extra[name]
                comments = {"append": comments + said, "prepend": said + comments, "replace": said}[how]
            lines.extend(("# " + c).rstrip() for c in comments)
            lines.append(key)
            if len(fields) > 3 and fields[3]:
                lines.append("  controls: " + fields[3])
            if len(fields) > 4:
                lines.append("  kind: " + KINDS[fields[4]] + (" " + fields[5] if len(fields) > 5 else ""))
            if fields[2]:
                lines.append("  default: " + fields[2])
            for lang, value in zip(("nl", "en", "de"), texts[(section, key)]):
                value = list_text(value) if isinstance(value, list) else value
                lines.append(("  %s: %s" % (lang, value)).rstrip())
            lines.append("")
        with open(os.path.join(out_dir, section + ".txt"), "w", encoding="utf-8", newline="\n") as f:
            f.write("\n".join(lines))
    with open(os.path.join(out_dir, "ORDER"), "w", encoding="utf-8", newline="\n") as f:
        f.write("# The sections in the order the language files hold them, one a line.\n" +
                "\n".join(order) + "\n")


if __name__ == "__main__":
    main()
