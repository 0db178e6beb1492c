#!/usr/bin/python3
"""Builds fonts/HelveticaDigit.otf, the board's digit font.

It is Debian's Liberation Sans 2 Regular (fonts-liberation2, SIL Open Font
License 1.1) cut down to printable ASCII plus a few signs the board shows,
and renamed: the licence reserves the name "Liberation" for the original, so
the modified font carries the name "HelveticaDigit". The outlines stay
TrueType, which GDI+'s private font collections load whatever the extension.

Run with Debian's python3 (python3-fonttools):  /usr/bin/python3 scripts/make-digit-font.py
"""
import os
import re
import sys
from fontTools import subset
from fontTools.ttLib import TTFont

SOURCE = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf"
TARGET = sys.argv[1] if len(sys.argv) > 1 else "fonts/HelveticaDigit.otf"
FAMILY = "HelveticaDigit"

# The board decides which strings the digit font draws from its own table of
# the font's characters; the font is built from that same table.
TABLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src", "board", "TextPlacement.cpp")


def coverage():
    text = open(TABLE, encoding="utf-8").read()
    block = re.search(r"kDigitFontCoverage\[\] = \{(.*?)\n\};", text, re.S)
    if not block:
        sys.exit("make-digit-font: no kDigitFontCoverage table in " + TABLE)
    ranges = re.findall(r"\{\s*0x([0-9A-Fa-f]+),\s*0x([0-9A-Fa-f]+)\s*\}", block.group(1))
    return [c for first, last in ranges for c in range(int(first, 16), int(last, 16) + 1)]


CODEPOINTS = coverage()


def main():
    font = TTFont(SOURCE)
    options = subset.Options()
    options.layout_features = ["kern", "liga"]
    options.name_IDs = ["*"]
    options.notdef_outline = True
    options.hinting = True
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=CODEPOINTS)
    subsetter.subset(font)

    names = font["name"]
    replacements = {
        1: FAMILY,                      # family
        2: "Regular",                   # subfamily
        3: FAMILY + " Regular 1.0",     # unique id
        4: FAMILY + " Regular",         # full name
        5: "Version 1.0 (digits subset of Liberation Sans 2)",
        6: FAMILY + "-Regular",         # PostScript name
        16: FAMILY,
        17: "Regular",
    }
    for record in list(names.names):
        if record.nameID in replacements:
            record.string = replacements[record.nameID]
        elif record.nameID in (0, 7, 8, 9, 10, 11, 12, 13, 14):
            pass  # copyright, trademark notice, vendor, designer, licence: kept
    for name_id, text in replacements.items():
        names.setName(text, name_id, 3, 1, 0x409)
        names.setName(text, name_id, 1, 0, 0)
    font["OS/2"].achVendID = "NONE"
    font.save(TARGET)


if __name__ == "__main__":
    main()
