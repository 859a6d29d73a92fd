# Writes a one-frame movie whose frame script calls fscommand("hello", "world").
import struct
import sys


def tag(code, body):
    if len(body) < 63:
        return struct.pack('<H', code << 6 | len(body)) + body
    return struct.pack('<HI', code << 6 | 63, len(body)) + body


# GetURL "FSCommand:hello" with "world" as its target is how fscommand is compiled.
url, target = b'FSCommand:hello\0', b'world\0'
action = bytes([0x83]) + struct.pack('<H', len(url) + len(target)) + url + target + bytes([0])
# A 100 x 100 pixel stage: 13-bit fields 0, 2000, 0, 2000 (twips).
bits = '01101' + ''.join(format(v, '013b') for v in (0, 2000, 0, 2000))
bits += '0' * (-len(bits) % 8)
rect = bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8))
body = rect + struct.pack('<HH', 12 << 8, 1) + tag(12, action) + tag(1, b'') + tag(0, b'')
with open(sys.argv[1], 'wb') as out:
    out.write(b'FWS' + bytes([6]) + struct.pack('<I', 8 + len(body)) + body)
