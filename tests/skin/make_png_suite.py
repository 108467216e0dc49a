"""Writes the PNG test suite into a folder: every colour type and bit depth,
plain and Adam7-interlaced, with tRNS, bKGD and gAMA variants, the rows
re-filtered with all five filter types and the image data split over
several IDAT chunks (one of them empty); then damaged copies: a bad CRC,
image data cut short, an unknown critical chunk.

Usage: make_png_suite.py FOLDER. Prints the name of every file written."""
import io
import os
import struct
import sys
import zlib

import png

WIDTH, HEIGHT = 13, 11

ADAM7 = [(0, 0, 8, 8), (0, 4, 8, 8), (4, 0, 8, 4), (0, 2, 4, 4), (2, 0, 4, 2), (0, 1, 2, 2), (1, 0, 2, 1)]


def sample_rows(planes, depth, width, height, seed):
    top = (1 << depth) - 1
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            for p in range(planes):
                row.append((x * 7 + y * 13 + p * 29 + seed * 31 + x * y * 3) % (top + 1))
        rows.append(row)
    return rows


def row_layout(width, height, interlaced):
    """(pixel count) of every row in the order the data holds them."""
    if not interlaced:
        return [width] * height
    out = []
    for (r0, c0, rs, cs) in ADAM7:
        if c0 >= width:
            continue
        n = (width - c0 + cs - 1) // cs
        out.extend([n] * len(range(r0, height, rs)))
    return out


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def refilter(raw, counts, bits_per_pixel):
    """Re-filters unfiltered rows (filter byte 0) with types 0..4 in turn."""
    bpp = max(1, bits_per_pixel // 8)
    out = bytearray()
    pos = 0
    prev = None
    k = 0
    for n in counts:
        size = (n * bits_per_pixel + 7) // 8
        assert raw[pos] == 0
        line = raw[pos + 1:pos + 1 + size]
        pos += 1 + size
        if prev is None or len(prev) != len(line):
            prev = bytes(len(line))
        ft = k % 5
        k += 1
        f = bytearray([ft])
        for i in range(len(line)):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            pred = [0, a, b, (a + b) // 2, paeth(a, b, c)][ft]
            f.append((line[i] - pred) & 0xFF)
        out += f
        prev = line
    # A new pass starts from a zero row: mark where passes change length.
    return bytes(out)


def refilter_passes(raw, width, height, bits_per_pixel, interlaced):
    if not interlaced:
        return refilter(raw, [width] * height, bits_per_pixel)
    out = bytearray()
    pos = 0
    for (r0, c0, rs, cs) in ADAM7:
        if c0 >= width:
            continue
        n = (width - c0 + cs - 1) // cs
        rows = len(range(r0, height, rs))
        size = (1 + (n * bits_per_pixel + 7) // 8) * rows
        out += refilter(raw[pos:pos + size], [n] * rows, bits_per_pixel)
        pos += size
    return bytes(out)


def chunks_of(data):
    return list(png.Reader(bytes=data).chunks())


def write_chunks(path, chunks):
    with open(path, "wb") as f:
        png.write_chunks(f, chunks)


def make(folder, name, width, height, color_type, depth, interlaced, **extra):
    planes = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[color_type]
    kw = dict(bitdepth=depth, interlace=interlaced)
    if color_type != 3:
        kw["greyscale"] = color_type in (0, 4)
        kw["alpha"] = color_type in (4, 6)
    if color_type == 3:
        entries = 1 << depth
        pal = [((i * 71) % 256, (i * 151 + 7) % 256, (i * 29 + 100) % 256) for i in range(entries)]
        if extra.pop("palette_alpha", False):
            pal = [p + ((i * 37) % 256,) for i, p in enumerate(pal[:min(entries, 10)])] + pal[min(entries, 10):]
        kw["palette"] = pal
    kw.update(extra)
    rows = sample_rows(planes, depth, width, height, color_type + depth)
    buf = io.BytesIO()
    png.Writer(width, height, **kw).write(buf, rows)
    chunks = chunks_of(buf.getvalue())
    raw = zlib.decompress(b"".join(d for (t, d) in chunks if t == b"IDAT"))
    filtered = refilter_passes(raw, width, height, planes * depth, interlaced)
    packed = zlib.compress(filtered, 9)
    cut = len(packed) // 3
    idats = [(b"IDAT", packed[:cut]), (b"IDAT", b""), (b"IDAT", packed[cut:])]
    out = []
    for (t, d) in chunks:
        if t == b"IDAT":
            if idats:
                out.extend(idats)
                idats = []
            continue
        out.append((t, d))
    path = os.path.join(folder, name + ".png")
    write_chunks(path, out)
    print(name + ".png")
    return out


def damaged(folder, base):
    # A wrong CRC on the header.
    path = os.path.join(folder, "damaged_crc.png")
    with io.BytesIO() as f:
        png.write_chunks(f, base)
        data = bytearray(f.getvalue())
    data[8 + 8 + 13] ^= 0x55
    open(path, "wb").write(bytes(data))
    print("damaged_crc.png")
    # Image data cut short (the chunks themselves stay whole).
    packed = zlib.decompress(b"".join(d for (t, d) in base if t == b"IDAT"))
    whole = zlib.compress(packed, 9)
    short = whole[:len(whole) // 3]
    cut = [c for c in base if c[0] != b"IDAT"]
    cut.insert(len(cut) - 1, (b"IDAT", short))
    write_chunks(os.path.join(folder, "damaged_truncated.png"), cut)
    print("damaged_truncated.png")
    # The file itself ends inside the image data chunk.
    with io.BytesIO() as f:
        png.write_chunks(f, base)
        whole_file = f.getvalue()
    idat = whole_file.index(b"IDAT")
    open(os.path.join(folder, "damaged_cut.png"), "wb").write(whole_file[:idat + 40])
    print("damaged_cut.png")
    # An unknown critical chunk before the image data.
    crit = list(base)
    crit.insert(1, (b"KLMo", b"\x00\x01"))
    write_chunks(os.path.join(folder, "damaged_critical.png"), crit)
    print("damaged_critical.png")


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    table = {0: (1, 2, 4, 8, 16), 2: (8, 16), 3: (1, 2, 4, 8), 4: (8, 16), 6: (8, 16)}
    for ct, depths in table.items():
        for depth in depths:
            for il in (False, True):
                make(folder, "ct%d_d%d_%s" % (ct, depth, "i" if il else "p"), WIDTH, HEIGHT, ct, depth, il)
    # Variants with ancillary chunks.
    make(folder, "ct0_d8_trns", WIDTH, HEIGHT, 0, 8, False, transparent=17)
    make(folder, "ct2_d8_trns", WIDTH, HEIGHT, 2, 8, False, transparent=(1, 2, 3))
    make(folder, "ct3_d4_trns", WIDTH, HEIGHT, 3, 4, False, palette_alpha=True)
    make(folder, "ct0_d16_bkgd", WIDTH, HEIGHT, 0, 16, False, background=(40000,))
    make(folder, "ct2_d8_bkgd", WIDTH, HEIGHT, 2, 8, True, background=(10, 20, 30))
    make(folder, "ct2_d8_gama", WIDTH, HEIGHT, 2, 8, False, gamma=0.45455)
    make(folder, "ct6_d8_gama", WIDTH, HEIGHT, 6, 8, True, gamma=1.0)
    make(folder, "ct0_d8_gama", WIDTH, HEIGHT, 0, 8, False, gamma=0.45455)
    make(folder, "ct3_d8_gama", WIDTH, HEIGHT, 3, 8, False, gamma=0.45455)
    make(folder, "tiny_ct6_d8_i", 1, 1, 6, 8, True)
    make(folder, "narrow_ct2_d16_i", 3, 9, 2, 16, True)
    base = make(folder, "base_ct6_d8", WIDTH, HEIGHT, 6, 8, False)
    damaged(folder, base)


if __name__ == "__main__":
    main()
