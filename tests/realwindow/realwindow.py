#!/usr/bin/env python3
# The pupil's walk, on a 1024x768 screen: the splash picture and the login,
# the display size this screen gives, the view's context menu by the mouse,
# the English and the Chinese practice typed through X (their cells red or
# black on the screen, their stored time that of the clock and of the keys,
# their key presses those X delivered), lesson 1 of 指法课程 with the on-screen
# keyboard's colours, the question before her scores are cleared, and the
# exit with the help window open. Then the display size and the typed
# glyphs on screens of 1280x1024 and 1920x1080.

import json
import os
import sys
import time

import walk
from walk import PUPIL, check, geometry, password_hash  # noqa: F401 (read by other scripts)

SPLASH_SIZE = (326, 240)
HELP_CAPTION = "青禾测试系统 帮助"
COURSE_CAPTION = "指法课程"
# The on-screen keyboard's colours: the key to type next, a wrong key.
NEXT_FILL = (0xff, 0xf1, 0x76)
WRONG_FILL = (0xe5, 0x39, 0x35)
# The screen, the display size the program takes there, the least height of
# typed glyphs in pixels (the first words of english.txt hold a capital and
# descenders).
SCREENS = [("1024x768", 125, 12), ("1280x1024", 150, 15), ("1920x1080", 200, 20)]


def with_mistakes(text, wanted, wrong):
    # The wanted positions moved onto visible characters, and text typed
    # with a wrong character at each.
    chosen = []
    for i in wanted:
        while text[i].isspace() or i in chosen:
            i += 1
        chosen.append(i)
    return chosen, "".join((wrong[0] if ch != wrong[0] else wrong[1]) if i in chosen else ch
                           for i, ch in enumerate(text))


def practise(session, main_id, main, screen, keys, target, typed, cell, name):
    # Checks the display size, starts a practice, types (Delete first,
    # which types nothing) and waits for the last cell; checks the typed
    # glyphs' height and returns the screen, the red pixels before typing
    # and the time of the space bar.
    size, percent, least = screen
    width, height = (int(n) for n in size.split("x"))
    want = [n * percent / 100 for n in walk.MAIN_SIZE]
    check(abs(main[3] - want[0]) <= 2 and abs(main[4] - want[1]) <= 2 and main[1] >= 0
          and main[2] >= 0 and main[1] + main[3] <= width and main[2] + main[4] <= height,
          "%s: the main window is %dx%d, %d %% of 750x540, on the screen"
          % (size, main[3], main[4], percent))
    session.press(main_id, keys)
    before = walk.practice_screen(session, geometry(main), name, percent / 100)
    session.key("space")
    started = time.monotonic()
    session.key("Delete")
    session.type(typed)
    shot = walk.wait_typed(session, geometry(main), name, before,
                           main[1] + int((len(target) - 1) * cell * percent / 100))
    check(set(session.windows()) == {main_id}, name + ": no message interrupted the practice")
    red = shot.reds(geometry(main)) - before
    tallest = max(y for _, y in red) - min(y for _, y in red) + 1
    check(tallest >= least, "%s: the typed glyphs are %d px tall (at least %d)"
          % (size, tallest, least))
    return shot, before, started


