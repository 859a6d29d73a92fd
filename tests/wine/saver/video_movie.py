#!/usr/bin/env python3
"""video_movie.py OUT.swf FRAMES: a 320x240 movie at 12 frames a second whose timeline shows an
embedded Sorenson H.263 video of FRAMES frames, one video frame per movie frame. The video is
ffmpeg's moving test pattern, encoded by the ffmpeg command; fails when it is not installed."""
import os
import struct
import subprocess
import sys
import tempfile

from swf_bits import movie, tag

WIDTH, HEIGHT, RATE = 320, 240, 12


def flv_video_packets(path):
    """The H.263 packets of an FLV file's video tags, in order, without their codec byte."""
    data = open(path, 'rb').read()
    if data[:3] != b'FLV':
        raise SystemExit('video_movie.py: ffmpeg did not write an FLV file')
    at = struct.unpack('>I', data[5:9])[0] + 4
    packets = []
    while at + 11 <= len(data):
        kind, size = data[at], int.from_bytes(data[at + 1:at + 4], 'big')
        body = data[at + 11:at + 11 + size]
        if kind == 9 and len(body) > 1 and (body[0] & 0x0F) == 2:
            packets.append(body[1:])
        at += 11 + size + 4
    return packets


frames = int(sys.argv[2])
with tempfile.TemporaryDirectory() as scratch:
    flv = os.path.join(scratch, 'pattern.flv')
    subprocess.run(['ffmpeg', '-v', 'error', '-y', '-f', 'lavfi', '-i', f'testsrc=size={WIDTH}x{HEIGHT}:rate={RATE}',
                    '-frames:v', str(frames), '-c:v', 'flv', '-q:v', '2', '-g', '6', '-an', '-f', 'flv', flv],
                   check=True)
    packets = flv_video_packets(flv)
if len(packets) != frames:
    raise SystemExit(f'video_movie.py: ffmpeg gave {len(packets)} frames, not {frames}')

tags = tag(9, bytes([0, 0, 0]))
# DefineVideoStream: id 1, its frame count and size, no deblocking or smoothing, H.263 (2).
tags += tag(60, struct.pack('<HHHHBB', 1, frames, WIDTH, HEIGHT, 0, 2))
for number, packet in enumerate(packets):
    tags += tag(61, struct.pack('<HH', 1, number) + packet)
    if number == 0:  # PlaceObject2 of the stream at depth 1, ratio 0: the video's first frame
        tags += tag(26, bytes([0x12]) + struct.pack('<HHH', 1, 1, 0))
    else:  # the same object, now at the next video frame
        tags += tag(26, bytes([0x11]) + struct.pack('<HH', 1, number))
    tags += tag(1, b'')
tags += tag(0, b'')
with open(sys.argv[1], 'wb') as out:
    out.write(movie(8, WIDTH * 20, HEIGHT * 20, frames, tags, rate=RATE))
