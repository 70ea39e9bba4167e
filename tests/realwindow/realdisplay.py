#!/usr/bin/env python3
"""The display size (显示比例) a lab's screens get, in the built program.

Usage: realdisplay.py QE_BINARY DATA_DIR OUTPUT_DIR

For each of three screens, on its own Xvfb with a fresh working directory
and the display size left to the program: the pupil logs in, starts the
English practice and types its first words. The main window must take the
largest step that fits the screen, the typed glyphs must grow with it
(at 1920x1080 at least 20 pixels from the top of a capital to the foot of
a descender), and a screenshot of the practice lands in OUTPUT_DIR as
practice-WIDTHxHEIGHT.png.
"""

import os
import sys

import realwindow as rw
from realinput import log_in
from realwindow import check

# The screen, the step the program takes there, and the least height of the
# typed glyphs in pixels.
SCREENS = [
    ((1024, 768), 125, 12),
    ((1280, 1024), 150, 15),
    ((1920, 1080), 200, 20),
]
# The first words of english.txt hold a capital and descenders.
TYPED = 20


def one_screen(session, size, percent, least_height):
    width, height = size
    label = "%dx%d" % size
    session.start_display("%dx%d" % size)
    session.make_work_dir()
    session.start_program()
    main_id, main = log_in(session)
    want = (rw.MAIN_SIZE[0] * percent / 100, rw.MAIN_SIZE[1] * percent / 100)
    check(abs(main[3] - want[0]) <= 2 and abs(main[4] - want[1]) <= 2,
          "%s: the main window is %dx%d, %d %% of %dx%d" % (label, main[3], main[4], percent,
                                                           *rw.MAIN_SIZE))
    check(main[1] >= 0 and main[2] >= 0 and main[1] + main[3] <= width
          and main[2] + main[4] <= height, "%s: the main window lies on the screen" % label)

    with open(os.path.join(session.data, "english.txt"), "rb") as f:
        english = f.read().replace(b"\r", b"").replace(b"\n", b"").decode("ascii")
    window = rw.geometry(main)
    name = "practice-%s.png" % label
    session.focus(main_id)
    session.key("ctrl+e")
    before = rw.practice_screen(session, window, name, percent / 100)
    session.key("space")
    session.type(english[:TYPED])
    cell = rw.CHAR_WIDTH * percent / 100
    shot = rw.wait_typed(session, window, name, before, main[1] + int((TYPED - 1) * cell))
    red = shot.reds(window) - before
    tallest = max(y for _, y in red) - min(y for _, y in red) + 1
    widest = max(x for x, _ in red) - min(x for x, _ in red) + 1
    print("%s: %d %%, typed glyphs %d px tall, %d characters %d px wide"
          % (label, percent, tallest, TYPED, widest), flush=True)
    check(tallest >= least_height, "%s: the typed glyphs are %d px tall (at least %d)"
          % (label, tallest, least_height))
    session.stop()


def run(session):
    for size, percent, least_height in SCREENS:
        one_screen(session, size, percent, least_height)


def main(argv):
    return rw.run_main(argv, __doc__, run)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
