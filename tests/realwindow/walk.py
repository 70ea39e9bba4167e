# What the walks share: the built program on a private X server (Xvfb, no
# window manager) in a fresh working directory and database, found by its
# windows and driven through xdotool as a person would, its screen read
# back from screenshots. Each walk is run as WALK.py QE_BINARY DATA_DIR
# OUTPUT_DIR and leaves its screenshots in OUTPUT_DIR for a reviewer.

import ctypes
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

MAIN_CAPTION = "青禾测试系统 - qe"
LOGIN_CAPTION = "青禾打字测试系统(V 3.0)----登录"
QUESTION_CAPTION = "提示!"
RESULT_CAPTION = "你的此次练习成绩"
EXIT_CAPTION = "退出?"
EXPORT_CAPTION = "导出"
NOTICE_CAPTION = "提示"
TODAY_CAPTION = "今日任务"
EXAMS_CAPTION = "考试"
EXAM_EDIT_CAPTION = "新建考试"
PUPIL = {"name": "lihua", "class": "三年级二班", "student_no": "20240117", "password": "hua2024"}
SUPER_USER = {"name": "老师", "password": "laoshi1"}
# The practice grid and the main window at a display size of 100 %.
LINE_HEIGHT = 16
CHAR_WIDTH = 6
MAIN_SIZE = (750, 540)


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)
    print("ok:", message, flush=True)


def password_hash(password):
    # As the program keeps it in a database file: libsodium's Argon2id string.
    sodium = ctypes.CDLL("libsodium.so.23")
    out = ctypes.create_string_buffer(128)
    utf8 = password.encode()
    if sodium.sodium_init() < 0 or sodium.crypto_pwhash_str(
            out, utf8, ctypes.c_ulonglong(len(utf8)), ctypes.c_ulonglong(3),
            ctypes.c_size_t(12 * 1024 * 1024)) != 0:
        raise Failure("libsodium could not hash a password")
    return out.value.decode()


def text_of(session, name):
    # A shipped practice text as one line, the way its screens show it.
    with open(os.path.join(session.data, name), "rb") as f:
        return f.read().decode("gbk").replace("\r", "").replace("\n", "")


