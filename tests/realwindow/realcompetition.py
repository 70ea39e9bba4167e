#!/usr/bin/env python3
# The competition's walk, on one PostgreSQL server (the cluster of
# QE_TEST_POSTGRES, a database of the walk's own): the teacher's program on
# one X server, the two pupils' programs on another, each on its own lab
# line. The teacher makes an exam a competition; both pupils wait on its
# card; the teacher presses 开始比赛 and opens 比赛大屏. Both programs count
# down and start together; the board ranks both while they type; the
# teacher ends it from the board; the board shows the final ranking; the
# winner's 奖状 is exported and read back with pdftotext.

import os
import random
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.parse

import walk
from walk import PUPIL, SUPER_USER, check

TODAY_CAPTION = "今日任务"
BOARD_CAPTION = "比赛大屏 - "
BOARD_QUESTION_CAPTION = "比赛大屏"
RESULTS_CAPTION = "考试成绩 - 期末打字比赛"
CERTIFICATE_CAPTION = "奖状"
TITLE = "期末打字比赛"
SCHOOL = "实验小学"
SECOND = {"name": "wangfang", "class": PUPIL["class"], "student_no": "20240118",
          "password": "fang2024"}
BODY = ("The quick brown fox jumps over the lazy dog. " * 40).strip()
# The medals of the board's top two and its bars (exams/CompetitionBoardWnd.cpp).
GOLD, SILVER, BAR = (0xf5, 0xc5, 0x18), (0xc8, 0xcc, 0xd4), (0x3d, 0xc4, 0x6b)


class ServerSession(walk.Session):
    # A program on a lab line of the walk's database; sql() runs as the
    # cluster's owner.
    url = None

    def sql(self, statement):
        return [line.split("\t") for line in self.x(
            "psql", self.url, "-XAt", "-F", "\t", "-v", "ON_ERROR_STOP=1", "-c", statement
        ).splitlines()]


def database_url(cluster, name):
    parts = urllib.parse.urlsplit(cluster)
    return urllib.parse.urlunsplit(parts._replace(path="/" + name))


def qe_command(session, *args):
    # An administrator's command on the walk's database; its lab line, if any.
    done = subprocess.run([session.qe, "--database", session.url, *args], cwd=session.work,
                          env=session.env, capture_output=True, text=True, timeout=60)
    check(done.returncode == 0, "qe %s: %s" % (args[0], done.stderr.strip()))
    return next((line[len("QE_DATABASE="):] for line in done.stdout.splitlines()
                 if line.startswith("QE_DATABASE=")), None)


def board(session):
    return next(((w, i) for w, i in session.windows().items()
                 if i[0].startswith(BOARD_CAPTION)), None)


def type_like_a_person(session, text, seed):
    # Keys at uneven intervals: the server takes keys as regular as a
    # machine's for a result in doubt (可疑), which wins no prize.
    rng = random.Random(seed)
    for ch in text:
        session.x("xdotool", "type", "--delay", "0", ch, seat=True)
        time.sleep(rng.uniform(0.03, 0.2))


def board_marks(session, shot):
    # The gold and silver medals' points, and the progress bars begun (runs
    # of rows holding the bars' green).
    image = session.screenshot(shot)
    counts = {GOLD: 0, SILVER: 0}
    green_rows = []
    for y in range(image.height):
        green = False
        for x in range(image.width):
            p = image.pixel(x, y)
            if p in counts:
                counts[p] += 1
            green = green or p == BAR
        if green:
            green_rows.append(y)
    bars = sum(1 for i, y in enumerate(green_rows) if i == 0 or green_rows[i - 1] != y - 1)
    return counts[GOLD], counts[SILVER], bars


