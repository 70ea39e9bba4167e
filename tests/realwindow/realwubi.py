#!/usr/bin/env python3
# The 五笔 walk, on a 1366x768 screen: IBus with Debian's 五笔 table
# (ibus-table-wubi) on its own X server and D-Bus session, its settings in a
# fresh home folder, as the input methods' walk has them. The pupil, with
# the 五笔 course's first eight lessons behind her, opens 五笔课程; the
# lesson screen shows the keyboard with each key's 字根. She switches 五笔 on
# and types lesson 9, 一级简码, each character as its key and Space through
# the input method: the lesson counts every character right and every key
# pressed, and keeps them. Then she types the start of a Chinese practice
# through the table, with a word committed whole, a character committed and
# taken back and a candidate picked by its digit; 我的练习记录 shows the
# figures a hand count of the keys gives, and 理论码长 below 码长.

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

# The practice's first 13 characters through the table: each step's code,
# the keys that end it and the cells it commits. 新学期, 开始 and 第一次 are
# words of the table; 我 is committed and taken back, then picked as the
# second candidate of trny (我心 is the first).
PRACTICE_TEXT = "新学期开始了，我们班第一次"
PRACTICE = [
    ("uiad", ["space"], 3),
    ("gavc", ["space"], 2),
    ("b", ["space"], 1),
    (None, ["comma"], 1),
    ("q", ["space", "BackSpace"], 0),
    ("trny", ["2"], 1),
    ("wu", ["space"], 1),
    ("gyt", ["space"], 1),
    ("tguq", ["space"], 3),
]
COMMITS = [["新学期", "uiad\u2423", "0", "0"], ["开始", "gavc\u2423", "0", "0"],
           ["了", "b\u2423", "0", "0"], ["，", ",", "0", "0"], ["我", "q\u2423", "0", "1"],
           ["我", "\u232btrny2", "1", "0"], ["们", "wu\u2423", "0", "0"],
           ["班", "gyt\u2423", "0", "0"], ["第一次", "tguq\u2423", "0", "0"]]
# The display size a 1366x768 screen gives.
SCALE = 1.25

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
    main_id, main = session.log_in(PUPIL)

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
    practise(session, main_id, main)
    session.exit(main_id)


def practise(session, main_id, main):
    # 五笔 off, the Chinese practice chosen and begun, 五笔 on again.
    session.press(main_id, "ctrl+space")
    session.wait_for(lambda: session.engine() != ENGINE, "IBus's 五笔 table to be off")
    session.press(main_id, "ctrl+c")
    walk.practice_screen(session, walk.geometry(main), "05-practice.png", SCALE)
    session.key("space", "ctrl+space")
    session.wait_for(lambda: session.engine() == ENGINE, "IBus's 五笔 table to be on")
    cells = sum(count for _, _, count in PRACTICE)
    target = walk.text_of(session, "chinese.txt")[:cells]
    check(target == PRACTICE_TEXT, "the practice begins with %s" % PRACTICE_TEXT)
    for number, (code, keys, _) in enumerate(PRACTICE, 1):
        if code:
            session.type(code)
            session.wait_for(lambda: realinput.candidate_window(session),
                             "the candidates of %s" % code)
        session.screenshot("06-practice-%d.png" % number)
        session.key(*keys)
        session.wait_for(lambda: not realinput.candidate_window(session),
                         "the candidates of %s to go" % code)
    session.screenshot("07-practice-typed.png")
    session.end_practice(main_id)

    # The keys the window receives: Control of Ctrl+Space (IBus keeps its
    # Space), then every key of the steps.
    received = 1 + sum(len(code or "") + len(keys) for code, keys, _ in PRACTICE)
    commits = session.sql("SELECT committed, keys_typed, picked, deleted"
                          " FROM attempt_commit ORDER BY position")
    check(commits == COMMITS, "the commits keep the keys sent for each: %s" % commits)

    # 我的练习记录 against a hand count: 回改 1 (我 by q␣) of 13 standing;
    # 键准 leaves out the Backspace and the two keys of that 我; 选重 1 (我
    # by its digit); 打词率: 新学期, 开始 and 第一次 of the 13. 理论码长:
    # uiad gavc b␣ , trwu gyt␣ tguq, 23 keys, below 码长.
    session.press(main_id, "alt+j", *["Down"] * realinput.PROGRESS_STEPS, "Return")
    progress_id = session.show(realinput.PROGRESS_CAPTION, "08-progress.png")
    row = realinput.copy(session, progress_id, ["ctrl+c"], lambda t: len(t.split("\t")) >= 12,
                         "a row of 我的练习记录 to copy").split("\t")
    figures = [row[i] for i in (7, 9, 10, 11)]
    wanted = ["1 (%.1f%%)" % (100 / (cells + 1)), "%d%%" % ((received - 1 - 2) * 100 // received),
              "1 (%.1f/百字)" % (100 / cells), "%d%%" % (8 * 100 // cells)]
    check(figures == wanted, "回改, 键准, 选重 and 打词率 read %s, the hand count %s"
          % (figures, wanted))
    shown = realinput.shortest_keys(session, progress_id, "五笔")
    wanted = ("%.2f" % (received / cells), "%.2f" % (23 / cells))
    check(shown == wanted,
          "码长 and 理论码长 read %s, the hand count %s" % (shown, wanted))
    session.screenshot("09-progress-loss.png")
    session.press(progress_id, "Escape")
    session.wait_gone(realinput.PROGRESS_CAPTION)


if __name__ == "__main__":
    sys.exit(walk.run_main(run, WubiSession))
