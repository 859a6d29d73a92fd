"""Small pieces for writing test movies by hand: a bit writer, rectangles and tag headers."""
import struct


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


def rect(x0, x1, y0, y1, bits=17):
    b = Bits()
    b.put(bits, 5)
    for v in (x0, x1, y0, y1):
        b.signed(v, bits)
    return b.done()


def tag(code, body):
    if len(body) < 63:
        return struct.pack('<H', (code << 6) | len(body)) + body
    return struct.pack('<HI', (code << 6) | 63, len(body)) + body


def box_shape(shape_id, x, y, w, h, rgb, bits=17):
    """DefineShape: a rectangle in twips filled with one solid colour, no outline."""
    body = struct.pack('<H', shape_id) + rect(x, x + w, y, y + h, bits)
    body += bytes([1, 0x00]) + bytes(rgb) + bytes([0])  # one solid fill, no line styles
    b = Bits()
    b.put(1, 4)  # fill bits
    b.put(0, 4)  # line bits
    b.put(0b000101, 6)  # style change: fill style 1 and a move
    b.put(bits, 5)
    b.signed(x, bits)
    b.signed(y, bits)
    b.put(1, 1)
    for vertical, delta in ((False, w), (True, h), (False, -w), (True, -h)):
        b.put(1, 1)  # edge
        b.put(1, 1)  # straight
        b.put(bits - 2, 4)
        b.put(0, 1)  # horizontal or vertical
        b.put(1 if vertical else 0, 1)
        b.signed(delta, bits)
    b.put(0, 6)  # end of shape
    return tag(2, body + b.done())


def place(depth, char_id):
    """PlaceObject2 of a new character at a depth, with the identity matrix."""
    return tag(26, bytes([0x06]) + struct.pack('<HH', depth, char_id) + bytes([0]))


def movie(version, width, height, frame_count, tags, rate=24):
    body = rect(0, width, 0, height) + struct.pack('<HH', rate << 8, frame_count) + tags
    return b'FWS' + bytes([version]) + struct.pack('<I', 8 + len(body)) + body