class Session:
    def __init__(self, qe, data, out):
        self.qe, self.data, self.out = (os.path.abspath(p) for p in (qe, data, out))
        self.xvfb = self.program = self.work = self.env = None
        # Where keys are sent and the screen is read, when not the program's
        # display (a compositor's window on the walk's X server).
        self.seat_env = None
        self.own_work = False
        self.logs = []

    def start_display(self, screen="1024x768"):
        read_end, write_end = os.pipe()
        # -displayfd lets the server pick a free display number itself.
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-noreset", "-nolisten", "tcp",
             "-screen", "0", screen + "x24"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:  # closed unread if the server fails
            number = pipe.readline().strip()
        check(number.isdigit(), "Xvfb runs a %s screen on display :%s" % (screen, number))
        self.env = {k: v for k, v in os.environ.items()
                    if k not in ("QE_DATABASE", "QT_IM_MODULE", "XMODIFIERS", "WAYLAND_DISPLAY")}
        self.env.update(DISPLAY=":" + number, QT_QPA_PLATFORM="xcb")

    def make_work_dir(self, *users):
        self.work = tempfile.mkdtemp(prefix="qe-realwindow.")
        self.own_work = True
        self.env["XDG_CONFIG_HOME"] = os.path.join(self.work, "config")
        for name in ("chinese.txt", "english.txt", "number.txt", "punctuate.txt"):
            shutil.copy(os.path.join(self.data, name), self.work)
        made = subprocess.run([self.qe, "--create-database", "--super-user",
                               SUPER_USER["name"], "--password", SUPER_USER["password"]],
                              cwd=self.work, env=self.env, capture_output=True, timeout=30)
        check(made.returncode == 0 and os.path.exists(self.db_path()), "a new database is made")
        # It comes with the starter library; the walks type texts of their
        # own, numbered from 1.
        check(int(self.sql("SELECT count(*) FROM practice_text")[0][0]) >= 20,
              "the new database holds the starter library")
        self.sql("DELETE FROM practice_text; "
                 "DELETE FROM sqlite_sequence WHERE name = 'practice_text'")
        for user in (PUPIL,) + users:
            self.sql("INSERT INTO user (name, class, student_no, password, kind) VALUES "
                     "('%s', '%s', '%s', '%s', '普通用户')" % (user["name"], user["class"],
                     user["student_no"], password_hash(user["password"])))

    def add_assignment(self, kind):
        # 本周作业 for the pupil's class, this week: the first screen of
        # the library's first text, of kind (111 Chinese, 112 English).
        self.sql("INSERT INTO assignment (title, task, course, lesson_from, lesson_to, text_id,"
                 " screen, kind, min_speed, min_accuracy, passes, starts_on, due_on, created_at)"
                 " VALUES ('本周作业', 2, '', 0, 0, 1, 1, %d, 0, 0, 1, date('now', '-1 day'),"
                 " date('now', '+6 day'), '2024-09-01 08:00:00.000'); INSERT INTO"
                 " assignment_class (assignment_id, class_name) VALUES (1, '%s')"
                 % (kind, PUPIL["class"]))

    def share(self, other):
        # The same working directory, database and settings as other's.
        self.work = other.work
        self.env["XDG_CONFIG_HOME"] = other.env["XDG_CONFIG_HOME"]

    def db_path(self):
        return os.path.join(self.work, "user.mdb")

    def sql(self, statement):
        return [line.split("\t") for line in self.x(
            "sqlite3", "-cmd", ".timeout 5000", "-separator", "\t", self.db_path(), statement
        ).splitlines()]

    def start_program(self, name="qe"):
        log = open(os.path.join(self.out, name + ".log"), "w")
        self.logs.append(log)
        self.program = subprocess.Popen([self.qe], cwd=self.work, env=self.env,
                                        stdout=log, stderr=subprocess.STDOUT)

    def stop(self):
        for process in (self.program, self.xvfb):
            if process and process.poll() is None:
                process.kill()
                process.wait()
        for log in self.logs:
            log.close()
        if self.own_work:
            shutil.rmtree(self.work, ignore_errors=True)

    def x(self, *args, check_rc=True, seat=False):
        done = subprocess.run(list(args), env=(seat and self.seat_env) or self.env,
                              capture_output=True, text=True, timeout=30)
        if check_rc and done.returncode != 0:
            raise Failure("%s failed: %s" % (" ".join(args), done.stderr.strip()))
        return done.stdout

    def box(self, wid):
        # A mapped window's (x, y, width, height), or None.
        fields = dict(line.strip().partition(":")[::2]
                      for line in self.x("xwininfo", "-id", wid, check_rc=False).splitlines())
        if fields.get("Map State", "").strip() != "IsViewable":
            return None
        try:
            return tuple(int(fields[k]) for k in ("Absolute upper-left X",
                                                  "Absolute upper-left Y", "Width", "Height"))
        except (KeyError, ValueError):
            return None  # destroyed meanwhile

    def windows(self):
        # The program's mapped windows: id -> (caption, x, y, width, height).
        found = {}
        for wid in self.x("xdotool", "search", "--onlyvisible", "--pid", str(self.program.pid),
                          check_rc=False).split():
            box = self.box(wid)
            if box:
                caption = self.x("xdotool", "getwindowname", wid, check_rc=False).rstrip("\n")
                found[wid] = (caption,) + box
        return found

    def wait_for(self, predicate, what, timeout=15):
        deadline = time.monotonic() + timeout
        while True:
            result = predicate()
            if result:
                return result
            if self.program and self.program.poll() is not None:
                raise Failure("the program ended (status %s) while waiting for %s"
                              % (self.program.returncode, what))
            if time.monotonic() > deadline:
                raise Failure("timed out waiting for " + what)
            time.sleep(0.05)

    def window_named(self, caption):
        return next(((w, i) for w, i in self.windows().items() if i[0] == caption), None)

    def wait_window(self, caption, timeout=15):
        return self.wait_for(lambda: self.window_named(caption), "window " + caption, timeout)

    def wait_gone(self, caption, timeout=15):
        self.wait_for(lambda: not self.window_named(caption), caption + " to close", timeout)

    def wait_alone(self, main_id):
        self.wait_for(lambda: set(self.windows()) == {main_id}, "the main window alone")

    def focus(self, wid):
        self.x("xdotool", "windowfocus", "--sync", wid)

    def key(self, *keys):
        self.x("xdotool", "key", "--delay", "60", *keys, seat=True)

    def type(self, text, delay=40):
        # xdotool types a character only if a key of the keyboard map yields
        # it: each one beyond ASCII gets a spare keycode first.
        needed = sorted({ch for ch in text if ord(ch) > 127})
        if needed:
            spare = [int(line.split()[1]) for line in self.x("xmodmap", "-pke",
                                                             seat=True).splitlines()
                     if line.startswith("keycode") and not line.partition("=")[2].strip()]
            if len(spare) < len(needed):
                raise Failure("fewer than %d spare keycodes" % len(needed))
            self.x("xmodmap", *(arg for code, ch in zip(spare[-len(needed):], needed)
                                for arg in ("-e", "keycode %d = U%04X" % (code, ord(ch)))),
                   seat=True)
            delay = max(delay, 80)
        self.x("xdotool", "type", "--delay", str(delay), text, seat=True)

    def press(self, wid, *keys):
        self.focus(wid)
        if keys:
            self.key(*keys)

    def show(self, caption, shot, timeout=15):
        # Waits for a window and takes a screenshot of it; returns its id.
        wid, _ = self.wait_window(caption, timeout)
        self.screenshot(shot)
        return wid

    def answer(self, caption, *keys, shot=None):
        # Waits for a window, presses keys in it and waits for it to close.
        self.press(self.show(caption, shot) if shot else self.wait_window(caption)[0], *keys)
        self.wait_gone(caption)

    def log_in(self, user, super_user=False, today="Escape"):
        # The kind list first (普通用户 preselected, Up is 超级用户), then
        # Tab to the name and to the password. A pupil's 今日任务 follows;
        # today=None leaves it to the caller.
        self.press(self.wait_window(LOGIN_CAPTION, timeout=30)[0],
                   *(["Up"] if super_user else []), "Tab", "ctrl+a")
        self.type(user["name"])
        self.key("Tab")
        self.type(user["password"])
        self.key("Return")
        self.wait_gone(LOGIN_CAPTION)
        main = self.wait_window(MAIN_CAPTION)
        if not super_user and today:
            self.answer(TODAY_CAPTION, today)
        return main

    def end_practice(self, main_id):
        # Esc, the question answered OK, the result stored with OK.
        self.press(main_id, "Escape")
        self.answer(QUESTION_CAPTION, "Return")
        self.answer(RESULT_CAPTION, "Return")
        self.wait_alone(main_id)

    def exit(self, main_id):
        self.press(main_id, "ctrl+x")
        self.press(self.wait_window(EXIT_CAPTION)[0], "y")
        try:
            status = self.program.wait(timeout=15)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end after Yes")
        check(status == 0, "answering Yes ends the program with status %d" % status)

    def choose_file(self, caption, path):
        # Types a whole path into Qt's own file chooser.
        chooser_id, _ = self.wait_window(caption)
        self.press(chooser_id, "ctrl+a")
        self.type(path)
        self.key("Return")
        self.wait_for(lambda: chooser_id not in self.windows(), "the file chooser to close")

    def export(self, window_id, keys, path, shot):
        # An export through the chooser and the notice that confirms it.
        self.press(window_id, keys)
        self.choose_file(EXPORT_CAPTION, path)
        self.answer(NOTICE_CAPTION, "Return", shot=shot)
        check(os.path.exists(path), "exported to " + path)

    def screenshot(self, name):
        path = os.path.join(self.out, name)
        self.x("import", "-window", "root", path, seat=True)
        print("screenshot", path, flush=True)
        return Image(path)


