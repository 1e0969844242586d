#!/usr/bin/env python3
"""Writes the session tool's icon, an hourglass in a teal disc, as a Windows .ico file with 16, 24,
32 and 48 pixel images of 32-bit colour: make_icon.py OUTPUT.ico. Drawn here, pixel by pixel, so
the product carries no third-party art."""
import struct
import sys

TEAL = (0x87, 0x7A, 0x00, 0xFF)   # blue, green, red, alpha
GLASS = (0xFA, 0xFA, 0xFA, 0xFF)
SAND = (0x2E, 0xB4, 0xF5, 0xFF)
CLEAR = (0, 0, 0, 0)


def pixel(size, x, y):
    """The colour of the pixel (x, y), y from the top."""
    cx = cy = (size - 1) / 2
    r = size / 2
    if (x - cx) ** 2 + (y - cy) ** 2 > r * r:
        return CLEAR
    u, v = (x - cx) / size, (y - cy) / size  # -0.5 .. 0.5
    if 0.30 <= abs(v) <= 0.36 and abs(u) <= 0.24:
        return GLASS  # the bars at the top and bottom
    if abs(v) < 0.30 and abs(u) <= 0.04 + 0.6 * abs(v):
        # the two glass bulbs meeting at the waist; sand in the lower one
        return SAND if v > 0.1 and abs(u) <= 0.6 * abs(v) - 0.02 else GLASS
    return TEAL


def image(size):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = [b"".join(bytes(pixel(size, x, y)) for x in range(size)) for y in reversed(range(size))]
    mask_row = ((size + 31) // 32) * 4
    mask = b"\0" * (mask_row * size)  # all drawn from the alpha channel
    return header + b"".join(rows) + mask


def main():
    sizes = (16, 24, 32, 48)
    images = [image(size) for size in sizes]
    offset = 6 + 16 * len(sizes)
    data = struct.pack("<HHH", 0, 1, len(sizes))
    for size, body in zip(sizes, images):
        data += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(body), offset)
        offset += len(body)
    with open(sys.argv[1], "wb") as out:
        out.write(data + b"".join(images))


if __name__ == "__main__":
    main()
