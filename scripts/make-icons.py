#!/usr/bin/env python3
"""Draws Ostrel's icon (16, 32, 48, 128 and 256 pixels) and the Calvenor logo
(35 pixels, and 70 for screens scaled to 200%) as PNG files, and the icon as
SVG, into frontend/icons/, and the icon's sizes together as ostrel.ico, the
icon of the Windows programs; and the picture beside the first and last
pages of the Windows installer, packaging/windows/wizard.bmp. Pure Python,
no packages."""
import math
import os
import struct
import zlib

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "frontend", "icons")
WINDOWS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "packaging", "windows")


def png(path, size, pixel):
    """Writes an RGBA PNG; pixel(x, y) gives (r, g, b, a) for unit coordinates."""
    n = 4  # samples per axis, for smooth edges
    rows = []
    for y in range(size):
        row = bytearray([0])
        for x in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(n):
                for sx in range(n):
                    r, g, b, a = pixel((x + (sx + 0.5) / n) / size, (y + (sy + 0.5) / n) / size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            a = acc[3] / (n * n)
            if a > 0:
                row += bytes(round(c / acc[3]) for c in acc[:3]) + bytes([round(a * 255)])
            else:
                row += bytes(4)
        rows.append(bytes(row))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(data)


def ico(path, pngs):
    """Writes an ICO file that holds each PNG file as it is (Windows Vista on)."""
    images = []
    for name in pngs:
        with open(name, "rb") as f:
            images.append(f.read())
    head = struct.pack("<HHH", 0, 1, len(images))
    offset = len(head) + 16 * len(images)
    entries = b""
    for data in images:
        width, height = struct.unpack(">II", data[16:24])
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32,
                               len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(head + entries + b"".join(images))


def bmp(path, width, height, pixel):
    """Writes a 24-bit BMP file, as NSIS takes it; pixel(x, y) gives (r, g, b)
    for pixel coordinates."""
    n = 4  # samples per axis, for smooth edges
    rows = []
    for y in range(height - 1, -1, -1):  # bottom row first
        row = bytearray()
        for x in range(width):
            acc = [0.0, 0.0, 0.0]
            for sy in range(n):
                for sx in range(n):
                    sample = pixel(x + (sx + 0.5) / n, y + (sy + 0.5) / n)
                    acc = [a + c for a, c in zip(acc, sample)]
            row += bytes(round(c / (n * n)) for c in reversed(acc))  # blue, green, red
        row += bytes(-len(row) % 4)
        rows.append(bytes(row))
    data = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def wizard(x, y):
    # The icon on a white tile, high on a blue that darkens downwards.
    top, size = 44, 116
    left = (164 - size) / 2
    if rounded(x, y, left - 8, top - 8, left + size + 8, top + size + 8, 14):
        r, g, b, a = icon((x - left) / size, (y - top) / size)
        return tuple(c * a + 255 * (1 - a) for c in (r, g, b))
    t = y / 314
    return tuple(g * (1 - t) + b * t for g, b in zip(GLASS, BODY))


def rounded(x, y, x0, y0, x1, y1, r):
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


BODY = (30, 78, 121)
LENS = (240, 244, 248)
GLASS = (52, 120, 176)
FLASH = (245, 166, 35)


def icon(x, y):
    # A camera seen from the front: body, lens ring, glass, and the flash.
    d = math.hypot(x - 0.5, y - 0.56)
    if rounded(x, y, 0.64, 0.12, 0.86, 0.28, 0.04):
        return FLASH + (1,)
    if not rounded(x, y, 0.06, 0.22, 0.94, 0.9, 0.12):
        return (0, 0, 0, 0)
    if d <= 0.17:
        return GLASS + (1,)
    if d <= 0.27:
        return LENS + (1,)
    return BODY + (1,)


def logo(x, y):
    # Calvenor Solutions: a "C" arc around a small square.
    d = math.hypot(x - 0.5, y - 0.5)
    angle = math.degrees(math.atan2(y - 0.5, x - 0.5))
    if 0.3 <= d <= 0.45 and not (-40 < angle < 40):
        return (120, 30, 40, 1)
    if abs(x - 0.5) <= 0.11 and abs(y - 0.5) <= 0.11:
        return (200, 150, 40, 1)
    return (0, 0, 0, 0)


SVG = """<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" viewBox="0 0 64 64">
  <rect x="40.96" y="7.68" width="14.08" height="10.24" rx="2.56" fill="#f5a623"/>
  <rect x="3.84" y="14.08" width="56.32" height="43.52" rx="7.68" fill="#1e4e79"/>
  <circle cx="32" cy="35.84" r="17.28" fill="#f0f4f8"/>
  <circle cx="32" cy="35.84" r="10.88" fill="#3478b0"/>
</svg>
"""

if __name__ == "__main__":
    os.makedirs(HERE, exist_ok=True)
    for size in (16, 32, 48, 128, 256):
        png(os.path.join(HERE, f"ostrel-{size}.png"), size, icon)
    png(os.path.join(HERE, "calvenor.png"), 35, logo)
    png(os.path.join(HERE, "calvenor-70.png"), 70, logo)
    with open(os.path.join(HERE, "ostrel.svg"), "w") as f:
        f.write(SVG)
    ico(os.path.join(HERE, "ostrel.ico"),
        [os.path.join(HERE, f"ostrel-{size}.png") for size in (16, 32, 48, 256)])
    bmp(os.path.join(WINDOWS, "wizard.bmp"), 164, 314, wizard)
