#!/usr/bin/env python3
# The large practice screen, on a 1366x768 and a 1920x1080 display with
# the main window filling the screen less a 40-px panel: the pupil gets
# 今日任务 at her login and starts the assignment's text. Before the space
# bar a card says what it is; while she types, one mistake turns its cell
# red on pale red (measured in the screenshot's pixels, with the glyphs'
# height); Esc shows the result on the same screen with no dialog, stored,
# and Esc again goes back to the credits.

import sys

import walk
from walk import PUPIL, check

TODAY_CAPTION = "今日任务"
BODY = ("The quick brown fox jumps over the lazy dog. " * 60).strip()
WRONG_FILL = (0xff, 0xcd, 0xd2)
CURSOR_BAR = (0x1f, 0x4e, 0xd8)
# (display, least font size in pixels)
DISPLAYS = (("1366x768", 24), ("1920x1080", 32))


def is_wrong_text(p):
    return p[0] >= 150 and p[1] < 110 and p[2] < 110


def box(points):
    xs = [x for x, _ in points]
    ys = [y for _, y in points]
    return min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1


def walk_display(session, display, least):
    width, height = (int(n) for n in display.split("x"))
    session.start_display(display)
    session.make_work_dir()
    session.sql("INSERT INTO practice_text (title, kind, body, updated_at) VALUES "
                "('Fox', 112, '%s', '2024-09-01 08:00:00.000')" % BODY)
    session.add_assignment(112)
    session.start_program()
    main_id, _ = session.log_in(PUPIL, today=None)
    session.x("xdotool", "windowmove", main_id, "0", "0")
    session.x("xdotool", "windowsize", main_id, str(width), str(height - 40))
    session.answer(TODAY_CAPTION, "Return", shot="49-today-%s.png" % display)
    main = walk.geometry(session.wait_for(
        lambda: (lambda info: info if info and info[3] == width else None)(
            session.windows().get(main_id)), "the main window to fill the screen"))
    tag = display

    ready = session.wait_for(lambda: (lambda image: image if image.count(
        *main, lambda p: p == CURSOR_BAR) > 400 else None)(
        session.screenshot("50-large-ready-%s.png" % tag)), "the start card")
    check(ready is not None, "%s: a card over the text waits for the space bar" % tag)

    session.press(main_id, "space")
    typed = BODY[:4] + "#" + BODY[5:12]
    session.type(typed)

    def typed_shown():
        image = session.screenshot("51-large-typing-%s.png" % tag)
        fill = [(x, y) for y in range(main[1], main[1] + main[3])
                for x in range(main[0], main[0] + main[2]) if image.pixel(x, y) == WRONG_FILL]
        return (image, fill) if len(fill) > 100 else None
    image, fill = session.wait_for(typed_shown, "the wrong cell on the screen")
    left, top, cell_width, cell_height = box(fill)
    red = image.count(left, top, cell_width, cell_height, is_wrong_text)
    check(red > 20, "%s: the wrong cell is %dx%d px of pale red at (%d, %d) with %d red points"
          % (tag, cell_width, cell_height, left, top, red))
    # The typed line's ink, from the ascenders of "The quick" to the
    # descender of its q, in the cells before the wrong one.
    ink = [y for y in range(top, top + cell_height)
           for x in range(left - 4 * cell_width, left) if walk.is_dark(image.pixel(x, y))]
    ink_height = max(ink) - min(ink) + 1
    size = 2 * cell_width
    check(size >= least, "%s: the text's font is %d px (at least %d); its ink from ascender to"
          " descender %d px" % (tag, size, least, ink_height))
    check(set(session.windows()) == {main_id}, "%s: nothing interrupted the practice" % tag)

    session.press(main_id, "Escape")
    session.answer(walk.QUESTION_CAPTION, "Return")
    session.wait_for(lambda: session.sql("SELECT COUNT(*) FROM score") == [["1"]],
                     "the result stored")
    # The result is drawn once the screen stops changing.
    shots = [session.screenshot("52-large-result-%s.png" % tag).rgb]

    def steady():
        shots.append(session.screenshot("52-large-result-%s.png" % tag).rgb)
        return shots[-1] == shots[-2]
    session.wait_for(steady, "the result to be drawn")
    check(set(session.windows()) == {main_id}, "%s: the result shows with no dialog" % tag)
    session.press(main_id, "Escape")
    session.exit(main_id)


def run(new, _):
    for display, least in DISPLAYS:
        walk_display(new(), display, least)


if __name__ == "__main__":
    sys.exit(walk.run_main(run))
