#!/usr/bin/env python3
"""bmp_to_png.py IN.bmp OUT.png: a 24-bit BMP file as a PNG file, with the
standard library only (the machines that make the user guide's pictures
have no image tools)."""
import struct
import sys
import zlib


def convert(source, target):
    data = open(source, "rb").read()
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    if bits != 24:
        raise SystemExit(f"{source}: {bits}-bit BMP, expected 24")
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        row = y if height < 0 else abs(height) - 1 - y  # bottom-up unless the height is negative
        start = offset + row * stride
        pixels = bytearray(data[start:start + width * 3])
        pixels[0::3], pixels[2::3] = pixels[2::3], pixels[0::3]  # BGR to RGB
        rows.append(b"\0" + bytes(pixels))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    header = struct.pack(">IIBBBBB", width, abs(height), 8, 2, 0, 0, 0)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + \
        chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b"")
    open(target, "wb").write(png)


if __name__ == "__main__":
    convert(sys.argv[1], sys.argv[2])