def run(new, _):
    session = new()
    session.start_display()
    session.make_work_dir()
    session.start_program()

    # The splash picture, at the display size of this screen, then the
    # login a second later.
    def splash():
        return next(((w, i) for w, i in session.windows().items()
                     if any(abs(i[3] - SPLASH_SIZE[0] * p / 100) <= 1
                            and abs(i[4] - SPLASH_SIZE[1] * p / 100) <= 1
                            for p in (100, 125, 150, 200))), None)
    splash_id, splash_info = session.wait_for(splash, "the splash picture")
    splash_at = time.monotonic()
    sx, sy, sw, sh = geometry(splash_info)

    def colours():
        # The window may be mapped a moment before its picture is drawn.
        shot = session.screenshot("01-splash.png")
        found = {shot.pixel(x, y) for y in range(sy, sy + sh) for x in range(sx, sx + sw)}
        return len(found) if len(found) > 100 or splash_id not in session.windows() else None
    shown = session.wait_for(colours, "the splash picture to be drawn", timeout=3)
    check(shown > 100, "the splash window shows a picture (%d colours)" % shown)
    session.wait_window(walk.LOGIN_CAPTION)
    delay = time.monotonic() - splash_at
    check(0.5 <= delay <= 3.0 and splash_id not in session.windows(),
          "the login dialog replaces the splash after %.2f s" % delay)
    main_id, main = session.log_in(PUPIL)
    check(set(session.windows()) == {main_id}, "after the login only the main window is open")
    session.screenshot("02-main-window.png")
    scale = SCREENS[0][1] / 100

    # The view's context menu, by the mouse.
    mx, my, mw, mh = geometry(main)
    session.x("xdotool", "mousemove", str(mx + mw // 2), str(my + mh // 2), "click", "3")
    menu_id = session.wait_for(lambda: sorted(set(session.windows()) - {main_id}),
                               "the context menu")[0]
    session.screenshot("02c-context-menu.png")
    session.key("Escape")
    session.wait_for(lambda: menu_id not in session.windows(), "the context menu to close")

    # English: 40 characters, 4 of them wrong, over two clock ticks at least.
    target = walk.text_of(session, "english.txt")[:40]
    mistakes, typed = with_mistakes(target, [3, 11, 22, 35], "xq")
    shot, before, started = practise(session, main_id, main, SCREENS[0], "ctrl+e", target,
                                     typed, walk.CHAR_WIDTH, "03-english-practice.png")
    walk.check_red_cells(shot, geometry(main), before, target, mistakes, walk.CHAR_WIDTH,
                         "English", scale)
    time.sleep(max(0.0, started + 3.2 - time.monotonic()))
    session.end_practice(main_id)
    row = session.sql("SELECT score_type, seconds FROM score WHERE student_no = '20240117'")
    check(row[0][0] == "英文测试" and int(row[0][1]) >= 2,
          "the English row is stored over the clock's ticks: %s" % row)

    # Chinese, each character through a keycode of its own.
    target = walk.text_of(session, "chinese.txt")[:5]
    mistakes, typed = with_mistakes(target, [2], "中文")
    shot, before, started = practise(session, main_id, main, SCREENS[0], "ctrl+c", target,
                                     typed, 2 * walk.CHAR_WIDTH, "05-chinese-practice.png")
    walk.check_red_cells(shot, geometry(main), before, target, mistakes, 2 * walk.CHAR_WIDTH,
                         "Chinese", scale)
    time.sleep(max(0.0, started + 2.5 - time.monotonic()))
    elapsed = time.monotonic() - started
    session.end_practice(main_id)
    stored = session.sql("SELECT elapsed_ms, key_presses FROM attempt WHERE kind = 111")
    check(len(stored) == 1 and abs(int(stored[0][0]) / 1000 - elapsed) < 1.0
          and stored[0][1] == str(len(typed) + 1),
          "the attempt's ms are the %.2f s from the space bar to Esc, its key presses the %d"
          " keys sent (Delete and the characters): %s" % (elapsed, len(typed) + 1, stored))

    # Lesson 1 (教学(&J) → 课程(&K): 指法课程 first), with a wrong
    # key in its first line and one in its last; lesson 2 is then open.
    session.press(main_id, "alt+j", "k", "Return")
    session.answer(COURSE_CAPTION, "Return", shot="21-course-lessons.png")
    with open(os.path.join(session.data, "course", "fingering.json"), encoding="utf-8") as f:
        lines = json.load(f)["lessons"][0]["lines"]
    wx, wy, ww, wh = geometry(main)

    def keyboard(shot, colour):  # the lower half of the window holds the keyboard
        return shot.count(wx, wy + wh // 2, ww, wh // 2 - 30, lambda p: p == colour)
    shot = session.wait_for(lambda: (lambda s: s if keyboard(s, NEXT_FILL) > 50 else None)(
        session.screenshot("22-lesson-next-key.png")), "the next key highlighted")
    check(keyboard(shot, WRONG_FILL) == 0, "before typing, no key of the keyboard is red")
    session.press(main_id)
    for i, line in enumerate(lines):
        at = 3 if i == 0 else len(line) - 1 if i == len(lines) - 1 else len(line)
        session.type(line[:at], delay=20)
        if at < len(line):
            session.type("g" if line[at] != "g" else "h", delay=0)
            if i == 0:
                check(keyboard(session.screenshot("23-lesson-wrong-key.png"), WRONG_FILL) > 50,
                      "a wrong key shows red on the keyboard")
            session.type(line[at:], delay=20)
    # The result shows in place once the lesson is stored.
    text = "".join(lines)
    stored = session.wait_for(
        lambda: session.sql("SELECT lesson, keystrokes, correct_keys, errors, passed,"
                            " (SELECT SUM(times) FROM lesson_miss) FROM lesson_attempt"),
        "the lesson's result")
    session.screenshot("24-lesson-result.png")
    check(stored == [["1", str(len(text) + 2), str(len(text)), "2", "1", "2"]],
          "lesson 1 is stored passed, with its two wrong keys: %s" % stored)
    session.press(main_id, "Return")  # 下一课, lesson 2 now open
    session.press(main_id, "Escape")  # nothing typed in lesson 2: leaves at once

    # 操作(&D) → 清除成绩记录 → 个人成绩 asks first; Enter takes the
    # default, No.
    before = session.sql("SELECT COUNT(*) FROM score")
    session.press(main_id, "alt+d", "Down", "Down", "Down", "Right", "Return")
    session.answer(walk.QUESTION_CAPTION, "Return", shot="08-clear-question.png")
    session.wait_alone(main_id)
    check(session.sql("SELECT COUNT(*) FROM score") == before == [["2"]],
          "answering No deletes none of her two rows")

    # The exit: No keeps the program; with the help window open Yes ends it.
    session.press(main_id, "ctrl+x")
    session.answer(walk.EXIT_CAPTION, "n", shot="09-exit-question.png")
    check(session.program.poll() is None and main_id in session.windows(),
          "answering No keeps the program running")
    session.press(main_id, "F2")
    session.show(HELP_CAPTION, "10-help.png")
    session.exit(main_id)

    for screen in SCREENS[1:]:
        session = new()
        session.start_display(screen[0])
        session.make_work_dir()
        session.start_program()
        main_id, main = session.log_in(PUPIL)
        # The 教学 menu stands in one column: Qt only adds a second one when
        # the items do not fit the screen's height.
        session.press(main_id, "alt+j")
        menu_id = session.wait_for(lambda: sorted(set(session.windows()) - {main_id}),
                                   "the 教学 menu")[0]
        menu_height = session.windows()[menu_id][4]
        session.screenshot("teaching-menu-%s.png" % screen[0])
        check(menu_height < 0.8 * int(screen[0].split("x")[1]),
              "%s: the 教学 menu is %d px tall, in one column" % (screen[0], menu_height))
        session.key("Escape", "Escape")
        session.wait_for(lambda: menu_id not in session.windows(), "the 教学 menu to close")
        target = walk.text_of(session, "english.txt")[:20]
        practise(session, main_id, main, screen, "ctrl+e", target, target, walk.CHAR_WIDTH,
                 "practice-%s.png" % screen[0])
        session.stop()


if __name__ == "__main__":
    sys.exit(walk.run_main(run))
