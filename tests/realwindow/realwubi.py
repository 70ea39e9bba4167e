#!/usr/bin/env python3
# The 五笔 walk, on a 1366x768 screen: IBus with Debian's 五笔 table
# (ibus-table-wubi) on its own X server and D-Bus session, its settings in a
# fresh home folder, as the input methods' walk has them. The pupil, with
# the 五笔 course's first eight lessons behind her, opens 五笔课程; the
# lesson screen shows the keyboard with each key's 字根. She switches 五笔 on
# and types lesson 9, 一级简码, each character as its key and Space through
# the input method: the lesson counts every character right and every key
# pressed, and keeps them.

import json
import os
import sys

import realinput
import walk
from walk import PUPIL, check

COURSE_CAPTION = "五笔课程"
ENGINE = "table:wubi-haifeng86"
LESSON = 9
# 教学(&J) → 课程(&K): 五笔课程 is two below 指法课程.
WUBI_STEPS = 2

IBUS_WUBI_KEYFILE = realinput.IBUS_KEYFILE.replace("'libpinyin'", "'%s'" % ENGINE)


class WubiSession(realinput.InputMethodSession):
    def __init__(self, qe, data, out):
        super().__init__(qe, data, out, "ibus")

    def prepare_home(self):
        # IBus as for pinyin, with the 五笔 table in its place; the display
        # size the screen gives.
        super().prepare_home()
        config = os.path.join(self.home, ".config")
        with open(os.path.join(config, "glib-2.0", "settings", "keyfile"), "w",
                  encoding="utf-8") as f:
            f.write(IBUS_WUBI_KEYFILE)
        os.remove(os.path.join(config, "QE青禾中英文测试系统", "qe.conf"))

    def engine(self):
        return self.x("ibus", "engine", check_rc=False).strip()


def run(new, _):
    session = new()
    session.start_display("1366x768")
    session.make_work_dir()
    session.prepare_home()
    pupil = session.sql("SELECT qe_key FROM user WHERE name = '%s'" % PUPIL["name"])[0][0]
    for lesson in range(1, LESSON):
        session.sql("INSERT INTO lesson_attempt (user_key, user_name, class_name, student_no,"
                    " kind, course, lesson, started_at, ended_at, elapsed_ms, keystrokes,"
                    " correct_keys, errors, backspaces, stars, passed) VALUES (%s, '%s', '%s',"
                    " '%s', 116, 'wubi', %d, '2024-09-02 08:00:00.000',"
                    " '2024-09-02 08:05:00.000', 300000, 100, 100, 0, 0, 1, 1)"
                    % (pupil, PUPIL["name"], PUPIL["class"], PUPIL["student_no"], lesson))
    with open(os.path.join(session.data, "course", "wubi.json"), encoding="utf-8") as f:
        lesson = json.load(f)["lessons"][LESSON - 1]
    check(lesson["title"] == "一级简码", "lesson %d is 一级简码" % LESSON)
    items = [item for line in lesson["lines"] for item in line]
    session.start_input_method()
    session.start_program()
    main_id, _ = session.log_in(PUPIL)

    # 五笔 on in the main window, then the course: lesson 9 is the one
    # reached, chosen at once.
    session.press(main_id, "ctrl+space")
    session.wait_for(lambda: session.engine() == ENGINE, "IBus's 五笔 table to be on")
    session.press(main_id, "alt+j", "k", *["Down"] * WUBI_STEPS, "Return")
    session.answer(COURSE_CAPTION, "Return", shot="01-wubi-course.png")
    session.wait_alone(main_id)
    session.screenshot("02-wubi-keyboard.png")
    session.press(main_id)  # without a window manager the focus went with the dialog

    # Each character: its key, and Space to commit the first candidate.
    sent = 0
    for text, shortest, *_ in items:
        check(len(shortest) == 1, "%s's shortest code is one key (%s)" % (text, shortest))
        session.key(shortest, "space")
        sent += 2
        if sent == 2:
            session.screenshot("03-wubi-typing.png")
    # The result shows in place once the lesson is stored.
    stored = session.wait_for(
        lambda: session.sql("SELECT course, lesson, correct_keys, errors, key_presses"
                            " FROM lesson_attempt WHERE lesson = %d" % LESSON),
        "the lesson's result")
    session.screenshot("04-wubi-result.png")
    check(stored == [["wubi", str(LESSON), str(len(items)), "0", str(sent)]],
          "the lesson keeps the %d characters typed right through IBus and the %d keys"
          " pressed: %s" % (len(items), sent, stored))
    session.press(main_id, "Escape")
    session.wait_alone(main_id)
    session.exit(main_id)


if __name__ == "__main__":
    sys.exit(walk.run_main(run, WubiSession))
