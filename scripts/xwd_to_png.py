#!/usr/bin/env python3
"""Converts a screen dump of xwd (ZPixmap, 24 or 32 bits a pixel, as an Xvfb screen of depth 24
gives) to a .png, with the standard library only: xwd_to_png.py IN.xwd OUT.png."""
import struct
import sys
import zlib


def main():
    data = open(sys.argv[1], "rb").read()
    fields = struct.unpack_from(">25I", data, 0)
    header_size, _, pixmap_format, _, width, height, _, byte_order = fields[:8]
    bits_per_pixel, bytes_per_line = fields[11], fields[12]
    colours = fields[19]
    if pixmap_format != 2 or bits_per_pixel not in (24, 32):
        sys.exit("only ZPixmap dumps of 24 or 32 bits a pixel")
    step = bits_per_pixel // 8
    start = header_size + 12 * colours
    # Byte order 0 (LSBFirst): blue, green, red (and a pad byte) in each pixel; else the other way.
    red, green, blue = (2, 1, 0) if byte_order == 0 else (step - 3, step - 2, step - 1)
    rows = []
    for y in range(height):
        line = data[start + y * bytes_per_line: start + y * bytes_per_line + width * step]
        rgb = bytearray(width * 3)
        rgb[0::3], rgb[1::3], rgb[2::3] = line[red::step], line[green::step], line[blue::step]
        rows.append(b"\0" + bytes(rgb))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)  # 8-bit RGB
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(b"".join(rows), 9))
    open(sys.argv[2], "wb").write(png + chunk(b"IEND", b""))


if __name__ == "__main__":
    main()
