#!/usr/bin/env python3
"""课堂监控 and 作业 in the built program: a teacher's grid of the class
while two pupils' programs type, and a pupil completing an assignment.

Usage: realmonitor.py QE_BINARY DATA_DIR OUTPUT_DIR

With a fresh working directory and database, three programs run on the
same database: the teacher's and the first pupil's on one Xvfb, the second
pupil's on another, so that each pupil's window has the keyboard as on a
lab's own machines. The class 三年级二班 has an assignment on a short
library text and an open exam. The teacher logs in and opens 课堂监控. The
first pupil logs in, leaves the exam offered for later, is then shown
我的作业 and starts the assignment from there; the second pupil takes the
exam from its offer, and no assignment list interrupts it. Both type; the
grid shows one practising and one in the exam. The first pupil then types the rest of the screen and
finds the assignment done in 我的作业. The teacher opens the assignment's
report and exports it (read back with openpyxl). The database is checked
along the way; screenshots land in OUTPUT_DIR.
"""

import os
import subprocess
import sys
import time

import realwindow as rw
from realwindow import check
from realexam import EXAM_EDIT_CAPTION, EXAMS_CAPTION, log_in, paste, teaching_menu

MONITOR_CAPTION = "课堂监控"
MINE_CAPTION = "我的作业"
OFFER_CAPTION = "考试"
ASSIGNMENTS_CAPTION = "作业"
REPORT_CAPTION = "作业完成情况 - 本周作业"
# 教学(&J): a teacher's first enabled item is 班级成绩报表, 课堂监控 is four
# below it; a pupil's first is 我的练习记录, 我的作业 is six below it (after
# 练习我的错字, 参加考试, 选择练习文章, 指法课程 and 拼音课程).
# 考试 is the teacher's seventh below the first, 作业 the twelfth.
TEACHER_MONITOR_STEPS = 4
TEACHER_EXAMS_STEPS = 7
TEACHER_ASSIGNMENTS_STEPS = 12
PUPIL_MINE_STEPS = 6
SECOND = {"name": "wangfang", "class": rw.PUPIL["class"], "student_no": "20240118",
          "password": "fang2024"}
HOMEWORK = "asdf jkl"
EXAM_TITLE = "随堂测验"
# The tiles' frame of a pupil at work (monitor/PupilTiles.cpp).
AT_WORK = (0x2e, 0x7d, 0x32)


def start(session, name, env):
    """Starts one more program on the working directory and display env;
    the session's window calls then look at this one's windows."""
    log = open(os.path.join(session.out, name + ".log"), "w")
    session.env = env
    session.program = subprocess.Popen([session.qe], cwd=session.work, env=env,
                                       stdout=log, stderr=subprocess.STDOUT)
    return session.program


def use(session, program, env):
    session.program = program
    session.env = env


def live_rows(session):
    return session.sql("SELECT user_name, activity, typed_units, screen_units FROM live_progress"
                       " ORDER BY user_name")


def run(session):
    session.start_display()
    session.make_work_dir()
    session.add_user(SECOND)
    session.sql("INSERT INTO practice_text (title, kind, body, updated_at) VALUES "
                "('Homework', 112, '%s', '2024-09-01 08:00:00.000')" % HOMEWORK)
    session.sql("INSERT INTO assignment (title, task, course, lesson_from, lesson_to, text_id,"
                " screen, kind, min_speed, min_accuracy, passes, starts_on, due_on, created_at)"
                " VALUES ('本周作业', 2, '', 0, 0, 1, 1, 112, 0, 0, 1, date('now', '-1 day'),"
                " date('now', '+6 day'), '2024-09-01 08:00:00.000')")
    session.sql("INSERT INTO assignment_class (assignment_id, class_name) VALUES (1, '%s')"
                % rw.PUPIL["class"])
    first_display, first_env = session.xvfb, session.env
    session.start_display()
    second_display, second_env = session.xvfb, dict(session.env)
    second_env["XDG_CONFIG_HOME"] = first_env["XDG_CONFIG_HOME"]
    session.xvfb, session.env = first_display, first_env
    programs = []
    try:
        run_programs(session, programs, first_env, second_env)
    finally:
        for process in programs + [second_display]:
            if process is not session.program and process.poll() is None:
                process.kill()
                process.wait()


