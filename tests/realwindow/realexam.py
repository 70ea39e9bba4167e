#!/usr/bin/env python3
"""A teacher sets a 1-minute exam and a pupil takes it, in the built program.

Usage: realexam.py QE_BINARY DATA_DIR OUTPUT_DIR

On its own Xvfb with a fresh working directory and database (one pupil of
三年级二班, one Chinese text already in the library): the teacher logs in,
adds an English text to the library (练习文章) and looks at the library,
sets a 1-minute exam on it for the pupil's class with Backspace refused,
and opens it (考试). The pupil logs in, takes the exam (参加考试), starts
it with the space bar, types with a mistake and a refused Backspace, and
waits: the time limit ends the exam by itself and its result is stored
without a question. The teacher then opens the exam's results. The
database is checked along the way; screenshots land in OUTPUT_DIR.
"""

import os
import subprocess
import sys
import time

import realwindow as rw
from realwindow import check

TEACHER = ("老师", "laoshi1")
LIBRARY_CAPTION = "练习文章"
EDIT_CAPTION = "新建练习文章"
EXAMS_CAPTION = "考试"
EXAM_EDIT_CAPTION = "新建考试"
OFFER_CAPTION = "考试"
EXAM_RESULT_CAPTION = "考试结束"
EXAM_TITLE = "期中打字测验"
TEXT_TITLE = "Exam text"
CHINESE_TEXT = ("春晓", "春眠不觉晓，处处闻啼鸟。夜来风雨声，花落知多少。" * 40)
ENGLISH_BODY = ("The quick brown fox jumps over the lazy dog. " * 40).strip()
LIBRARY_STEPS = 6
EXAMS_STEPS = 7


