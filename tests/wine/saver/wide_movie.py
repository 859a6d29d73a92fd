#!/usr/bin/env python3
"""wide_movie.py OUT.swf: a one-frame movie whose stage (1024 x 384 pixels) is wider than the
test screen's shape. A red rectangle fills the stage; the movie's own background is green, which
the package's background colour replaces."""
import sys

from swf_bits import box_shape, movie, place, tag

WIDTH, HEIGHT = 1024 * 20, 384 * 20  # twips

tags = tag(9, bytes([0, 200, 0]))
tags += box_shape(1, 0, 0, WIDTH, HEIGHT, (200, 30, 30))
tags += place(1, 1)
tags += tag(1, b'') + tag(0, b'')
with open(sys.argv[1], 'wb') as out:
    out.write(movie(8, WIDTH, HEIGHT, 1, tags))
