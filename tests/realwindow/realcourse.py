#!/usr/bin/env python3
"""The typing course in the built program, as a pupil and a teacher use it.

Usage: realcourse.py QE_BINARY DATA_DIR OUTPUT_DIR

The pupil opens 指法课程, starts lesson 1, types it with two wrong keys
(the key to type next is highlighted on the keyboard, a wrong key turns
red), passes, sees the result and finds lesson 2 open; the teacher opens
班级课程进度. realwindow.py runs the same steps within its own scenario.
The database and the screen are checked along the way; screenshots land
in OUTPUT_DIR.
"""

import json
import os
import sys

import realwindow as rw
from realwindow import check

COURSE_CAPTION = "指法课程"
RESULT_CAPTION = "课程成绩"
CLASS_CAPTION = "班级课程进度"
# 教学(&J): a pupil's first enabled item is 我的练习记录; 指法课程 is four
# below it (练习我的错字, 参加考试, 选择练习文章). A teacher's first is
# 班级成绩报表; 班级课程进度 is ten below it (课堂监控 among them).
PUPIL_COURSE_STEPS = 4
TEACHER_CLASS_STEPS = 10
# The keyboard's colours (course/KeyboardView.cpp).
NEXT_FILL = (0xff, 0xf1, 0x76)
WRONG_FILL = (0xe5, 0x39, 0x35)


def lesson_lines(session, number):
    with open(os.path.join(session.data, "course", "fingering.json"), encoding="utf-8") as f:
        return json.load(f)["lessons"][number - 1]["lines"]


def colour_points(image, window, colour):
    """How many pixels of exactly colour the lower half of a window holds
    (where the keyboard is)."""
    wx, wy, ww, wh = window
    top = wy + wh // 2
    return image.count(wx, top, ww, wh // 2 - 30, lambda p: p == colour)


def wrong_for(ch):
    """A key next to ch's on the home row, never ch itself."""
    return "g" if ch != "g" else "h"


def pupil_lesson(session, main_id, main):
    """Lesson 1 with two wrong keys, passed; lesson 2 then open."""
    rw_geometry = rw.geometry(main)
    session.focus(main_id)
    session.key("alt+j", *(["Down"] * PUPIL_COURSE_STEPS), "Return")
    course_id, _ = session.wait_window(COURSE_CAPTION)
    session.screenshot("21-course-lessons.png")
    session.focus(course_id)
    session.key("Return")
    session.wait_gone(COURSE_CAPTION)

    scores_before = session.sql("SELECT COUNT(*) FROM score")
    lines = lesson_lines(session, 1)
    text = "".join(lines)
    shot = session.wait_for(
        lambda: (lambda s: s if colour_points(s, rw_geometry, NEXT_FILL) > 50 else None)(
            session.screenshot("22-lesson-next-key.png")),
        "the lesson screen with the next key highlighted")
    check(colour_points(shot, rw_geometry, WRONG_FILL) == 0,
          "before typing, no key of the keyboard is red")

    # Two wrong keys: one in the first line, one in the last.
    session.focus(main_id)
    first, rest = lines[0][:3], lines[0][3:]
    session.type(first)
    session.type(wrong_for(rest[0]), delay=0)
    shot = session.screenshot("23-lesson-wrong-key.png")
    check(colour_points(shot, rw_geometry, WRONG_FILL) > 50,
          "a wrong key shows red on the keyboard")
    session.type(rest)
    for line in lines[1:-1]:
        session.type(line, delay=20)
    last = lines[-1]
    session.type(last[:-1], delay=20)
    session.type(wrong_for(last[-1]), delay=0)
    session.type(last[-1])
    result_id, _ = session.wait_window(RESULT_CAPTION)
    session.screenshot("24-lesson-result.png")

    stored = session.sql("SELECT course, lesson, keystrokes, correct_keys, errors, passed, stars "
                         "FROM lesson_attempt")
    check(stored and stored[0][:6] == ["fingering", "1", str(len(text) + 2), str(len(text)), "2",
                                       "1"],
          "lesson 1 is stored with its two wrong keys and passed: %s" % stored)
    missed = session.sql("SELECT SUM(times) FROM lesson_miss")
    check(missed == [["2"]], "the two missed keys are stored: %s" % missed)
    scores_after = session.sql("SELECT COUNT(*) FROM score")
    check(scores_after == scores_before, "a lesson adds no score row: %s" % scores_after)

    # 下一课 is the default button once lesson 2 is open.
    session.focus(result_id)
    session.key("Return")
    session.wait_gone(RESULT_CAPTION)
    session.screenshot("25-lesson-2.png")
    session.focus(main_id)
    session.key("Escape")  # nothing typed yet: leaves without asking
    session.key("alt+j", *(["Down"] * PUPIL_COURSE_STEPS), "Return")
    course_id, _ = session.wait_window(COURSE_CAPTION)
    session.screenshot("26-course-lesson-2-open.png")
    session.focus(course_id)
    session.key("Escape")
    session.wait_gone(COURSE_CAPTION)


def teacher_course(session, main_id):
    """班级课程进度 for the pupil's class."""
    session.focus(main_id)
    session.key("alt+j", *(["Down"] * TEACHER_CLASS_STEPS), "Return")
    class_id, _ = session.wait_window(CLASS_CAPTION)
    session.screenshot("27-teacher-course.png")
    session.focus(class_id)
    session.key("Escape")
    session.wait_gone(CLASS_CAPTION)


def run(session):
    session.start_display()
    session.make_work_dir()
    session.start_program()
    main_id, main = log_in(session, rw.PUPIL, super_user=False)
    pupil_lesson(session, main_id, main)
    rw.log_off_and_in(session, main_id, rw.SUPER_USER, super_user=True)
    teacher_course(session, main_id)
    session.program.kill()


def log_in(session, user, super_user):
    login_id, _ = session.wait_window(rw.LOGIN_CAPTION)
    session.focus(login_id)
    if super_user:
        session.key("Up")
    session.key("Tab")
    rw.type_text(session, user["name"])
    session.key("Tab")
    session.type(user["password"])
    session.key("Return")
    session.wait_gone(rw.LOGIN_CAPTION)
    return session.wait_window(rw.MAIN_CAPTION)


if __name__ == "__main__":
    sys.exit(rw.run_main(sys.argv, __doc__, run))
