#!/usr/bin/env python3
"""analyse_capture.py FILE: reads what ALSA's file plugin wrote (a WAV header, then the samples,
whose lengths may be left unset by a process that was killed) and prints
"frames=N rms=R hz=F sounding=S": the length, the loudness of the first channel (full scale 1),
its pitch from the typical distance between rising zero crossings (a gap in the output, where the
feed fell behind, then changes nothing) and the seconds from its first to its last audible
sample. Prints "frames=0 rms=0 hz=0 sounding=0" for a missing or empty file."""
import math
import struct
import sys


def read(path):
    try:
        data = open(path, 'rb').read()
    except OSError:
        return None
    if len(data) < 12 or data[:4] != b'RIFF' or data[8:12] != b'WAVE':
        return None
    pos, fmt = 12, None
    while pos + 8 <= len(data):
        chunk, size = data[pos:pos + 4], struct.unpack('<I', data[pos + 4:pos + 8])[0]
        body = pos + 8
        if chunk == b'fmt ':
            fmt = struct.unpack('<HHIIHH', data[body:body + 16])
        elif chunk == b'data':
            return fmt, data[body:]  # to the end of the file: the size may be unset
        pos = body + size + (size & 1)
    return None


def main():
    got = read(sys.argv[1])
    if not got or not got[0]:
        print('frames=0 rms=0 hz=0 sounding=0')
        return
    (tag, channels, rate, _, align, bits), samples = got
    frames = len(samples) // align
    if frames == 0:
        print('frames=0 rms=0 hz=0 sounding=0')
        return
    if tag == 3 and bits == 32:
        values = struct.unpack_from('<%df' % (frames * channels), samples)
        first = values[0::channels]
    elif bits == 16:
        values = struct.unpack_from('<%dh' % (frames * channels), samples)
        first = [v / 32768 for v in values[0::channels]]
    else:
        print('frames=0 rms=0 hz=0 sounding=0 unknown-format=%d/%d' % (tag, bits))
        return
    rms = math.sqrt(sum(v * v for v in first) / frames)
    rising = [i for i in range(1, frames) if first[i - 1] < 0 <= first[i]]
    periods = sorted(b - a for a, b in zip(rising, rising[1:]))
    hz = 0.0
    if len(periods) > 10:
        # The middle half of the periods, averaged: sub-sample precision, and no gap counts.
        middle = periods[len(periods) // 4:len(periods) * 3 // 4]
        hz = rate / (sum(middle) / len(middle))
    audible = [i for i in range(frames) if abs(first[i]) > 0.01]
    sounding = (audible[-1] - audible[0] + 1) / rate if audible else 0.0
    print('frames=%d rms=%.4f hz=%.1f sounding=%.4f rate=%d' % (frames, rms, hz, sounding, rate))


main()
