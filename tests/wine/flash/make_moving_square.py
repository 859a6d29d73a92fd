# Writes a small movie: a blue stage (320x240) with a red square that moves right by 30 pixels
# in each of its 8 frames, at 2 frames a second.
import struct, sys
class Bits:
    def __init__(s): s.bits=[]
    def u(s, v, n): s.bits += [(v >> (n-1-i)) & 1 for i in range(n)]
    def sb(s, v, n): s.u(v & ((1<<n)-1), n)
    def bytes(s):
        b = s.bits + [0]*((8-len(s.bits)%8)%8)
        return bytes(int(''.join(map(str,b[i:i+8])),2) for i in range(0,len(b),8))
def rect(x0,x1,y0,y1,n=16):
    b=Bits(); b.u(n,5); [b.sb(v,n) for v in (x0,x1,y0,y1)]; return b.bytes()
def tag(code, body):
    if len(body) < 63: return struct.pack('<H', code<<6 | len(body)) + body
    return struct.pack('<HI', code<<6 | 63, len(body)) + body
def matrix(tx,ty):
    b=Bits(); b.u(0,1); b.u(0,1); b.u(16,5); b.sb(tx,16); b.sb(ty,16); return b.bytes()
W,H=6400,4800; S=1600
shape = struct.pack('<H',1) + rect(0,S,0,S) + bytes([1, 0x00, 255,0,0, 0])
b=Bits(); b.u(1,4); b.u(0,4)  # 1 fill bit, 0 line bits
b.u(0,1); b.u(0,1); b.u(0,1); b.u(1,1); b.u(0,1); b.u(1,1)  # type, new styles, line, fill 1, fill 0, move
b.u(1,5); b.sb(0,1); b.sb(0,1)
b.u(1,1)  # fill style 1
for dx,dy in ((S,0),(0,S),(-S,0),(0,-S)):
    b.u(1,1); b.u(1,1); b.u(14-2,4); b.u(0,1)
    if dx: b.u(0,1); b.sb(dx,14)
    else: b.u(1,1); b.sb(dy,14)
b.u(0,6)
shape += b.bytes()
tags = tag(9, bytes([0,0,255])) + tag(2, shape)
frames = 8
for i in range(frames):
    x = 200 + i*600
    flags = 0x06 if i == 0 else 0x05
    body = bytes([flags]) + struct.pack('<H',1) + (struct.pack('<H',1) if i==0 else b'') + matrix(x, 1600)
    tags += tag(26, body) + tag(1, b'')
tags += tag(0, b'')
body = rect(0,W,0,H) + struct.pack('<HH', 0x0200, frames) + tags
open(sys.argv[1],'wb').write(b'FWS' + bytes([6]) + struct.pack('<I', 8+len(body)) + body)
