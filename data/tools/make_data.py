#!/usr/bin/env python3
"""Writes the data files that lie beside the program.

    python3 data/tools/make_data.py            # rewrites the files in place
    python3 data/tools/make_data.py --out DIR  # writes them to DIR instead

Products, all committed (the build does not run this script), each made by a
generator of its own that can also be run alone:

  Taal0.ini, Taal1.ini, Taal2.ini        language texts: Dutch, English, German  make_texts.py
  Parameters.txt                          the parameter catalogue of an MX52      make_catalogue.py
  ParNo.txt                               which parameter stands in which row     make_trees.py
  Tree0.txt, Tree1.txt, Tree2.txt         the editor's group tree, per language   make_trees.py
  ErrorHelp0.rtf .. ErrorHelp2.rtf        the device's error numbers explained    make_errorhelp.py

The committed files are the product; the generators are how we keep the three
languages and the four catalogue files consistent with one another.  Edit the
tables there and run this script again rather than editing one file by hand.
The test tests/data (test_data) holds the files against each other and against
the table of language texts in model/texts/TextKeys.h, and runs this script with
--out to check that the committed files are what it writes.

Encoding: the .ini and .txt files are UTF-8 without byte-order mark, lines
ended by LF (our IniFile reads UTF-8 first).  The .rtf files are 7-bit ASCII:
every other character is written as \\'hh of code page 1252.
"""

import sys

import make_catalogue
import make_errorhelp
import make_texts
import make_trees
from datafiles import main


def products():
    return (make_catalogue.products() + make_trees.products() + make_texts.products() +
            make_errorhelp.products())


if __name__ == "__main__":
    sys.exit(main(products, "make_data.py"))
