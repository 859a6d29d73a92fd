#!/usr/bin/env python3
"""lzma_movie.py IN.swf OUT.swf: the same movie compressed with LZMA (the ZWS form): the plain
header with its signature changed, the compressed length, five LZMA property bytes, the data."""
import lzma
import struct
import sys

plain = open(sys.argv[1], 'rb').read()
if plain[:3] != b'FWS':
    raise SystemExit('lzma_movie.py: the input is not an uncompressed movie')
lc, lp, pb, dictionary = 3, 0, 2, 1 << 20
data = lzma.compress(plain[8:], format=lzma.FORMAT_RAW,
                     filters=[{'id': lzma.FILTER_LZMA1, 'lc': lc, 'lp': lp, 'pb': pb, 'dict_size': dictionary}])
properties = bytes([(pb * 5 + lp) * 9 + lc]) + struct.pack('<I', dictionary)
with open(sys.argv[2], 'wb') as out:
    out.write(b'ZWS' + plain[3:8] + struct.pack('<I', len(data)) + properties + data)
