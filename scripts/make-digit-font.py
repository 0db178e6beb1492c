#!/usr/bin/python3
"""Builds fonts/HelveticaDigit.otf, the board's digit font.

It is Debian's Liberation Sans 2 Regular (fonts-liberation2, SIL Open Font
License 1.1) cut down to printable ASCII plus a few signs the board shows,
and renamed: the licence reserves the name "Liberation" for the original, so
the modified font carries the name "HelveticaDigit". The outlines stay
TrueType, which GDI+'s private font collections load whatever the extension.

Run with Debian's python3 (python3-fonttools):  /usr/bin/python3 scripts/make-digit-font.py
"""
import sys
from fontTools import subset
from fontTools.ttLib import TTFont

SOURCE = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf"
TARGET = sys.argv[1] if len(sys.argv) > 1 else "fonts/HelveticaDigit.otf"
FAMILY = "HelveticaDigit"

# Printable ASCII, the no-break space, degree, plus-minus, middle dot, yen/yuan sign.
CODEPOINTS = list(range(0x20, 0x7F)) + [0xA0, 0xA5, 0xB0, 0xB1, 0xB7, 0x2212]


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