def run_programs(session, programs, first_env, second_env):
    teacher = start(session, "teacher", first_env)
    programs.append(teacher)
    log_in(session, True, rw.SUPER_USER["name"], rw.SUPER_USER["password"])
    teacher_main, _ = session.wait_window(rw.MAIN_CAPTION)

    # A 10-minute exam on the same text for the class, opened.
    teaching_menu(session, teacher_main, TEACHER_EXAMS_STEPS)
    exams_id, _ = session.wait_window(EXAMS_CAPTION)
    session.focus(exams_id)
    session.key("alt+n")
    exam_edit_id, _ = session.wait_window(EXAM_EDIT_CAPTION)
    session.focus(exam_edit_id)
    paste(session, EXAM_TITLE)
    session.key("Tab", "Tab", "Tab", "ctrl+a")
    session.type("10")
    session.key("Tab", "Tab", "Tab", "space", "alt+y")
    session.wait_gone(EXAM_EDIT_CAPTION)
    session.focus(exams_id)
    session.key("alt+o")
    session.wait_for(lambda: session.sql("SELECT e.is_open, c.class_name FROM exam e "
                                         "JOIN exam_class c ON c.exam_id = e.id")
                     == [["1", rw.PUPIL["class"]]], "the exam to open for the class")
    session.key("Escape")
    session.wait_gone(EXAMS_CAPTION)

    teaching_menu(session, teacher_main, TEACHER_MONITOR_STEPS)
    monitor_id, monitor = session.wait_window(MONITOR_CAPTION)

    # The first pupil leaves the exam for later; 我的作业 then comes by
    # itself, and 开始 starts the assignment's screen.
    first = start(session, "pupil1", first_env)
    programs.append(first)
    log_in(session, False, rw.PUPIL["name"], rw.PUPIL["password"])
    offer_id, _ = session.wait_window(OFFER_CAPTION)
    session.focus(offer_id)
    session.key("alt+n")
    session.wait_gone(OFFER_CAPTION)
    mine_id, _ = session.wait_window(MINE_CAPTION)
    session.screenshot("31-my-assignments.png")
    session.focus(mine_id)
    session.key("Return")
    session.wait_gone(MINE_CAPTION)
    first_main, _ = session.wait_window(rw.MAIN_CAPTION)
    session.focus(first_main)
    time.sleep(1)
    session.key("space")
    homework_started = time.monotonic()
    session.type(HOMEWORK[:4])

    # The second pupil.
    second = start(session, "pupil2", second_env)
    programs.append(second)
    log_in(session, False, SECOND["name"], SECOND["password"])
    # She takes the exam from its offer; the assignments wait.
    offer_id, _ = session.wait_window(OFFER_CAPTION)
    session.focus(offer_id)
    session.key("alt+y")
    session.wait_gone(OFFER_CAPTION)
    second_main, _ = session.wait_window(rw.MAIN_CAPTION)
    session.focus(second_main)
    time.sleep(1)
    check(set(session.windows()) == {second_main}, "no assignment list interrupts the exam")
    session.key("space")
    session.type(HOMEWORK[:3])

    use(session, teacher, first_env)
    session.wait_for(lambda: [row[1] for row in live_rows(session)] == ["1", "2"],
                     "the reports of a running practice and a running exam")
    # A file database has no notices: the grid reads the class every 5 s.
    # Raised above the first pupil's window, not given the keyboard, which
    # stays with the pupil.
    time.sleep(6)
    session.x("xdotool", "windowraise", monitor_id)
    time.sleep(0.5)
    shot = session.screenshot("34-monitor-grid.png")
    frame = rw.geometry(session.windows()[monitor_id])
    at_work = shot.count(*frame, lambda p: p == AT_WORK)
    rows = live_rows(session)
    check(at_work > 600, "the grid frames both tiles as at work, 练习中 and 考试中 (%d green"
          " points): %s"
          % (at_work, rows))
    check(rows[0][3] == str(len(HOMEWORK)),
          "the short homework's progress is of its %d characters, not of the whole screen: %s"
          % (len(HOMEWORK), rows[0]))

    # The first pupil types the rest and, past the 30 s an attempt must last
    # to count, ends it with Esc; the assignment is done.
    use(session, first, first_env)
    session.focus(first_main)
    session.type(HOMEWORK[4:])
    time.sleep(max(0.0, homework_started + 31 - time.monotonic()))
    session.key("Escape")
    question_id, _ = session.wait_window(rw.END_QUESTION_CAPTION)
    session.focus(question_id)
    session.key("Return")
    result_id, _ = session.wait_window(rw.RESULT_CAPTION)
    session.focus(result_id)
    session.key("Return")
    session.wait_gone(rw.RESULT_CAPTION)
    stored = session.sql("SELECT a.end_reason, t.text_id, t.screen FROM attempt a "
                         "JOIN attempt_text t ON t.attempt_id = a.id")
    check(stored == [["1", "1", "1"]],
          "the homework's screen is stored, ended with Esc: %s" % stored)
    teaching_menu(session, first_main, PUPIL_MINE_STEPS)
    mine_id, _ = session.wait_window(MINE_CAPTION)
    session.screenshot("35-assignment-done.png")
    session.focus(mine_id)
    session.key("Escape")
    session.wait_gone(MINE_CAPTION)

    # The teacher's report of the assignment, exported and read back.
    use(session, teacher, first_env)
    session.focus(monitor_id)
    session.key("Escape")
    session.wait_gone(MONITOR_CAPTION)
    teaching_menu(session, teacher_main, TEACHER_ASSIGNMENTS_STEPS)
    assignments_id, _ = session.wait_window(ASSIGNMENTS_CAPTION)
    session.focus(assignments_id)
    session.key("alt+r")
    report_id, _ = session.wait_window(REPORT_CAPTION)
    session.screenshot("36-assignment-report.png")
    xlsx = os.path.join(session.work, "assignment.xlsx")
    session.focus(report_id)
    session.key("alt+x")
    rw.choose_file(session, rw.EXPORT_CAPTION, xlsx)
    rw.accept_notice(session, "37-assignment-exported.png")
    rows = rw.read_table(session, xlsx)["sheets"][0]["rows"]
    shown = [[cell[1] for cell in row[:4]] for row in rows[2:]]
    check(rows[0][0][1].startswith("本周作业 完成情况")
          and shown == [[rw.PUPIL["student_no"], rw.PUPIL["name"], "已完成", "1/1"],
                        [SECOND["student_no"], SECOND["name"], "未开始", "0/1"]],
          "the report's export: %s, %s" % (rows[0][0][1], shown))
    session.focus(report_id)
    session.key("Escape")
    session.wait_gone(REPORT_CAPTION)
    session.focus(assignments_id)
    session.key("Escape")
    session.wait_gone(ASSIGNMENTS_CAPTION)


def main(argv):
    return rw.run_main(argv, __doc__, run)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
