#!/usr/bin/env python3
"""The rounded face served with the site: Debian's Comfortaa cut down to the
characters the game shows (printable ASCII) as woff2. A cut-down font is a
modified version, which its licence lets go only under a name other than the
reserved "Comfortaa": it is served as "Tavek Rounded", with the licence beside
it. The file's dates stay the font's own, so that two builds give one file.

    rounded_face.py COMFORTAA_TTF OUT_WOFF2
"""
import sys

from fontTools import subset
from fontTools.ttLib import TTFont

FAMILY = "Tavek Rounded"


def main():
    source, out = sys.argv[1:3]
    font = TTFont(source, recalcTimestamp=False)
    options = subset.Options()
    options.hinting = False
    options.desubroutinize = True
    options.name_IDs = [0, 1, 2, 3, 4, 5, 6, 13, 14]  # the notices and the licence stay
    cut = subset.Subsetter(options)
    cut.populate(unicodes=range(0x20, 0x7F))
    cut.subset(font)
    names = {1: FAMILY, 3: f"{FAMILY} Regular (cut from Comfortaa)", 4: f"{FAMILY} Regular",
             6: FAMILY.replace(" ", "") + "-Regular"}
    for record in font["name"].names:
        if record.nameID in names:
            record.string = names[record.nameID]
    font.flavor = "woff2"
    font.save(out, reorderTables=True)


if __name__ == "__main__":
    main()
