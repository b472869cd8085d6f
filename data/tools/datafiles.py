"""What the data generators share: where their files go, list text, and the
command line every one of them takes.

    python3 data/tools/make_X.py            # rewrites its files in place
    python3 data/tools/make_X.py --out DIR  # writes them to DIR instead

A generator hands main() its products: (folder, name, text, encoding), the
folder being where the file lies in the tree (data/, or model/texts/ for the C++
rows of the language texts).
"""

import os
import sys

DATA = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ROOT = os.path.dirname(DATA)
MODEL = os.path.join(ROOT, "model", "texts")
LANGS = 3  # 0 Dutch, 1 English, 2 German


# List text, as the catalogue writes option lists: items separated by commas; an item holding a blank,
# a control character, a comma or a quote is enclosed in double quotes, with
# a quote inside doubled.

def list_text(items):
    out = []
    for item in items:
        if item == "" or any(c <= " " or c in '",' for c in item):
            out.append('"' + item.replace('"', '""') + '"')
        else:
            out.append(item)
    return ",".join(out)


def escaped(text, specials, beyond_ascii):
    """text with a backslash before each of specials and every character past
    ASCII as beyond_ascii writes it."""
    return "".join("\\" + c if c in specials else c if ord(c) < 128 else beyond_ascii(c) for c in text)


class DataError(Exception):
    """A table that cannot be written out; the message names the place."""


def product(name, text, folder=DATA, encoding="utf-8"):
    return (folder, name, text, encoding)


def main(products, script):
    """Writes what products() makes; the exit status for sys.exit."""
    args = sys.argv[1:]
    out = None
    if args[:1] == ["--out"] and len(args) == 2:
        out = args[1]
    elif args:
        sys.stderr.write("usage: %s [--out DIR]\n" % script)
        return 2
    try:
        made = products()
    except DataError as e:
        sys.stderr.write("%s: %s\n" % (script, e))
        return 1
    for folder, name, text, encoding in made:
        path = os.path.join(out or folder, name)
        with open(path, "w", encoding=encoding, newline="\n") as f:
            f.write(text)
    return 0
