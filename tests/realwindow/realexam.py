#!/usr/bin/env python3
# The exam's walk, on the real clock: the teacher sets a 1-minute exam on an
# English text of the library for the pupil's class with Backspace refused
# and opens it (考试). The pupil finds the exam first in 今日任务 at her
# login, beside her class's assignment, and starts it from there; types with
# a mistake and a refused Backspace and waits: the time limit ends the exam
# by itself, without a question, and its result is stored before she closes
# the exam's own result window; 今日任务 then shows her the assignment left.

import sys
import time

import walk
from walk import PUPIL, SUPER_USER, check

TODAY_CAPTION = "今日任务"
EXAM_TITLE = "期中打字测验"
TEXT_TITLE = "Exam text"
CHINESE_TEXT = ("春晓", "春眠不觉晓，处处闻啼鸟。夜来风雨声，花落知多少。" * 40, 111)
ENGLISH_BODY = ("The quick brown fox jumps over the lazy dog. " * 40).strip()


def run(new, _):
    session = new()
    session.start_display()
    session.make_work_dir()
    for text in (CHINESE_TEXT, (TEXT_TITLE, ENGLISH_BODY, 112)):
        session.sql("INSERT INTO practice_text (title, body, kind, updated_at) VALUES "
                    "('%s', '%s', %d, '2024-09-01 08:00:00.000')" % text)
    session.add_assignment(111)
    session.start_program()
    main_id, _ = session.log_in(SUPER_USER, super_user=True)

    # 考试 → 新建: 1 minute on the English text (after 春晓 in Chinese
    # order), Backspace refused; the school's one class comes ticked and a
    # new exam opens as it is saved.
    walk.new_exam(session, walk.open_exams(session, main_id), EXAM_TITLE, 1, "Tab", "Down")
    session.screenshot("13-exam-settings.png")
    session.key("alt+y")
    session.wait_gone(walk.EXAM_EDIT_CAPTION)
    session.wait_for(lambda: session.sql("SELECT is_open FROM exam") == [["1"]], "the exam open")
    session.answer(walk.EXAMS_CAPTION, "Escape", shot="14-exams.png")
    session.press(main_id, "alt+d", "u")  # 操作(&D) → 注销当前用户(&U)

    main_id, _ = session.log_in(PUPIL, today=None)
    session.answer(TODAY_CAPTION, "Return", shot="15-today-exam-first.png")
    session.press(main_id, "space")
    started = time.monotonic()
    # The text shows once the server recorded the start: she waits for it.
    session.wait_for(lambda: session.sql("SELECT finished FROM exam_sitting") == [["0"]],
                     "the sitting to show as running")
    target = ENGLISH_BODY[:30]
    typed = target[:12] + "#" + target[13:]
    session.type(typed)
    session.key("BackSpace")
    time.sleep(max(0.0, started + 4 - time.monotonic()))
    session.screenshot("16-exam-running.png")
    check(set(session.windows()) == {main_id}, "no question nor 今日任务 interrupts the exam")

    # The result shows over the exam's screen once the sitting is stored.
    session.wait_for(lambda: session.sql("SELECT finished FROM exam_sitting") == [["1"]],
                     "the exam's result", timeout=75)
    ended = time.monotonic() - started
    session.screenshot("17-exam-result.png")
    check(57 <= ended <= 67, "the exam ended by itself %.1f s after the space bar" % ended)
    sitting = session.sql("SELECT finished, end_reason, typed_units, correct_units, elapsed_ms,"
                          " speed_ms FROM exam_sitting")
    check(len(sitting) == 1 and sitting[0][:4] == ["1", "3", str(len(typed)), str(len(typed) - 1)]
          and abs(int(sitting[0][4]) - 60000) <= 1500 and sitting[0][5] == "60000",
          "stored at the limit before OK, Backspace refused, over the whole minute: %s"
          % sitting)
    session.press(main_id, "Return")
    # Her class's assignment is still to do: 今日任务 comes back.
    session.answer(TODAY_CAPTION, "Escape", shot="18-today-after-exam.png")
    session.exit(main_id)


if __name__ == "__main__":
    sys.exit(walk.run_main(run))
