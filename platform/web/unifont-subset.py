#!/usr/bin/env python3
"""Writes the part of GNU Unifont's .hex file that the page needs for GDI text: printable ASCII and
every character of GB2312 (the everyday simplified Chinese of GBK), with the replacement
character. A third of GBK's glyphs at a third of the size; GBK's rarer characters show as boxes.

Usage: unifont-subset.py unifont.hex OUTPUT
"""
import sys


def gb2312_code_points():
    points = set(range(0x20, 0x7F)) | {0xFFFD}
    for lead in range(0xA1, 0xF8):
        for trail in range(0xA1, 0xFF):
            try:
                points.add(ord(bytes([lead, trail]).decode('gb2312')))
            except UnicodeDecodeError:
                pass  # an empty cell of the table
    return points


def main(source, target):
    wanted = gb2312_code_points()
    with open(source, encoding='ascii') as lines, open(target, 'w', encoding='ascii') as out:
        for line in lines:
            if int(line.split(':', 1)[0], 16) in wanted:
                out.write(line)


if __name__ == '__main__':
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
