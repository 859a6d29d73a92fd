#!/usr/bin/env python3
"""button_movie.py OUT.swf: a two-frame movie of the test screen's size (1024 x 768 pixels).
Frame 1 stops and shows a red button over the middle of the stage (pixels 312,234 to 712,534)
on a blue background; releasing the button goes to frame 2, where a green rectangle stands in the
button's place."""
import struct
import sys

T = 20  # twips a pixel
WIDTH, HEIGHT = 1024 * T, 768 * T


class Bits:
    def __init__(self):
        self.out, self.acc, self.n = bytearray(), 0, 0

    def put(self, value, count):
        for i in range(count - 1, -1, -1):
            self.acc = (self.acc << 1) | ((value >> i) & 1)
            self.n += 1
            if self.n == 8:
                self.out.append(self.acc)
                self.acc, self.n = 0, 0

    def signed(self, value, count):
        self.put(value & ((1 << count) - 1), count)

    def done(self):
        if self.n:
            self.put(0, 8 - self.n)
        return bytes(self.out)


def rect(x0, x1, y0, y1):
    b = Bits()
    b.put(17, 5)
    for v in (x0, x1, y0, y1):
        b.signed(v, 17)
    return b.done()


def tag(code, body):
    if len(body) < 63:
        return struct.pack('<H', (code << 6) | len(body)) + body
    return struct.pack('<HI', (code << 6) | 63, len(body)) + body


def box_shape(shape_id, x, y, w, h, rgb):
    body = struct.pack('<H', shape_id) + rect(x, x + w, y, y + h)
    body += bytes([1, 0x00]) + bytes(rgb) + bytes([0])  # one solid fill, no line styles
    b = Bits()
    b.put(1, 4)
    b.put(0, 4)
    b.put(0b000101, 6)  # style change: fill style 1 and a move
    b.put(17, 5)
    b.signed(x, 17)
    b.signed(y, 17)
    b.put(1, 1)
    for vertical, delta in ((False, w), (True, h), (False, -w), (True, -h)):
        b.put(1, 1)
        b.put(1, 1)
        b.put(17 - 2, 4)
        b.put(0, 1)
        b.put(1 if vertical else 0, 1)
        b.signed(delta, 17)
    b.put(0, 6)
    return tag(2, body + b.done())


def place(depth, char_id):
    return tag(26, bytes([0x06]) + struct.pack('<HH', depth, char_id) + bytes([0]))


BX, BY, BW, BH = 312 * T, 234 * T, 400 * T, 300 * T
# The button: the red box in every state and as its hit area; on release, gotoAndStop(2).
button = struct.pack('<H', 3) + bytes([0x0F]) + struct.pack('<HH', 1, 1) + bytes([0]) + bytes([0])
button += bytes([0x81]) + struct.pack('<HH', 2, 1) + bytes([0x07]) + bytes([0])

body = rect(0, WIDTH, 0, HEIGHT) + struct.pack('<HH', 24 << 8, 2)
body += tag(9, bytes([0, 0, 160]))
body += box_shape(1, BX, BY, BW, BH, (220, 20, 20))
body += box_shape(2, BX, BY, BW, BH, (20, 200, 20))
body += tag(7, button)
body += place(1, 3)
body += tag(12, bytes([0x07, 0x00]))  # stop()
body += tag(1, b'')
body += tag(28, struct.pack('<H', 1))  # RemoveObject2 of the button
body += place(2, 2)
body += tag(1, b'') + tag(0, b'')
with open(sys.argv[1], 'wb') as out:
    out.write(b'FWS' + bytes([6]) + struct.pack('<I', 8 + len(body)) + body)
