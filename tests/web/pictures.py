"""PNG pictures for the browser check: 8-bit RGB or RGBA, which is what both the native program
and Chromium write, decoded and compared without a library."""
import struct, zlib
from pathlib import Path

# Two rasterizers draw the pictures, llvmpipe natively and SwiftShader in the browser; they
# differ on edges and texture filtering, so only a small share of pixels may differ much.
PIXEL_TOLERANCE = 48            # a channel off by more than this makes a pixel "different"

def png_unfilter(ftype, line, prev, bpp):
    """Undoes one row's PNG filter in place, given the row above it (already undone)."""
    n = len(line)
    if ftype == 1:
        for i in range(bpp, n):
            line[i] = (line[i] + line[i - bpp]) & 255
    elif ftype == 2:
        for i in range(n):
            line[i] = (line[i] + prev[i]) & 255
    elif ftype == 3:
        for i in range(n):
            line[i] = (line[i] + ((line[i - bpp] if i >= bpp else 0) + prev[i]) // 2) & 255
    elif ftype == 4:
        for i in range(n):
            a, b, c = (line[i - bpp], prev[i], prev[i - bpp]) if i >= bpp else (0, prev[i], 0)
            p = a + b - c
            pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
            line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
    elif ftype != 0:
        raise ValueError(f'PNG row filter {ftype} is not one of 0-4: a damaged picture')


def png_read(data):
    """Decodes a PNG into (width, height, RGB bytes); alpha is dropped, the page being opaque."""
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        raise ValueError('not a PNG picture')
    pos, ihdr, idat = 8, None, []
    while pos + 8 <= len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body, pos = data[pos + 8:pos + 8 + length], pos + 12 + length
        if kind == b'IHDR':
            ihdr = struct.unpack('>IIBBBBB', body)
        elif kind == b'IDAT':
            idat.append(body)
    if not ihdr or not idat:
        raise ValueError('a PNG picture without its header or its pixels')
    w, h, depth, ctype, _, _, interlace = ihdr
    if depth != 8 or ctype not in (2, 6) or interlace:
        raise ValueError(f'a PNG with bit depth {depth}, colour type {ctype}, interlace {interlace}:'
                          ' only 8-bit RGB (2) or RGBA (6), not interlaced, is read here')
    bpp = 3 if ctype == 2 else 4
    try:
        raw, stride = zlib.decompress(b''.join(idat)), w * bpp
    except zlib.error as e:
        raise ValueError(f'damaged PNG pixels: {e}') from None
    pixels, prev = bytearray(), bytearray(stride)
    for y in range(h):
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        png_unfilter(raw[y * (stride + 1)], line, prev, bpp)
        pixels += line
        prev = line
    if bpp == 4:
        del pixels[3::4]
    return w, h, bytes(pixels)


def png_write(path, w, h, rgb):
    def chunk(kind, body):
        return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))
    rows = b''.join(b'\0' + rgb[y * w * 3:(y + 1) * w * 3] for y in range(h))
    Path(path).write_bytes(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 2, 0, 0, 0))
                           + chunk(b'IDAT', zlib.compress(rows, 6)) + chunk(b'IEND', b''))


def compare_pictures(a, b):
    """Mean absolute difference per channel, the share of different pixels, and a difference
    picture: the different pixels red, the others their difference four times brighter."""
    d = [abs(x - y) for x, y in zip(a, b)]
    pixels = len(d) // 3
    means = [sum(d[c::3]) / pixels for c in range(3)]
    diff, off = bytearray(min(255, 4 * x) for x in d), 0
    for i, rgb in enumerate(zip(d[0::3], d[1::3], d[2::3])):
        if max(rgb) > PIXEL_TOLERANCE:
            off += 1
            diff[3 * i:3 * i + 3] = b'\xff\0\0'
    return means, off / pixels, bytes(diff)