class Image:
    def __init__(self, path):
        # A binary PPM: "P6", the size and the largest value on lines of
        # their own, then the pixels.
        _, size, _, self.rgb = subprocess.run(["convert", path, "-depth", "8", "ppm:-"],
                                              capture_output=True, check=True
                                              ).stdout.split(b"\n", 3)
        self.width, self.height = (int(n) for n in size.split())

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.rgb[i:i + 3])

    def reds(self, window):
        # The red points inside a window (x, y, w, h): pure red and the
        # antialiased edges of red glyphs, not grey or black.
        wx, wy, ww, wh = window
        found = set()
        for y in range(wy, wy + wh):
            row = self.rgb[3 * (y * self.width + wx):3 * (y * self.width + wx + ww)]
            for i in range(0, 3 * ww, 3):
                if row[i] >= 160 and row[i] - max(row[i + 1], row[i + 2]) >= 80:
                    found.add((wx + i // 3, y))
        return found

    def count(self, left, top, width, height, test):
        return sum(1 for y in range(top, top + height) for x in range(left, left + width)
                   if test(self.pixel(x, y)))


def is_dark(p):
    return max(p) < 100


def geometry(info):
    return info[1:5]


def open_exams(session, main_id):
    # 教学(&J) → 备课(&L): 考试 is one below 练习文章.
    session.press(main_id, "alt+j", "l", "Down", "Return")
    return session.wait_window(EXAMS_CAPTION)[0]


def new_exam(session, exams_id, title, minutes, *keys):
    # 考试 → 新建: the title, the last text in Chinese order and the
    # minutes, then keys for further settings; the editor is left open.
    session.press(exams_id, "alt+n")
    session.press(session.wait_window(EXAM_EDIT_CAPTION)[0])
    session.type(title)
    session.key("Tab", "End", "Tab", "Tab", "ctrl+a")
    session.type(str(minutes))
    if keys:
        session.key(*keys)


def practice_screen(session, window, name, scale=1.0):
    # Waits until the credits (their red title and rule are long red runs;
    # a tool bar icon is 16 px wide at 100 %) give way to the practice
    # text; returns the red pixels left, the tool bar's.
    longest = int(16 * scale) + 2

    def shown():
        reds = session.screenshot(name).reds(window)
        long_run = any(all((x + k, y) in reds for k in range(longest)) for x, y in reds)
        return None if long_run else [reds]
    return session.wait_for(shown, "the practice screen")[0]


def wait_typed(session, window, name, before, last_cell_left):
    # Waits until the cell of the last character typed has turned red.
    def shown():
        image = session.screenshot(name)
        return image if any(x >= last_cell_left for x, _ in image.reds(window) - before) else None
    return session.wait_for(shown, "the typed characters on the screen")


def check_red_cells(image, window, before, text, mistakes, cell_width, label, scale=1.0):
    # The newly red pixels form one text line at the left of the view: each
    # correctly typed cell holds red, each mistyped one none though it still
    # shows its (black) practice character.
    wx, wy, _, _ = window
    line_height = int(round(LINE_HEIGHT * scale))
    cell_width *= scale
    red = image.reds(window) - before
    check(red, "%s: red characters appeared" % label)
    top, bottom = min(y for _, y in red), max(y for _, y in red)
    check(bottom - top < line_height and max(x for x, _ in red) < wx + cell_width * len(text),
          "%s: the red pixels lie on one text line (y %d-%d), none right of the typed cells"
          % (label, top - wy, bottom - wy))
    band_top = max(wy, top - 3)  # glyphs start a pixel or two below their line's top
    for i, ch in enumerate(text):
        if ch.isspace():
            continue
        left = int(round(wx + i * cell_width))
        width = int(round(wx + (i + 1) * cell_width)) - left
        reds = sum(1 for x, y in red
                   if left <= x < left + width and band_top <= y < band_top + line_height)
        if i not in mistakes:
            check(reds > 0, "%s: cell %d '%s' (typed correctly) is red" % (label, i, ch))
        else:
            darks = image.count(left, band_top, width, line_height, is_dark)
            check(reds == 0 and darks > 0, "%s: cell %d '%s' (mistyped) shows its character"
                  " in black, not red (%d dark pixels)" % (label, i, ch, darks))


def read_table(path):
    # An exported file read back with openpyxl or Python's csv module.
    reader = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "read_table.py")
    done = subprocess.run(["/usr/bin/python3", reader, path], capture_output=True, text=True,
                          timeout=60)
    if done.returncode != 0:
        raise Failure("read_table.py failed: " + done.stderr.strip())
    return json.loads(done.stdout)


def run_main(run, make=Session):
    # run(new, extra arguments): new(...) makes a Session (or make's kind),
    # each stopped at the end; prints the outcome, returns the exit status.
    if len(sys.argv) < 4:
        print("usage: %s QE_BINARY DATA_DIR OUTPUT_DIR" % sys.argv[0], file=sys.stderr)
        return 2
    qe, data, out = sys.argv[1:4]
    os.makedirs(out, exist_ok=True)
    for name in os.listdir(out):
        if name.endswith(".png") or name.endswith(".log"):
            os.remove(os.path.join(out, name))  # nothing stale from an earlier run
    sessions = []

    def new(*extra):
        sessions.append(make(qe, data, out, *extra))
        return sessions[-1]
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    began = time.monotonic()
    try:
        run(new, sys.argv[4:])
    except Failure as failure:
        print("FAIL:", failure, flush=True)
        shown = [s for s in sessions if s.xvfb and s.xvfb.poll() is None]
        if shown:
            shown[-1].screenshot("failure.png")
        return 1
    finally:
        for session in reversed(sessions):
            session.stop()
    print("passed in %.1f s" % (time.monotonic() - began))
    return 0
