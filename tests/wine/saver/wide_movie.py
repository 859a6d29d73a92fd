#!/usr/bin/env python3
"""wide_movie.py OUT.swf: a one-frame movie whose stage (1024 x 384 pixels) is wider than the
test screen's shape. A red rectangle fills the stage; the movie's own background is green, which
the package's background colour replaces."""
import struct
import sys

WIDTH, HEIGHT = 1024 * 20, 384 * 20  # twips


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


def rect(w, h):
    b = Bits()
    b.put(16, 5)
    for v in (0, w, 0, h):
        b.signed(v, 16)
    return b.done()


def tag(code, body):
    if len(body) < 63:
        return struct.pack('<H', (code << 6) | len(body)) + body
    return struct.pack('<HI', (code << 6) | 63, len(body)) + body


def stage_shape():
    body = struct.pack('<H', 1) + rect(WIDTH, HEIGHT)
    body += bytes([1, 0x00, 200, 30, 30, 0])  # one solid fill, no line styles
    b = Bits()
    b.put(1, 4)  # fill bits
    b.put(0, 4)  # line bits
    b.put(0b000101, 6)  # style change: fill style 1 and a move
    b.put(1, 5)
    b.signed(0, 1)
    b.signed(0, 1)
    b.put(1, 1)
    for vertical, delta in ((False, WIDTH), (True, HEIGHT), (False, -WIDTH), (True, -HEIGHT)):
        b.put(1, 1)  # edge
        b.put(1, 1)  # straight
        b.put(16 - 2, 4)
        b.put(0, 1)  # horizontal or vertical
        b.put(1 if vertical else 0, 1)
        b.signed(delta, 16)
    b.put(0, 6)  # end of shape
    return tag(2, body + b.done())


body = rect(WIDTH, HEIGHT) + struct.pack('<HH', 24 << 8, 1)
body += tag(9, bytes([0, 200, 0]))
body += stage_shape()
body += tag(26, bytes([0x06]) + struct.pack('<HH', 1, 1) + bytes([0]))
body += tag(1, b'') + tag(0, b'')
with open(sys.argv[1], 'wb') as out:
    out.write(b'FWS' + bytes([8]) + struct.pack('<I', 8 + len(body)) + body)
