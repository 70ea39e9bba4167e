#!/usr/bin/env python3
# The teacher's walk: three programs on one database, the teacher's and the
# first pupil's on one X server, the second pupil's on another (each pupil's
# window has the keyboard, as on a lab's own machines). The class 三年级二班
# has an assignment on a short library text; the teacher opens 课堂监控.
# Both pupils get 今日任务 at their login and start the assignment; while
# they type the teacher's grid frames both as at work. The first pupil
# finishes the assignment; the teacher exports its report through Qt's file
# chooser (read back with openpyxl), then opens a class list through the
# chooser and cancels its preview.

import os
import sys
import time

import walk
from walk import PUPIL, SUPER_USER, check

MONITOR_CAPTION = "课堂监控"
TODAY_CAPTION = "今日任务"
ASSIGNMENTS_CAPTION = "作业"
REPORT_CAPTION = "作业完成情况 - 本周作业"
IMPORT_CAPTION = "导入学生名单"
IMPORT_CHOOSER_CAPTION = "导入学生名单:每行姓名、班级、学号、密码(可不填)"
# 教学(&J) → 班级(&B): 课堂监控 first, 导入学生名单 eight below it; 备课(&L):
# 作业 two below 练习文章.
IMPORT_STEPS, ASSIGNMENTS_STEPS = 8, 2
SECOND = {"name": "wangfang", "class": PUPIL["class"], "student_no": "20240118",
          "password": "fang2024"}
HOMEWORK = "asdf jkl"
# The tiles' frame of a pupil at work (monitor/PupilTiles.cpp).
AT_WORK = (0x2e, 0x7d, 0x32)
# A class list as a teacher keeps it: a new pupil, one refused (a name taken).
CLASS_LIST = ("\ufeff姓名,班级,学号,密码\r\nzhaolei,三年级一班,20240140,lei001\r\n"
              "lihua,三年级一班,20240142,\r\n")


def live_rows(session):
    return session.sql("SELECT user_name, activity, typed_units, screen_units FROM live_progress"
                       " ORDER BY user_name")


def run(new, _):
    teacher = new()
    teacher.start_display()
    teacher.make_work_dir(SECOND)
    teacher.sql("INSERT INTO practice_text (title, kind, body, updated_at) VALUES "
                "('Homework', 112, '%s', '2024-09-01 08:00:00.000')" % HOMEWORK)
    teacher.add_assignment(112)
    first, second = new(), new()
    first.env = dict(teacher.env)  # the teacher's X server
    second.start_display()
    first.share(teacher)
    second.share(teacher)
    teacher.start_program("teacher")
    teacher_main, _ = teacher.log_in(SUPER_USER, super_user=True)

    teacher.press(teacher_main, "alt+j", "b", "Return")
    monitor_id, _ = teacher.wait_window(MONITOR_CAPTION)

    # Each pupil gets 今日任务 right after the login; its 开始 (the
    # default) starts the assignment, its first row.
    mains = []  # the pupils' main windows
    for pupil, user, name in ((first, PUPIL, "pupil1"), (second, SECOND, "pupil2")):
        pupil.start_program(name)
        mains.append(pupil.log_in(user, today=None)[0])
        pupil.answer(TODAY_CAPTION, "Return", shot="31-today-%s.png" % name)
        # The homework's screen in place of the credits, then the space bar.
        walk.practice_screen(pupil, walk.geometry(pupil.windows()[mains[-1]]),
                             "32-ready-%s.png" % name)
        pupil.press(mains[-1], "space")
        if pupil is first:
            homework_started = time.monotonic()
        pupil.type(HOMEWORK[:4] if pupil is first else HOMEWORK[:3])
    first_main = mains[0]
    teacher.wait_for(lambda: [row[1] for row in live_rows(teacher)] == ["1", "1"],
                     "the reports of both practices")
    # A file database has no notices: the grid reads the class every 5 s.
    # Raised above the first pupil's window, which keeps the keyboard.
    teacher.x("xdotool", "windowraise", monitor_id)

    def both_at_work():
        shot = teacher.screenshot("34-monitor-grid.png")
        at_work = shot.count(*walk.geometry(teacher.windows()[monitor_id]),
                             lambda p: p == AT_WORK)
        return at_work if at_work > 600 else None

    at_work = teacher.wait_for(both_at_work, "the grid to frame both tiles as at work")
    rows = live_rows(teacher)
    check(rows[0][3] == str(len(HOMEWORK)),
          "the grid frames both tiles as at work (%d green points), the homework's progress"
          " is of its %d characters: %s" % (at_work, len(HOMEWORK), rows))

    # The first pupil types the rest and, past the 30 s an attempt must last
    # to count, ends it with Esc: the assignment is done.
    first.press(first_main)
    first.type(HOMEWORK[4:])
    time.sleep(max(0.0, homework_started + 31 - time.monotonic()))
    # The result shows on the practice's own screen, stored, with no dialog.
    first.press(first_main, "Escape")
    first.answer(walk.QUESTION_CAPTION, "Return")
    first.wait_for(lambda: first.sql("SELECT COUNT(*) FROM score") == [["1"]],
                   "the homework's result stored")
    check(set(first.windows()) == {first_main}, "the homework's result needs no dialog")

    # The assignment's report, exported as shown.
    teacher.answer(MONITOR_CAPTION, "Escape")
    teacher.press(teacher_main, "alt+j", "l", *["Down"] * ASSIGNMENTS_STEPS, "Return")
    teacher.press(teacher.wait_window(ASSIGNMENTS_CAPTION)[0], "alt+r")
    report_id = teacher.show(REPORT_CAPTION, "36-assignment-report.png")
    xlsx = os.path.join(teacher.work, "assignment.xlsx")
    teacher.export(report_id, "alt+x", xlsx, "37-assignment-exported.png")
    rows = walk.read_table(xlsx)["sheets"][0]["rows"]
    shown = [[cell[1] for cell in row[:4]] for row in rows[2:]]
    check(rows[0][0][1].startswith("本周作业 完成情况")
          and shown == [[PUPIL["student_no"], PUPIL["name"], "已完成", "1/1"],
                        [SECOND["student_no"], SECOND["name"], "未开始", "0/1"]],
          "the report's export: %s, %s" % (rows[0][0][1], shown))
    teacher.answer(REPORT_CAPTION, "Escape")
    teacher.answer(ASSIGNMENTS_CAPTION, "Escape")

    # A class list through the open-file chooser: its preview, cancelled,
    # has written nothing.
    path = os.path.join(teacher.work, "classlist.csv")
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write(CLASS_LIST)
    users = teacher.sql("SELECT COUNT(*) FROM user")
    teacher.press(teacher_main, "alt+j", "b", *["Down"] * IMPORT_STEPS, "Return")
    teacher.choose_file(IMPORT_CHOOSER_CAPTION, path)
    teacher.answer(IMPORT_CAPTION, "Escape", shot="13-import-preview.png")
    check(teacher.sql("SELECT COUNT(*) FROM user") == users, "the preview has written nothing")
    teacher.exit(teacher_main)


if __name__ == "__main__":
    sys.exit(walk.run_main(run))
