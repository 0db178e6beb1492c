#!/usr/bin/env python3
"""Draws the application icon: one 48 x 48, 32-bit image (src/res/RateBoard.ico).

A navy board with rounded corners, two white dividers and gold rows of
figures, as the board looks on the extended screen."""
import struct
import sys

SIZE = 48


def pixel(x, y):
    navy, white, gold = (0x80, 0x00, 0x00), (0xFF, 0xFF, 0xFF), (0x00, 0xD7, 0xFF)  # BGR
    r = 6
    cx = min(max(x, r), SIZE - 1 - r)
    cy = min(max(y, r), SIZE - 1 - r)
    d2 = (x - cx) ** 2 + (y - cy) ** 2
    if d2 > r * r:
        return (0, 0, 0, 0)
    alpha = 255 if d2 <= (r - 1) ** 2 else 160
    if x in (17, 18, 30, 31) and 8 <= y <= 39:
        return white + (alpha,)
    if 12 <= y <= 36 and (y - 12) % 8 < 3 and (5 <= x <= 14 or 21 <= x <= 27 or 34 <= x <= 42):
        return gold + (alpha,)
    return navy + (alpha,)


def main(path):
    rows = []
    for y in reversed(range(SIZE)):  # bottom-up DIB rows
        rows.append(b"".join(struct.pack("BBBB", *pixel(x, y)) for x in range(SIZE)))
    xor = b"".join(rows)
    and_mask = b"\x00" * (((SIZE + 31) // 32) * 4 * SIZE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    image = header + xor + and_mask
    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(icondir + entry + image)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "src/res/RateBoard.ico")
