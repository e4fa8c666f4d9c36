#!/usr/bin/env python3
# Draws the program icon (a page with a ruby mark over a base line) at 16x16 and 32x32 and
# writes obel.ico. Run it again only when the design changes; the .ico is committed.
import struct

def draw(size):
    s = size / 16.0
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]
    def rect(x0, y0, x1, y1, c):
        for y in range(int(y0 * s), int(y1 * s)):
            for x in range(int(x0 * s), int(x1 * s)):
                px[y][x] = c
    ink = (40, 40, 120, 255)
    red = (200, 40, 40, 255)
    rect(2, 1, 14, 15, (90, 90, 90, 255))       # page border
    rect(3, 2, 13, 14, (255, 255, 250, 255))    # paper
    rect(5, 4, 11, 5, red)                      # reading line (the ruby)
    rect(4, 7, 12, 9, ink)                      # base text
    rect(4, 11, 12, 12, ink)                    # next line
    return px

def image_entry(size):
    px = draw(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b''.join(bytes((b, g, r, a)) for row in reversed(px) for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    mask = b'\0' * (mask_row * size)
    return header + xor + mask

sizes = [16, 32]
images = [image_entry(n) for n in sizes]
out = struct.pack('<HHH', 0, 1, len(images))
offset = 6 + 16 * len(images)
for n, data in zip(sizes, images):
    out += struct.pack('<BBBBHHII', n, n, 0, 0, 1, 32, len(data), offset)
    offset += len(data)
out += b''.join(images)
open('obel.ico', 'wb').write(out)