def run(new, _):
    cluster = os.environ.get("QE_TEST_POSTGRES")
    check(cluster, "QE_TEST_POSTGRES names a PostgreSQL cluster (tools/test starts one)")
    name = "qe_walk_competition_%d" % os.getpid()
    ServerSession.url = database_url(cluster, name)
    teacher = new()
    teacher.start_display()
    teacher.work = tempfile.mkdtemp(prefix="qe-realcompetition.")
    teacher.own_work = True
    teacher.env["XDG_CONFIG_HOME"] = os.path.join(teacher.work, "config")
    teacher.x("psql", cluster, "-Xqc", "CREATE DATABASE %s" % name)
    try:
        compete(new, teacher)
    finally:
        teacher.x("psql", cluster, "-Xqc", "DROP DATABASE IF EXISTS %s WITH (FORCE)" % name,
                  check_rc=False)


def compete(new, teacher):
    lines = [qe_command(teacher, "--create-database", "--super-user", SUPER_USER["name"],
                        "--password", SUPER_USER["password"])]
    lines += [qe_command(teacher, "--lab-line", machine) for machine in ("pc02", "pc03")]
    check(all(lines), "a lab line for each machine")
    pupils = os.path.join(teacher.work, "pupils.csv")
    with open(pupils, "w", encoding="utf-8", newline="") as f:
        f.write("姓名,班级,学号,密码\r\n")
        for user in (PUPIL, SECOND):
            f.write("%(name)s,%(class)s,%(student_no)s,%(password)s\r\n" % user)
    qe_command(teacher, "--import-class-list", pupils)
    teacher.sql("DELETE FROM practice_text")
    teacher.sql("INSERT INTO practice_text (title, kind, body, updated_at) VALUES "
                "('Race', 112, '%s', '2024-09-01 08:00:00.000')" % BODY)
    for data in ("chinese.txt", "english.txt", "number.txt", "punctuate.txt"):
        shutil.copy(os.path.join(teacher.data, data), teacher.work)

    first, second = new(), new()
    first.start_display("1600x700")
    second.env = dict(first.env)  # both pupils at one X server
    for session, line in ((teacher, lines[0]), (first, lines[1]), (second, lines[2])):
        if session is not teacher:
            session.share(teacher)
        session.env["QE_DATABASE"] = line

    # The teacher: 考试 → 新建, a minute on the race's text, as a competition.
    teacher.start_program("teacher")
    teacher_main, _ = teacher.log_in(SUPER_USER, super_user=True)
    exams_id = walk.open_exams(teacher, teacher_main)
    walk.new_exam(teacher, exams_id, TITLE, 1, "alt+m")
    teacher.screenshot("40-competition-settings.png")
    teacher.key("alt+y")
    teacher.wait_gone(walk.EXAM_EDIT_CAPTION)
    teacher.wait_for(lambda: teacher.sql("SELECT count(*) FROM competition") == [["1"]],
                     "the competition stored")

    # Each pupil starts it from 今日任务 and waits on its card.
    mains = []
    for pupil, user, label in ((first, PUPIL, "pupil1"), (second, SECOND, "pupil2")):
        pupil.start_program(label)
        mains.append(pupil.log_in(user, today=None)[0])
        pupil.answer(TODAY_CAPTION, "Return")
        pupil.press(mains[-1], "space")
    # Side by side on their X server.
    first.x("xdotool", "windowmove", "--sync", mains[1], "800", "0")
    first.screenshot("41-pupils-waiting.png")
    check(teacher.sql("SELECT count(*) FROM exam_sitting") == [["0"]],
          "nobody's sitting begins before the teacher's start")

    # 开始比赛, then the board, which takes the teacher's screen.
    teacher.press(exams_id, "alt+s")
    teacher.answer(walk.QUESTION_CAPTION, "alt+y")
    teacher.press(exams_id, "alt+b")
    board_id, info = teacher.wait_for(lambda: board(teacher), "the board")
    check(info[3:5] == (1024, 768), "the board fills the 1024x768 screen: %s" % (info,))
    teacher.wait_for(lambda: teacher.sql("SELECT count(*) FROM exam_sitting") == [["2"]],
                     "both sittings to begin", timeout=20)

    # Both type; the board ranks both while they do, their bars filled.
    for seed, (pupil, main, text) in enumerate(((first, mains[0], BODY[:60]),
                                                 (second, mains[1], BODY[:40]))):
        pupil.press(main)
        type_like_a_person(pupil, text, seed)
    teacher.wait_for(lambda: teacher.sql("SELECT count(*) FROM live_progress WHERE activity = 2"
                                         " AND typed_units > 0") == [["2"]],
                     "both programs' reports of what they typed")
    gold, silver, bars = teacher.wait_for(
        lambda: (lambda m: m if min(m[:2]) > 300 and m[2] >= 2 else None)(
            board_marks(teacher, "42-board-running.png")),
        "the board to rank both pupils with their progress")
    # Each program reports its elapsed time every two seconds: where the
    # server's clock puts each program's start.
    starts = teacher.wait_for(lambda: (lambda rows: rows if len(rows) == 2 else None)(
        teacher.sql("SELECT user_name, round(extract(epoch FROM reported_at) * 1000 - elapsed_ms),"
                    " round(extract(epoch FROM c.starts_at) * 1000) FROM live_progress,"
                    " competition c WHERE activity = 2 AND end_reason = 0 AND elapsed_ms > 0")),
        "both programs' reports")
    apart = abs(float(starts[0][1]) - float(starts[1][1]))
    late = [float(row[1]) - float(row[2]) for row in starts]
    check(apart <= 200, "both programs started %.0f ms apart: %s" % (apart, starts))
    check(all(-100 <= ms <= 1000 for ms in late),
          "each started by the common start: %s ms after it" % late)

    # The teacher ends it from the board's menu; the programs end and store.
    teacher.x("xdotool", "mousemove", "--window", board_id, "500", "400", "click", "3")
    time.sleep(0.5)  # the menu maps under the pointer
    teacher.key("Down", "Return")
    teacher.answer(BOARD_QUESTION_CAPTION, "alt+y")
    teacher.wait_for(lambda: teacher.sql("SELECT count(*) FROM exam_sitting WHERE finished = 1")
                     == [["2"]], "both results stored", timeout=20)
    teacher.wait_for(lambda: (lambda b: b and b[1][0] == BOARD_CAPTION + "最终排名")(board(teacher)),
                     "the board's final ranking", timeout=20)
    gold, silver, bars = board_marks(teacher, "43-board-final.png")
    check(gold > 300 and silver > 300 and bars == 2,
          "the final ranking marks both (%d, %d points, %d bars)" % (gold, silver, bars))
    ranked = teacher.sql("SELECT u.name, s.correct_units, s.flagged FROM exam_sitting s JOIN"
                         " \"user\" u ON u.qe_key = s.user_key ORDER BY s.correct_units DESC")
    check(ranked == [[PUPIL["name"], "60", "0"], [SECOND["name"], "40", "0"]],
          "the server scored the first pupil ahead, neither in doubt: %s" % ranked)

    # 奖状 of the winner, through 考试成绩.
    teacher.press(board_id, "Escape")
    teacher.wait_for(lambda: not board(teacher), "the board to close")
    teacher.press(walk.open_exams(teacher, teacher_main), "alt+r")
    results_id = teacher.show(RESULTS_CAPTION, "44-competition-results.png")
    teacher.press(results_id, "alt+a")
    certificate_id, _ = teacher.wait_window(CERTIFICATE_CAPTION)
    teacher.press(certificate_id, "ctrl+a")  # the school's name has the focus
    teacher.type(SCHOOL)
    teacher.screenshot("45-certificates.png")
    pdf = os.path.join(teacher.work, "certificates.pdf")
    teacher.export(certificate_id, "alt+d", pdf, "46-certificates-exported.png")
    # The winner's page first; of two, the other wins the 二等奖.
    text = subprocess.run(["pdftotext", "-f", "1", "-l", "1", pdf, "-"], capture_output=True,
                          text=True, check=True).stdout
    for words in (PUPIL["name"], "一等奖", SCHOOL, TITLE):
        check(words in text, "the winner's 奖状 reads %s: %s" % (words, text))
    check(SECOND["name"] not in text, "the winner's 奖状 is hers alone")
    print("starts %.0f ms apart; %s" % (apart, starts), flush=True)


if __name__ == "__main__":
    sys.exit(walk.run_main(run, make=ServerSession))
