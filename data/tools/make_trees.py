#!/usr/bin/env python3
"""Writes the parameter editor's groups: Tree0.txt .. Tree2.txt (the group tree,
one file per language) and ParNo.txt (which parameter stands in which row).

    python3 data/tools/make_trees.py [--out DIR]

Part of data/tools/make_data.py, which writes every data file.
"""

import sys

from datafiles import LANGS, main, product
from make_catalogue import PARS

# The group tree and ParNo.txt.  Menu 9 holds the cams, one submenu per cam:
# "Wissen" (clear) there puts one cam back to its unused state in one go, and
# on the menu node itself the settings common to all cams to their neutral 0.

def cam_rows(n):
    return [255 + n, 351 + n, 279 + n, 99 + n, 303 + n, 6 + n, 327 + n, 30 + n, 54 + n, 147 + n, 123 + n,
            171 + n]


# (captions nl, en, de), rows of the menu node, [(captions, rows) of submenus]
MENUS = [
    (("Algemeen", "General", "Allgemein"), [0, 1, 196, 197, 6, 2, 3, 4, 5, 238, 395], []),
    (("Positiesensor", "Position sensor", "Positionsgeber"),
     [201, 202, 221, 222, 204, 205, 214, 215, 216, 217, 220, 218, 219], []),
    (("As en positie", "Axis and position", "Achse und Position"),
     [203, 207, 206, 208, 209, 210, 211, 212, 213, 223, 224, 225], []),
    (("Bewaking", "Monitoring", "Überwachung"), [230, 231, 232, 233, 234, 235, 236, 237], []),
    (("Ingangen", "Inputs", "Eingänge"), [200, 255, 249, 250, 251, 252, 253, 254, 239, 240, 241, 242], []),
    (("Uitgangen", "Outputs", "Ausgänge"), [98, 99, 393],
     [(("Uitgang %d" % m, "Output %d" % m, "Ausgang %d" % m), [388 + m, 89 + m, 93 + m, 85 + m, 383 + m])
      for m in range(1, 5)]),
    (("Analoog", "Analog", "Analog"), [226, 229, 228, 227, 388, 376, 377, 378, 379, 380, 381, 382, 383], []),
    (("Communicatie", "Communication", "Kommunikation"), [246, 243, 244, 245, 247, 248, 394], []),
    (("Nokken", "Cams", "Nocken"), [79, 80, 81, 82, 83, 84, 85],
     [(("Nok %d" % n, "Cam %d" % n, "Nocke %d" % n), cam_rows(n)) for n in range(1, 25)]),
]
ROOT = ("MX52 parameters", "MX52 parameters", "MX52-Parameter")


def groups():
    for mi, (_, rows, subs) in enumerate(MENUS, start=1):
        yield mi * 100, rows
        for si, (_, srows) in enumerate(subs, start=1):
            yield mi * 100 + si, srows


def check_groups():
    seen = {}
    for gid, rows in groups():
        assert 1 <= len(rows) <= 18, (gid, len(rows))
        for p in rows:
            assert p in PARS, (gid, p)
            assert p not in seen, (p, gid, seen.get(p))
            seen[p] = gid
    missing = sorted(set(PARS) - set(seen))
    assert not missing, missing
    for gid, rows in groups():
        if gid // 100 == 9:  # cleared to 0 there
            for p in rows:
                assert PARS[p].mn <= 0 <= PARS[p].mx, p


def tree_txt(lang):
    lines = [ROOT[lang]]
    for captions, _, subs in MENUS:
        lines.append("\t" + captions[lang])
        for scaptions, _ in subs:
            lines.append("\t\t" + scaptions[lang])
    return "\n".join(lines) + "\n"


def parno_txt():
    lines = [
        "; ParNo.txt - the rows of the parameter editor.  Section: the group,",
        "; menu x 100 + submenu (the menu node itself: submenu 0); ParIdN: the parameter in row N.",
        "; Written by data/tools/make_data.py.",
        "",
    ]
    for gid, rows in groups():
        lines.append("[%d]" % gid)
        for r, p in enumerate(rows, start=1):
            lines.append("ParId%d=%d" % (r, p))
        lines.append("")
    return "\n".join(lines)


def products():
    check_groups()
    return [product("ParNo.txt", parno_txt())] + [
        product("Tree%d.txt" % lang, tree_txt(lang)) for lang in range(LANGS)]

if __name__ == "__main__":
    sys.exit(main(products, "make_trees.py"))
