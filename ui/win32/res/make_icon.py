#!/usr/bin/env python3
"""Writes Tamsiro.ico: the application icon, 32x32 and 16x16, 16 colours.

The picture is a memory stick with a note on its label. Run it after
changing the pixel art below; the .ico it writes is checked in so that
building Tamsiro.exe needs no Python.
"""
import struct
import sys

# The standard 16-colour palette, so the icon looks the same in every mode.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
# Pixel letters: '.' transparent, then a palette index per letter.
KEYS = {'k': 0, 'n': 4, 'b': 12, 'c': 14, 'g': 7, 'd': 8, 'y': 11, 'w': 15, 'o': 3, 'r': 9}

ICON32 = [
    "................................",
    "................................",
    "........kkkkkkkkkkkkkkkkkkk.....",
    ".......knnnnnnnnnnnnnnnnnnk.....",
    "......knbbbbbbbbbbbbbbbbbnk.....",
    "......knbyykbyykbyykbyykbnk.....",
    "......knbyykbyykbyykbyykbnk.....",
    "......knbyykbyykbyykbyykbnk.....",
    "......knbbbbbbbbbbbbbbbbbnk.....",
    "......knbbbbbbbbbbbbbbbbbnk.....",
    "......knbwwwwwwwwwwwwwwwbnk.....",
    "......knbwwwwwwwwkkkwwwwbnk.....",
    "......knbwwwwwwwwkkkkkwwbnk.....",
    "......knbwwwwwwwwkwwkkkwbnk.....",
    "......knbwwwwwwwwkwwwwkwbnk.....",
    "......knbwwwwwwwwkwwwwwwbnk.....",
    "......knbwwwwwwwwkwwwwwwbnk.....",
    "......knbwwwwwwwwkwwwwwwbnk.....",
    "......knbwwwwwkkkkwwwwwwbnk.....",
    "......knbwwwwkkkkkwwwwwwbnk.....",
    "......knbwwwwkkkkkwwwwwwbnk.....",
    "......knbwwwwwkkkwwwwwwwbnk.....",
    "......knbwwwwwwwwwwwwwwwbnk.....",
    "......knbbbbbbbbbbbbbbbbbnk.....",
    "......knbccbbbbbbbbbbbbbbnk.....",
    "......knbccbbbbbbbbbbbbbbnk.....",
    "......knbbbbbbbbbbbbbbbbbnk.....",
    "......knnnnnnnnnnnnnnnnnnnk.....",
    "......kkkkkkkkkkkkkkkkkkkkk.....",
    "................................",
    "................................",
    "................................",
]

ICON16 = [
    "................",
    "....kkkkkkkk....",
    "...knnnnnnnnk...",
    "...knyknykynk...",
    "...knyknykynk...",
    "...knbbbbbbnk...",
    "...knwwwkkwnk...",
    "...knwwwkwknk...",
    "...knwwwkwwnk...",
    "...knwkkkwwnk...",
    "...knwkkkwwnk...",
    "...knwwwwwwnk...",
    "...kncbbbbbnk...",
    "...knnnnnnnnk...",
    "....kkkkkkkk....",
    "................",
]


def image(rows):
    size = len(rows)
    assert all(len(r) == size for r in rows), "pixel rows must be square"
    # Bitmap rows run bottom-up; colour rows are 4 bits a pixel, mask rows
    # 1 bit a pixel, each padded to 4 bytes.
    colour = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for x in range(0, size, 2):
            hi = KEYS.get(row[x], 0)
            lo = KEYS.get(row[x + 1], 0)
            line.append(hi << 4 | lo)
        line += b"\0" * (-len(line) % 4)
        colour += line
        bits = bytearray()
        for x in range(0, size, 8):
            byte = 0
            for i in range(8):
                if row[x + i] == '.':
                    byte |= 0x80 >> i
            bits.append(byte)
        bits += b"\0" * (-len(bits) % 4)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(colour) + len(mask), 0, 0, 16, 0)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    return size, header + palette + bytes(colour) + bytes(mask)


def main(path):
    images = [image(ICON32), image(ICON16)]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "Tamsiro.ico")