def paste(session, text):
    """Types text through the clipboard, as Chinese cannot be typed by
    xdotool without a keyboard map of its own."""
    subprocess.run(["xclip", "-selection", "clipboard", "-i"], input=text.encode(),
                   env=session.env, check=True, timeout=10,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    session.key("ctrl+v")


def log_in(session, kind_up, name, password):
    """The login dialog: the kind list (普通用户 preselected; Up reaches
    超级用户), the name, the password."""
    login_id, _ = session.wait_window(rw.LOGIN_CAPTION)
    session.focus(login_id)
    if kind_up:
        session.key("Up")
    session.key("Tab")
    paste(session, name)
    session.key("Tab")
    session.type(password)
    session.key("Return")
    session.wait_gone(rw.LOGIN_CAPTION)


def log_off(session, main_id):
    """操作(&D) → 注销当前用户(&U), by its mnemonic."""
    session.focus(main_id)
    session.key("alt+d", "u")


def teaching_menu(session, main_id, downs):
    """教学(&J), then the item downs steps below the first enabled one; the
    keys pass over disabled items. A teacher's first is 班级成绩报表, with
    选择练习文章, 练习文章 and 考试 five to seven steps below; a pupil's first
    is 我的练习记录, then 练习我的错字 and 参加考试."""
    session.focus(main_id)
    session.key("alt+j", *(["Down"] * downs), "Return")


def run(session):
    session.start_display()
    session.make_work_dir()
    session.sql("INSERT INTO practice_text (title, kind, body, updated_at) VALUES "
                "('%s', 111, '%s', '2024-09-01 08:00:00.000')" % CHINESE_TEXT)
    session.start_program()
    log_in(session, True, *TEACHER)
    main_id, main = session.wait_window(rw.MAIN_CAPTION)

    # 练习文章: a new English text, typed in, then the library.
    teaching_menu(session, main_id, LIBRARY_STEPS)
    library_id, _ = session.wait_window(LIBRARY_CAPTION)
    session.focus(library_id)
    session.key("alt+n")
    edit_id, _ = session.wait_window(EDIT_CAPTION)
    session.focus(edit_id)
    session.type(TEXT_TITLE)
    session.key("Tab", "Down")  # the kind: 英文
    session.key("Tab")
    session.type(ENGLISH_BODY, delay=2)
    session.screenshot("11-text-edit.png")
    session.key("alt+s")
    session.wait_gone(EDIT_CAPTION)
    stored = session.sql("SELECT title, kind, length(body) FROM practice_text ORDER BY id")
    check(stored == [[CHINESE_TEXT[0], "111", str(len(CHINESE_TEXT[1]))],
                     [TEXT_TITLE, "112", str(len(ENGLISH_BODY))]],
          "the library holds the Chinese text and the new English one: %s"
          % [row[:2] for row in stored])
    session.screenshot("12-text-library.png")
    session.focus(library_id)
    session.key("Escape")
    session.wait_gone(LIBRARY_CAPTION)

    # 考试: a new exam of 1 minute on the English text, Backspace refused.
    teaching_menu(session, main_id, EXAMS_STEPS)
    exams_id, _ = session.wait_window(EXAMS_CAPTION)
    session.focus(exams_id)
    session.key("alt+n")
    exam_edit_id, _ = session.wait_window(EXAM_EDIT_CAPTION)
    session.focus(exam_edit_id)
    paste(session, EXAM_TITLE)
    # The texts in Chinese order: 春晓, then Exam text.
    session.key("Tab", "End", "Tab", "Tab", "ctrl+a")
    session.type("1")
    session.key("Tab", "Down", "Tab", "Tab", "space")
    session.screenshot("13-exam-settings.png")
    session.key("alt+y")
    session.wait_gone(EXAM_EDIT_CAPTION)
    # The new exam is the one chosen.
    session.focus(exams_id)
    session.key("alt+o")
    session.wait_for(lambda: session.sql("SELECT is_open FROM exam") == [["1"]],
                     "the exam to open")
    exam = session.sql("SELECT e.title, t.title, e.screen, e.minutes, e.backspace_allowed, "
                       "e.retake_allowed, c.class_name FROM exam e "
                       "JOIN practice_text t ON t.id = e.text_id "
                       "JOIN exam_class c ON c.exam_id = e.id")
    check(exam == [[EXAM_TITLE, TEXT_TITLE, "1", "1", "0", "0", rw.PUPIL["class"]]],
          "the exam is stored as set: %s" % exam)
    session.screenshot("14-exams.png")
    session.key("Escape")
    session.wait_gone(EXAMS_CAPTION)
    log_off(session, main_id)

    # The pupil is told of the exam right after the login and starts it
    # from there.
    log_in(session, False, rw.PUPIL["name"], rw.PUPIL["password"])
    main_id, main = session.wait_window(rw.MAIN_CAPTION)
    offer_id, _ = session.wait_window(OFFER_CAPTION)
    session.screenshot("15-exam-offer.png")
    session.focus(offer_id)
    session.key("alt+y")
    session.wait_gone(OFFER_CAPTION)
    session.focus(main_id)
    session.key("space")
    started = time.monotonic()
    target = ENGLISH_BODY[:30]
    typed = target[:12] + "#" + target[13:]
    session.type(typed)
    session.key("BackSpace")
    session.wait_for(lambda: session.sql("SELECT finished FROM exam_sitting") == [["0"]],
                     "the sitting to show as running")
    time.sleep(max(0.0, started + 4 - time.monotonic()))
    session.screenshot("16-exam-running.png")
    check(set(session.windows()) == {main_id}, "no question interrupts the exam")

    # The time limit ends it: the exam's own result, stored, with OK alone.
    result_id, _ = session.wait_window(EXAM_RESULT_CAPTION, timeout=75)
    ended = time.monotonic() - started
    check(57 <= ended <= 66, "the exam ended by itself %.1f s after the space bar" % ended)
    session.screenshot("17-exam-result.png")
    sitting = session.sql("SELECT finished, end_reason, typed_units, correct_units, elapsed_ms, "
                          "speed_ms FROM exam_sitting")
    check(len(sitting) == 1 and sitting[0][:4] == ["1", "3", str(len(typed)),
                                                   str(len(typed) - 1)],
          "the sitting is stored at the limit, before OK: %s" % sitting)
    check(abs(int(sitting[0][4]) - 60000) <= 1500, "it took %s ms" % sitting[0][4])
    check(sitting[0][5] == "60000", "its speed is over the whole minute: %s ms" % sitting[0][5])
    session.focus(result_id)
    session.key("Return")
    session.wait_gone(EXAM_RESULT_CAPTION)
    scores = session.sql("SELECT name, score_type, seconds FROM score")
    check(len(scores) == 1 and scores[0][:2] == [rw.PUPIL["name"], "英文测试"]
          and 59 <= int(scores[0][2]) <= 61,
          "one score row with the exam's seconds: %s" % scores)
    check(session.sql("SELECT a.end_reason, t.screen FROM attempt a "
                      "JOIN attempt_text t ON t.attempt_id = a.id") == [["3", "1"]],
          "the attempt names the screen and ended by the time limit")
    log_off(session, main_id)

    # The teacher reads the results.
    log_in(session, True, *TEACHER)
    main_id, main = session.wait_window(rw.MAIN_CAPTION)
    teaching_menu(session, main_id, EXAMS_STEPS)
    exams_id, _ = session.wait_window(EXAMS_CAPTION)
    session.focus(exams_id)
    session.key("alt+r")
    results_id, _ = session.wait_window("考试成绩 - " + EXAM_TITLE)
    session.screenshot("18-exam-results.png")

    # Exported to Excel as shown, read back with openpyxl.
    xlsx = os.path.join(session.work, "exam.xlsx")
    session.focus(results_id)
    session.key("alt+x")
    rw.choose_file(session, rw.EXPORT_CAPTION, xlsx)
    rw.accept_notice(session, "19-exam-exported.png")
    rows = rw.read_table(session, xlsx)["sheets"][0]["rows"]
    check(rows[0][0][1].startswith(EXAM_TITLE + " 考试成绩"),
          "the export's title names the exam: %s" % rows[0][0][1])
    check([cell[1] for cell in rows[2][:4]] == [rw.PUPIL["name"], rw.PUPIL["class"],
                                                rw.PUPIL["student_no"], "已完成"]
          and rows[2][5][:2] == ["n", int((len(typed) - 1) / len(typed) * 100)]
          and rows[2][7][0] == rows[2][8][0] == "n" and rows[2][9][1] == "时间到",
          "the pupil's row: finished, the accuracy, 击键 and 码长 as numbers, ended by the"
          " time: %s"
          % rows[2])
    session.focus(results_id)
    session.key("Escape")
    session.wait_gone("考试成绩 - " + EXAM_TITLE)
    session.focus(exams_id)
    session.key("Escape")
    session.wait_gone(EXAMS_CAPTION)

    session.focus(main_id)
    session.key("ctrl+x")
    exit_id, _ = session.wait_window(rw.EXIT_CAPTION)
    session.focus(exit_id)
    session.key("y")
    status = session.program.wait(timeout=15)
    check(status == 0, "the program ends with status %d" % status)


def main(argv):
    return rw.run_main(argv, __doc__, run)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
