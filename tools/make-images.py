#!/usr/bin/python3
"""Draws the console's status pictures (16x16 GIF) and its logo (BMP) into assets/images.

The pictures are committed; run this only to change them:  /usr/bin/python3 tools/make-images.py
"""
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "assets", "images")


def lzw_uncompressed(pixels, min_code_size=8):
    """GIF LZW stream that never grows the code table: a clear code every 254 literals keeps the
    code width at min_code_size + 1 bits, which every decoder accepts."""
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    width = min_code_size + 1
    codes = []
    for i, p in enumerate(pixels):
        if i % 254 == 0:
            codes.append(clear)
        codes.append(p)
    codes.append(end)
    bits, nbits, out = 0, 0, bytearray()
    for c in codes:
        bits |= c << nbits
        nbits += width
        while nbits >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8
    if nbits:
        out.append(bits & 0xFF)
    return bytes(out)


def gif(path, size, palette, pixel_at):
    w = h = size
    pal = list(palette) + [(0, 0, 0)] * (256 - len(palette))
    data = bytearray(b"GIF89a")
    data += struct.pack("<HHBBB", w, h, 0xF7, 0, 0)  # global table of 256 colours
    for r, g, b in pal:
        data += bytes((r, g, b))
    data += b"\x21\xF9\x04\x01\x00\x00\x00\x00"  # colour 0 transparent
    data += b"\x2C" + struct.pack("<HHHHB", 0, 0, w, h, 0)
    data += b"\x08"
    stream = lzw_uncompressed([pixel_at(x, y) for y in range(h) for x in range(w)])
    for i in range(0, len(stream), 255):
        chunk = stream[i:i + 255]
        data += bytes((len(chunk),)) + chunk
    data += b"\x00\x3B"
    with open(path, "wb") as f:
        f.write(data)


def disc(colour_index, mark=None):
    def at(x, y):
        dx, dy = x - 7.5, y - 7.5
        if dx * dx + dy * dy > 49:
            return 0
        if mark and mark(x, y):
            return 2
        return colour_index
    return at


def bmp(path, w, h, pixel_at):
    row = (w * 3 + 3) & ~3
    size = 54 + row * h
    data = bytearray(b"BM" + struct.pack("<IHHI", size, 0, 0, 54))
    data += struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, row * h, 2835, 2835, 0, 0)
    for y in reversed(range(h)):
        line = bytearray()
        for x in range(w):
            r, g, b = pixel_at(x, y)
            line += bytes((b, g, r))
        data += line + b"\x00" * (row - len(line))
    with open(path, "wb") as f:
        f.write(data)


def logo(x, y):
    # A dark blue field with a light quill stroke across it.
    if abs((x - 8) - 2 * (31 - y)) <= 2 and 4 <= y <= 28:
        return (235, 235, 220)
    return (20, 50, 110)


def main():
    os.makedirs(OUT, exist_ok=True)
    white = (255, 255, 255)
    gif(os.path.join(OUT, "New.Gif"), 16, [(0, 0, 0), (170, 170, 170), white], disc(1))
    gif(os.path.join(OUT, "Process.gif"), 16, [(0, 0, 0), (230, 160, 0), white],
        disc(1, lambda x, y: 7 <= x <= 8 and 3 <= y <= 8 or 7 <= y <= 8 and 7 <= x <= 11))
    gif(os.path.join(OUT, "Sucess.gif"), 16, [(0, 0, 0), (0, 140, 40), white],
        disc(1, lambda x, y: (y - x == 3 and 4 <= x <= 7) or (x + y == 17 and 7 <= x <= 12)))
    gif(os.path.join(OUT, "Failed.Gif"), 16, [(0, 0, 0), (200, 20, 20), white],
        disc(1, lambda x, y: 4 <= x <= 11 and (x == y or x + y == 15)))
    bmp(os.path.join(OUT, "Quillan.bmp"), 48, 32, logo)


if __name__ == "__main__":
    main()
