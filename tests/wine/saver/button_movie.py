#!/usr/bin/env python3
"""button_movie.py OUT.swf: a two-frame movie of the test screen's size (1024 x 768 pixels).
Frame 1 stops and shows a red button over the middle of the stage (pixels 312,234 to 712,534)
on a blue background; releasing the button goes to frame 2, where a green rectangle stands in the
button's place."""
import struct
import sys

from swf_bits import box_shape, movie, place, tag

T = 20  # twips a pixel
WIDTH, HEIGHT = 1024 * T, 768 * T
BX, BY, BW, BH = 312 * T, 234 * T, 400 * T, 300 * T

# The button: the red box in every state and as its hit area; on release, gotoAndStop(2).
button = struct.pack('<H', 3) + bytes([0x0F]) + struct.pack('<HH', 1, 1) + bytes([0]) + bytes([0])
button += bytes([0x81]) + struct.pack('<HH', 2, 1) + bytes([0x07]) + bytes([0])

tags = tag(9, bytes([0, 0, 160]))
tags += box_shape(1, BX, BY, BW, BH, (220, 20, 20))
tags += box_shape(2, BX, BY, BW, BH, (20, 200, 20))
tags += tag(7, button)
tags += place(1, 3)
tags += tag(12, bytes([0x07, 0x00]))  # stop()
tags += tag(1, b'')
tags += tag(28, struct.pack('<H', 1))  # RemoveObject2 of the button
tags += place(2, 2)
tags += tag(1, b'') + tag(0, b'')
with open(sys.argv[1], 'wb') as out:
    out.write(movie(6, WIDTH, HEIGHT, 2, tags))
