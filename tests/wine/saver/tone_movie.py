#!/usr/bin/env python3
"""tone_movie.py OUT.swf HZ [SECONDS]: a one-frame movie that starts an event sound, a sine tone
of HZ at 44.1 kHz (16-bit mono, uncompressed), looped for about SECONDS (whole loops of about a
second), or for longer than any test runs when SECONDS is not given. A grey box shows that the
movie plays."""
import math
import struct
import sys

from swf_bits import box_shape, movie, place, tag

WIDTH, HEIGHT = 640 * 20, 480 * 20  # twips
RATE = 44100


def tone(hz, seconds, level=12000):
    count = int(RATE * seconds)
    return count, b''.join(struct.pack('<h', int(level * math.sin(2 * math.pi * hz * i / RATE)))
                           for i in range(count))


hz = float(sys.argv[2])
# Whole periods in the sound, so that its loops join without a click.
unit = round(hz) / hz
count, samples = tone(hz, unit)
loops = max(1, round(float(sys.argv[3]) / unit)) if len(sys.argv) > 3 else 65535
# DefineSound: little-endian PCM (3), 44 kHz (3), 16-bit, mono.
define = struct.pack('<HBI', 2, (3 << 4) | (3 << 2) | (1 << 1), count) + samples
# StartSound: no multiple copies, looped.
start = struct.pack('<HBH', 2, 0x10 | 0x04, loops)
tags = tag(9, bytes([40, 40, 40]))
tags += tag(14, define) + tag(15, start)
tags += box_shape(1, 0, 0, WIDTH // 2, HEIGHT // 2, (160, 160, 160))
tags += place(1, 1)
tags += tag(1, b'') + tag(0, b'')
with open(sys.argv[1], 'wb') as out:
    out.write(movie(8, WIDTH, HEIGHT, 1, tags))
