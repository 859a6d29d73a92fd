#!/usr/bin/env python3
"""Draws the program's icon (a screen showing a play mark on a dark-blue ground) at 16, 32 and
48 pixels and writes it as a Windows .ico with 32-bit images. Run: make_icon.py OUT.ico"""
import struct
import sys


def draw(size):
    """Returns rows of (b, g, r, a), bottom row first, as an icon's bitmap stores them."""
    def inside_play(x, y):
        # A right-pointing triangle in the middle of the screen area.
        cx, cy = size * 0.52, size * 0.45
        h = size * 0.22
        return x >= cx - h * 0.7 and abs(y - cy) <= (cx + h - x) * 0.65 and x <= cx + h

    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            fx, fy = x + 0.5, y + 0.5
            pixel = (0, 0, 0, 0)
            frame = 0.06 * size
            screen_bottom = size * 0.80
            if frame <= fx <= size - frame and frame <= fy <= screen_bottom:
                pixel = (60, 40, 30, 255)  # bezel
                inset = frame + max(1.0, size * 0.06)
                if inset <= fx <= size - inset and inset <= fy <= screen_bottom - max(1.0, size * 0.06):
                    t = (fy - inset) / (screen_bottom - 2 * inset)
                    pixel = (int(200 - 80 * t), int(90 - 40 * t), int(20 + 10 * t), 255)
                    if inside_play(fx, fy):
                        pixel = (40, 200, 250, 255)
            elif size * 0.35 <= fx <= size * 0.65 and screen_bottom < fy <= size * 0.90:
                pixel = (60, 40, 30, 255)  # stand
            elif size * 0.22 <= fx <= size * 0.78 and size * 0.90 < fy <= size * 0.96:
                pixel = (60, 40, 30, 255)  # foot
            row.append(pixel)
        rows.append(row)
    rows.reverse()
    return rows


def icon_image(size):
    rows = draw(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(struct.pack("BBBB", *p) for row in rows for p in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = b""
    for row in rows:
        bits = bytearray(mask_stride)
        for x, p in enumerate(row):
            if p[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return header + pixels + mask


def main():
    sizes = [16, 32, 48]
    images = [icon_image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(sys.argv[1], "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main()
