#!/usr/bin/env python3
"""课堂监控 and 作业 in the built program: a teacher's grid of the class
while two pupils' programs type, and a pupil completing an assignment.

Usage: realmonitor.py QE_BINARY DATA_DIR OUTPUT_DIR

With a fresh working directory and database, three programs run on the
same database: the teacher's and the first pupil's on one Xvfb, the second
pupil's on another, so that each pupil's window has the keyboard as on a
lab's own machines. The class 三年级二班 has an assignment
on a short library text. The teacher logs in and opens 课堂监控. The first
pupil logs in, is shown 我的作业 at once and starts the assignment from
there; the second pupil, shown the same, leaves it for later and starts an
English practice. Both type; the grid
shows them at work. The first pupil then types the rest of the screen and
finds the assignment done in 我的作业. The database is checked along the
way; screenshots land in OUTPUT_DIR.
"""

import os
import subprocess
import sys
import time

import realwindow as rw
from realwindow import check
from realexam import log_in, teaching_menu

MONITOR_CAPTION = "课堂监控"
MINE_CAPTION = "我的作业"
# 教学(&J): a teacher's first enabled item is 班级成绩报表, 课堂监控 is four
# below it; a pupil's first is 我的练习记录, 我的作业 is six below it (after
# 练习我的错字, 参加考试, 选择练习文章, 指法课程 and 拼音课程).
TEACHER_MONITOR_STEPS = 4
PUPIL_MINE_STEPS = 6
SECOND = {"name": "wangfang", "class": rw.PUPIL["class"], "student_no": "20240118",
          "password": "fang2024"}
HOMEWORK = "asdf jkl"
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
    teaching_menu(session, teacher_main, TEACHER_MONITOR_STEPS)
    monitor_id, monitor = session.wait_window(MONITOR_CAPTION)

    # The first pupil: 我的作业 comes by itself, and 开始 starts the
    # assignment's screen.
    first = start(session, "pupil1", first_env)
    programs.append(first)
    log_in(session, False, rw.PUPIL["name"], rw.PUPIL["password"])
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

    # The second pupil practises English.
    second = start(session, "pupil2", second_env)
    programs.append(second)
    log_in(session, False, SECOND["name"], SECOND["password"])
    # Shown the same assignment, she leaves it for later.
    later_id, _ = session.wait_window(MINE_CAPTION)
    session.focus(later_id)
    session.key("Escape")
    session.wait_gone(MINE_CAPTION)
    second_main, _ = session.wait_window(rw.MAIN_CAPTION)
    session.focus(second_main)
    session.key("ctrl+e")
    time.sleep(1)  # the practice file is read and set out
    session.key("space")
    session.type("The quick")

    use(session, teacher, first_env)
    session.wait_for(lambda: [row[1] for row in live_rows(session)] == ["1", "1"],
                     "both pupils' reports of a running practice")
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
    check(at_work > 600, "the grid frames two tiles as at work (%d green points): %s"
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

    use(session, teacher, first_env)
    session.focus(monitor_id)
    session.key("Escape")
    session.wait_gone(MONITOR_CAPTION)


def main(argv):
    return rw.run_main(argv, __doc__, run)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
