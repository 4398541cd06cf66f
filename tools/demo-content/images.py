"""The demo's pictures, drawn here so that they are ours and reproducible: the
product icon (a multi-size .ico) and the cover bitmaps inside setup.zip."""

import struct
import zlib

# The icon's sizes: the three classic ones as 32-bit bitmaps with an AND mask,
# and 256 as PNG, the way Windows Vista and later store large icons.
ICON_SIZES = (16, 32, 48, 256)

_TOP = (0x2A, 0x9D, 0xF0)
_BOTTOM = (0x12, 0x5C, 0xB8)


def _line_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    return abs((px - ax) * dy - (py - ay) * dx) / (dx * dx + dy * dy) ** 0.5


def _inside_rounded_square(x, y, margin=0.06, radius=0.2):
    lo, hi = margin + radius, 1.0 - margin - radius
    cx, cy = min(max(x, lo), hi), min(max(y, lo), hi)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius


def _inside_z(x, y):
    # Two bars and the diagonal between them, cut square at the bars.
    if not (0.25 <= x <= 0.75 and 0.22 <= y <= 0.78):
        return False
    if y <= 0.34 or y >= 0.66:
        return True
    return _line_distance(x, y, 0.75, 0.34, 0.25, 0.66) <= 0.075


def _sample(x, y):
    """Colour and coverage of the logo at a point of the unit square."""
    if not _inside_rounded_square(x, y):
        return None
    if _inside_z(x, y):
        return (255, 255, 255)
    return tuple(round(t + (b - t) * y) for t, b in zip(_TOP, _BOTTOM))


def draw_logo(size):
    """RGBA rows, top row first, anti-aliased by supersampling."""
    n = 4 if size <= 48 else 2
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = hits = 0
            for sy in range(n):
                for sx in range(n):
                    c = _sample((px + (sx + 0.5) / n) / size, (py + (sy + 0.5) / n) / size)
                    if c:
                        r, g, b, hits = r + c[0], g + c[1], b + c[2], hits + 1
            if hits:
                row.append((r // hits, g // hits, b // hits, 255 * hits // (n * n)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def _png(rows):
    size = len(rows)
    raw = bytearray()
    for row in rows:
        raw.append(0)  # filter: none
        for r, g, b, a in row:
            raw += bytes((r, g, b, a))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def _icon_bitmap(rows):
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pixels + mask


def make_icon():
    """A .ico file holding the logo at every size of ICON_SIZES."""
    images = []
    for size in ICON_SIZES:
        rows = draw_logo(size)
        images.append((size, _png(rows) if size >= 256 else _icon_bitmap(rows)))
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in images:
        dim = 0 if size >= 256 else size  # 0 stands for 256
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    return bytes(out)


def make_cover_bitmap(width, height, tint):
    """A 24-bit .bmp: a gradient in the edition's tint with the logo on it."""
    logo_size = min(width, height) * 3 // 5
    logo = draw_logo(logo_size)
    left, top = (width - logo_size) // 2, (height - logo_size) // 2
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for y in reversed(range(height)):
        line = bytearray()
        for x in range(width):
            f = (x + y) / (width + height)
            r, g, b = (round(255 - (255 - c) * (0.25 + 0.5 * f)) for c in tint)
            if left <= x < left + logo_size and top <= y < top + logo_size:
                lr, lg, lb, la = logo[y - top][x - left]
                r = (lr * la + r * (255 - la)) // 255
                g = (lg * la + g * (255 - la)) // 255
                b = (lb * la + b * (255 - la)) // 255
            line += bytes((b, g, r))
        line += bytes(stride - len(line))
        pixels += line
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + bytes(pixels)


if __name__ == "__main__":
    # The build embeds the same icon in the demo programs:
    #   images.py icon OUT.ico
    import sys
    if len(sys.argv) != 3 or sys.argv[1] != "icon":
        sys.exit("usage: images.py icon OUT.ico")
    with open(sys.argv[2], "wb") as f:
        f.write(make_icon())
