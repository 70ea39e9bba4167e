#!/usr/bin/env python3
"""Drives the built program on a private X server as a person would.

Usage: realwindow.py QE_BINARY DATA_DIR OUTPUT_DIR

Starts Xvfb (no window manager), makes a fresh working directory with the
shipped practice texts and a new database holding one pupil and the scores
of a namesake in another class, then logs in, looks at the About box and
the context menu, practises English and Chinese, opens the personal score
query and 我的练习记录 (its rows read back through the clipboard), types
lesson 1 of 指法课程 with two wrong keys and finds lesson 2 open, clears
the personal scores (first answering No, then Yes), opens the help and
quits, checking the windows, the screen and the database along the way.
Screenshots land in OUTPUT_DIR for a reviewer.
"""

import ctypes
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

MAIN_CAPTION = "青禾测试系统 - qe"
LOGIN_CAPTION = "青禾打字测试系统(V 3.0)----登录"
END_QUESTION_CAPTION = "提示!"
RESULT_CAPTION = "你的此次练习成绩"
QUERY_CAPTION = "查询成绩..."
PROGRESS_CAPTION = "我的练习记录"
EXIT_CAPTION = "退出?"
ABOUT_CAPTION = "关于 qe(青禾测试系统)V3.0"
HELP_CAPTION = "青禾测试系统 帮助"
CLEAR_QUESTION_CAPTION = "提示!"
SPLASH_SIZE = (326, 240)

PUPIL = {
    "name": "lihua",
    "class": "三年级二班",
    "student_no": "20240117",
    "password": "hua2024",
}

# Another pupil of the same name in another class, with scores of her own.
NAMESAKE = {
    "name": "lihua",
    "class": "五年级一班",
    "student_no": "20190305",
    "password": "other",
    "scores": 3,
}

SUPER_USER = {"name": "老师", "password": "laoshi1"}

REPORT_CAPTION = "班级成绩报表"
CHART_CAPTION = "班级图表"
IMPORT_CAPTION = "导入学生名单"
IMPORT_CHOOSER_CAPTION = "导入学生名单:每行姓名、班级、学号、密码(可不填)"
CARDS_CAPTION = "打印登录卡"
EXPORT_CAPTION = "导出"
NOTICE_CAPTION = "提示"

# A class list as a teacher keeps it: one new pupil, one without a password
# (a random one), one refused (the pupil's own name), one without a class.
CLASS_LIST = ("\ufeff姓名,班级,学号,密码\r\n"
              "wangfang,三年级二班,20240118,fang01\r\n"
              "zhangwei,三年级二班,20240119,\r\n"
              "lihua,三年级二班,20240120,\r\n"
              "liuyang,,20240121,\r\n")

# The practice grid at a display size of 100 %; SCALE is the display size
# the program chose for this screen, read off the main window.
LINE_HEIGHT = 16
CHAR_WIDTH = 6
MAIN_SIZE = (750, 540)
SCALE = 1.0


def password_hash(password):
    """The password as the program keeps it in a database file: an Argon2id
    string of libsodium's (the program's own library)."""
    sodium = ctypes.CDLL("libsodium.so.23")
    if sodium.sodium_init() < 0:
        raise Failure("libsodium cannot start")
    out = ctypes.create_string_buffer(128)
    utf8 = password.encode()
    if sodium.crypto_pwhash_str(out, utf8, ctypes.c_ulonglong(len(utf8)), ctypes.c_ulonglong(3),
                                ctypes.c_size_t(12 * 1024 * 1024)) != 0:
        raise Failure("libsodium could not hash a password")
    return out.value.decode()


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)
    print("ok:", message, flush=True)


class Session:
    def __init__(self, qe, data, out):
        self.qe = os.path.abspath(qe)
        self.data = os.path.abspath(data)
        self.out = os.path.abspath(out)
        self.xvfb = None
        self.program = None
        self.work = None
        self.env = None
        self.log = None

    # --- processes -------------------------------------------------------

    def start_display(self, screen="1024x768"):
        read_end, write_end = os.pipe()
        # -displayfd lets the server pick a free display number itself.
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-noreset", "-nolisten", "tcp",
             "-screen", "0", screen + "x24"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 20
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
        os.close(read_end)
        if not number.strip().isdigit():
            raise Failure("Xvfb did not report a display")
        env = dict(os.environ)
        for name in ("QE_DATABASE", "QT_IM_MODULE", "XMODIFIERS", "WAYLAND_DISPLAY"):
            env.pop(name, None)
        env["DISPLAY"] = ":" + number.decode().strip()
        env["QT_QPA_PLATFORM"] = "xcb"
        self.env = env
        print("display", env["DISPLAY"], flush=True)

    def make_work_dir(self, display_percent=None):
        """display_percent fixes the display size (显示比例) as a user who
        chose it would; None leaves the automatic one."""
        self.work = tempfile.mkdtemp(prefix="qe-realwindow.")
        self.env["XDG_CONFIG_HOME"] = os.path.join(self.work, "config")
        if display_percent is not None:
            self.write_display_percent(os.path.join(self.work, "config"), display_percent)

        for name in ("chinese.txt", "english.txt", "number.txt", "punctuate.txt"):
            shutil.copy(os.path.join(self.data, name), self.work)
        made = subprocess.run(
            [self.qe, "--create-database", "--super-user", "老师", "--password", "laoshi1"],
            cwd=self.work, env=self.env, capture_output=True, text=True, timeout=30)
        check(made.returncode == 0 and os.path.exists(self.db_path()),
              "a new database is made (%s)" % made.stdout.strip().replace("\n", " "))
        self.add_user(PUPIL)

    @staticmethod
    def write_display_percent(config, percent):
        settings = os.path.join(config, "QE青禾中英文测试系统")
        os.makedirs(settings, exist_ok=True)
        with open(os.path.join(settings, "qe.conf"), "w", encoding="utf-8") as conf:
            conf.write("[display]\nscale=%d\n" % percent)

    def add_user(self, user):
        self.sql("INSERT INTO user (name, class, student_no, password, kind) "
                 "VALUES ('%s', '%s', '%s', '%s', '普通用户')"
                 % (user["name"], user["class"], user["student_no"],
                    password_hash(user["password"])))

    def add_namesake(self):
        self.add_user(NAMESAKE)
        for i in range(NAMESAKE["scores"]):
            self.sql("INSERT INTO score (name, student_no, score_type, english_speed, seconds,"
                     " accuracy) VALUES ('%s', '%s', '英文测试', %d, 60, 90)"
                     % (NAMESAKE["name"], NAMESAKE["student_no"], i + 1))

    def db_path(self):
        return os.path.join(self.work, "user.mdb")

    def sql(self, statement):
        done = subprocess.run(["sqlite3", "-cmd", ".timeout 5000", "-separator", "\t",
                               self.db_path(), statement],
                              capture_output=True, text=True, timeout=30)
        if done.returncode != 0:
            raise Failure("sqlite3 failed: " + done.stderr.strip())
        return [line.split("\t") for line in done.stdout.splitlines()]

    def start_program(self):
        self.log = open(os.path.join(self.out, "qe.log"), "w")
        self.program = subprocess.Popen([self.qe], cwd=self.work, env=self.env,
                                        stdout=self.log, stderr=subprocess.STDOUT)
        return time.monotonic()

    def stop(self):
        for process in (self.program, self.xvfb):
            if process and process.poll() is None:
                process.kill()
                process.wait()
        if self.log:
            self.log.close()
        if self.work:
            shutil.rmtree(self.work, ignore_errors=True)

    def x(self, *args, check_rc=True):
        done = subprocess.run(list(args), env=self.env, capture_output=True, text=True,
                              timeout=30)
        if check_rc and done.returncode != 0:
            raise Failure("%s failed: %s" % (" ".join(args), done.stderr.strip()))
        return done.stdout

    # --- windows ---------------------------------------------------------

    def windows(self):
        """The program's mapped windows: id -> (caption, x, y, width, height)."""
        found = {}
        ids = self.x("xdotool", "search", "--onlyvisible", "--pid", str(self.program.pid),
                     check_rc=False).split()
        for wid in ids:
            info = self.x("xwininfo", "-id", wid, check_rc=False)
            fields = {}
            for line in info.splitlines():
                key, _, value = line.strip().partition(":")
                fields[key] = value.strip()
            if fields.get("Map State") != "IsViewable":
                continue
            caption = self.x("xdotool", "getwindowname", wid, check_rc=False).rstrip("\n")
            try:
                found[wid] = (caption, int(fields["Absolute upper-left X"]),
                              int(fields["Absolute upper-left Y"]), int(fields["Width"]),
                              int(fields["Height"]))
            except (KeyError, ValueError):
                continue  # unmapped or destroyed between the calls
        return found

    def wait_for(self, predicate, what, timeout=15):
        deadline = time.monotonic() + timeout
        while True:
            if self.program.poll() is not None:
                raise Failure("the program ended (status %s) while waiting for %s"
                              % (self.program.returncode, what))
            result = predicate()
            if result:
                return result
            if time.monotonic() > deadline:
                raise Failure("timed out waiting for " + what)
            time.sleep(0.02)

    def window_named(self, caption):
        for wid, info in self.windows().items():
            if info[0] == caption:
                return wid, info
        return None

    def wait_window(self, caption, timeout=15):
        return self.wait_for(lambda: self.window_named(caption), "window '%s'" % caption,
                             timeout)

    def wait_new_window(self, before, what, timeout=15):
        """A window mapped since before (a set of ids), such as a menu."""
        return self.wait_for(lambda: sorted(set(self.windows()) - before), what, timeout)[0]

    def wait_gone(self, caption, timeout=15):
        self.wait_for(lambda: not self.window_named(caption),
                      "window '%s' to close" % caption, timeout)

    def focus(self, wid):
        self.x("xdotool", "windowfocus", "--sync", wid)

    def key(self, *keys):
        self.x("xdotool", "key", "--delay", "60", *keys)

    def type(self, text, delay=40):
        self.x("xdotool", "type", "--delay", str(delay), text)

    # --- screen ----------------------------------------------------------

    def screenshot(self, name):
        path = os.path.join(self.out, name)
        self.x("import", "-window", "root", path)
        print("screenshot", path, flush=True)
        return Image(path)


class Image:
    def __init__(self, path):
        size = subprocess.run(["identify", "-format", "%w %h", path], capture_output=True,
                              text=True, check=True).stdout.split()
        self.width, self.height = int(size[0]), int(size[1])
        self.rgb = subprocess.run(["convert", path, "-depth", "8", "rgb:-"],
                                  capture_output=True, check=True).stdout

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.rgb[i:i + 3])

    def reds(self, window):
        """The red points inside a window (x, y, w, h): pure red and the
        antialiased edges of red glyphs, but not grey or black."""
        wx, wy, ww, wh = window
        found = set()
        for y in range(wy, wy + wh):
            start = 3 * (y * self.width + wx)
            row = self.rgb[start:start + 3 * ww]
            for i in range(0, 3 * ww, 3):
                r = row[i]
                if r >= 160 and r - max(row[i + 1], row[i + 2]) >= 80:
                    found.add((wx + i // 3, y))
        return found

    def count(self, left, top, width, height, test):
        return sum(1 for y in range(top, top + height) for x in range(left, left + width)
                   if test(self.pixel(x, y)))


def is_dark(p):
    return max(p) < 100


def geometry(info):
    return info[1:5]


def check_red_cells(image, window, before, text, mistakes, cell_width, label):
    """Checks the practice line cell by cell by its newly red characters.

    before holds the red pixels of the window before anything was typed
    (the tool bar's icons may have some). The new red pixels must form one
    text line at the left of the view, which spans the window's width;
    each correctly typed cell holds red pixels, each mistyped one none,
    though it still shows its (black) practice character. Blank cells show
    nothing either way.
    """
    wx, wy, _, _ = window
    line_height = int(round(LINE_HEIGHT * SCALE))
    cell_width = cell_width * SCALE
    red = image.reds(window) - before
    check(red, "%s: red characters appeared" % label)
    top = min(y for _, y in red)
    bottom = max(y for _, y in red)
    right = max(x for x, _ in red)
    check(bottom - top < line_height, "%s: the red pixels lie on one text line (y %d-%d,"
          " %d px below the window's top)" % (label, top, bottom, top - wy))
    check(right < wx + cell_width * len(text),
          "%s: no red pixels right of the typed cells" % label)
    # The glyphs start a pixel or two below the top of their line.
    band_top = max(wy, top - 3)
    for i, ch in enumerate(text):
        if ch.isspace():
            continue
        left = int(round(wx + i * cell_width))
        width = int(round(wx + (i + 1) * cell_width)) - left
        reds = sum(1 for x, y in red
                   if left <= x < left + width and band_top <= y < band_top + line_height)
        darks = image.count(left, band_top, width, line_height, is_dark)
        if i not in mistakes:
            check(reds > 0, "%s: cell %d '%s' (typed correctly) is red (%d pixels)"
                  % (label, i, ch, reds))
        else:
            check(reds == 0 and darks > 0, "%s: cell %d '%s' (mistyped) shows its character"
                  " in black, not red (%d dark pixels)" % (label, i, ch, darks))


def longest_run(points, y):
    """The longest horizontal run of points in row y."""
    xs = sorted(x for x, py in points if py == y)
    longest = run = 0
    for i, x in enumerate(xs):
        run = run + 1 if i and x == xs[i - 1] + 1 else 1
        longest = max(longest, run)
    return longest


def practice_screen(session, window, name, scale=1.0):
    """Waits until the credits have given way to the practice text; returns
    the red pixels left (the tool bar's icons have some).

    The credits' underlined red title and red rule are long red runs; a
    tool bar icon is 16 pixels wide at a display size of 100 %.
    """
    def shown():
        reds = session.screenshot(name).reds(window)
        longest = max((longest_run(reds, y) for _, y in reds), default=0)
        return [reds] if longest <= 16 * scale + 1 else None
    return session.wait_for(shown, "the practice screen")[0]


def wait_typed(session, window, name, before, last_cell_left):
    """Waits until the cell of the last character typed has turned red."""
    def shown():
        image = session.screenshot(name)
        red = image.reds(window) - before
        return image if any(x >= last_cell_left for x, _ in red) else None
    return session.wait_for(shown, "the typed characters on the screen")


def spare_keycodes(session, count):
    spare = []
    for line in session.x("xmodmap", "-pke").splitlines():
        code, _, syms = line.partition("=")
        if code.startswith("keycode") and not syms.strip():
            spare.append(int(code.split()[1]))
    if len(spare) < count:
        raise Failure("fewer than %d spare keycodes" % count)
    return spare[-count:]


def choose_mistakes(text, wanted):
    """The wanted positions, each moved onto the next visible character."""
    chosen = []
    for i in wanted:
        while text[i].isspace() or i in chosen:
            i += 1
        chosen.append(i)
    return chosen


def with_mistakes(text, positions, wrong):
    typed = list(text)
    for i in positions:
        typed[i] = wrong[0] if text[i] != wrong[0] else wrong[1]
    return "".join(typed)


def run(session):
    session.start_display()
    session.make_work_dir()
    session.add_namesake()
    started = session.start_program()

    # Start-up: the splash picture, then the login a second later.
    def splash():
        for wid, info in session.windows().items():
            # At the display size this screen gives, whichever step it is.
            if any(abs(info[3] - SPLASH_SIZE[0] * p / 100) <= 1
                   and abs(info[4] - SPLASH_SIZE[1] * p / 100) <= 1
                   for p in (100, 125, 150, 175, 200, 250, 300)):
                return wid, info
        return None

    splash_id, splash_info = session.wait_for(splash, "the splash picture")
    splash_at = time.monotonic()
    print("the splash window is mapped %.2f s after the start" % (splash_at - started))
    shot = session.screenshot("01-splash.png")
    # The picture, not an empty window of one colour.
    sx, sy, sw, sh = geometry(splash_info)
    colours = {shot.pixel(x, y) for y in range(sy, sy + sh) for x in range(sx, sx + sw)}
    check(len(colours) > 100, "the splash window (%dx%d) shows a picture (%d colours)"
          % (sw, sh, len(colours)))
    login_id, _ = session.wait_window(LOGIN_CAPTION)
    delay = time.monotonic() - splash_at
    check(0.5 <= delay <= 3.0, "the login dialog follows the splash after %.2f s" % delay)
    check(splash_id not in session.windows(), "the splash picture is gone")

    # Log in as the pupil.
    # The dialog opens with the kind list focused (普通用户 is preselected);
    # Tab leads to the name, then the password.
    session.focus(login_id)
    session.key("Tab")
    # The edit box's own context menu speaks Chinese too.
    before = set(session.windows())
    session.key("Menu")
    menu_id = session.wait_new_window(before, "the edit box's context menu")
    session.screenshot("02a-edit-menu.png")
    session.key("Escape")
    session.wait_for(lambda: menu_id not in session.windows(), "the edit menu to close")
    check(login_id in session.windows(), "closing the edit menu leaves the login open")
    session.type(PUPIL["name"])
    session.key("Tab")
    session.type(PUPIL["password"])
    session.key("Return")
    session.wait_gone(LOGIN_CAPTION)
    main_id, main = session.wait_window(MAIN_CAPTION)
    check(set(session.windows()) == {main_id}, "after the login only the main window is open")
    # The display size that fits this 1024x768 screen: 125 %, the window
    # and the practice text a quarter larger than at 100 %.
    global SCALE
    SCALE = main[3] / MAIN_SIZE[0]
    check(abs(main[3] - MAIN_SIZE[0] * 1.25) <= 2 and abs(main[4] - MAIN_SIZE[1] * 1.25) <= 2,
          "the main window is %dx%d, 125 %% of %dx%d, on a 1024x768 screen"
          % (main[3], main[4], MAIN_SIZE[0], MAIN_SIZE[1]))
    logins = session.sql("SELECT name FROM loginhistory")
    check([PUPIL["name"]] in logins, "the login is recorded in loginhistory")
    shot = session.screenshot("02-main-window.png")
    mx, my, mw, mh = geometry(main)
    # Pane 0 at the left of the status bar.
    pane0 = (mx + 2, my + mh - 21, 236, 16)
    idle = shot.count(*pane0, is_dark)

    # The About box (F1) shows its four lines without a scroll bar.
    session.focus(main_id)
    session.key("F1")
    about_id, _ = session.wait_window(ABOUT_CAPTION)
    session.screenshot("02b-about.png")
    session.focus(about_id)
    session.key("Return")
    session.wait_gone(ABOUT_CAPTION)

    # A highlighted item of the view's context menu shows its prompt in pane 0.
    session.focus(main_id)
    session.x("xdotool", "mousemove", str(mx + mw // 2), str(my + mh // 2), "click", "3")
    menu_id = session.wait_new_window({main_id}, "the context menu")
    session.key("Down")
    def prompt_shown():
        shot = session.screenshot("02c-context-menu.png")
        return shot.count(*pane0, is_dark) > idle + 50
    session.wait_for(prompt_shown, "the context-menu prompt in pane 0")
    check(True, "a context-menu item's prompt shows in pane 0")
    session.key("Escape")
    session.wait_for(lambda: menu_id not in session.windows(), "the context menu to close")

    # English practice: 40 characters, 4 of them wrong.
    with open(os.path.join(session.data, "english.txt"), "rb") as f:
        english = f.read().replace(b"\r", b"").replace(b"\n", b"").decode("ascii")
    target = english[:40]
    mistakes = choose_mistakes(target, [3, 11, 22, 35])
    typed = with_mistakes(target, mistakes, "xq")
    session.focus(main_id)
    session.key("ctrl+e")
    before = practice_screen(session, geometry(main), "03-english-practice.png")
    session.key("space")
    clock_started = time.monotonic()
    # Delete types nothing: the cells stay where they are.
    session.key("Delete")
    session.type(typed)
    shot = wait_typed(session, geometry(main), "03-english-practice.png", before,
                      main[1] + int((len(target) - 1) * CHAR_WIDTH * SCALE))
    check(set(session.windows()) == {main_id}, "no message interrupted the English practice")
    check_red_cells(shot, geometry(main), before, target, mistakes, CHAR_WIDTH, "English")
    # At least two ticks of the one-second practice clock.
    time.sleep(max(0.0, clock_started + 3.2 - time.monotonic()))
    session.key("Escape")
    question_id, _ = session.wait_window(END_QUESTION_CAPTION)
    session.focus(question_id)
    session.key("Return")
    result_id, _ = session.wait_window(RESULT_CAPTION)
    session.screenshot("04-result-dialog.png")
    session.focus(result_id)
    session.key("Return")
    session.wait_gone(RESULT_CAPTION)
    session.wait_for(lambda: set(session.windows()) == {main_id}, "the main window alone")

    rows = session.sql("SELECT * FROM score WHERE student_no = '%s'" % PUPIL["student_no"])
    check(len(rows) == 1, "one score row is stored: %s" % rows)
    row = rows[0]
    correct = len(target) - len(mistakes)
    seconds = int(row[8])
    check(row[0] == PUPIL["name"] and row[1] == PUPIL["student_no"],
          "the row names the pupil")
    check(row[3] == "英文测试", "field 3 holds 英文测试")
    check(seconds >= 2, "the stored seconds (%d) cover two clock ticks" % seconds)
    check(int(row[5]) == correct // seconds,
          "the English speed %s = %d correct / %d s" % (row[5], correct, seconds))
    accuracy = int(correct / len(target) * 100)
    check(int(row[9]) == accuracy, "the accuracy %s = int(%d/%d*100)"
          % (row[9], correct, len(target)))
    check(row[4] == row[6] == row[7] == "", "the other kinds' speeds are empty")

    # Chinese practice, characters typed through the keyboard.
    with open(os.path.join(session.data, "chinese.txt"), "rb") as f:
        chinese = f.read().decode("gbk").replace("\r", "").replace("\n", "")
    target = chinese[:5]
    mistakes = choose_mistakes(target, [2])
    typed = with_mistakes(target, mistakes, "中文")
    # xdotool types a character only if a key of the keyboard map yields it.
    needed = sorted(set(typed))
    mapping = []
    for code, ch in zip(spare_keycodes(session, len(needed)), needed):
        mapping += ["-e", "keycode %d = U%04X" % (code, ord(ch))]
    session.x("xmodmap", *mapping)
    session.focus(main_id)
    session.key("ctrl+c")
    before = practice_screen(session, geometry(main), "05-chinese-practice.png")
    session.key("space")
    space_sent = time.monotonic()
    session.key("Delete")
    session.type(typed, delay=80)
    shot = wait_typed(session, geometry(main), "05-chinese-practice.png", before,
                      main[1] + int((len(target) - 1) * 2 * CHAR_WIDTH * SCALE))
    check(set(session.windows()) == {main_id}, "no message interrupted the Chinese practice")
    check_red_cells(shot, geometry(main), before, target, mistakes, 2 * CHAR_WIDTH, "Chinese")

    # End it and save: the attempt is stored beside the score row.
    time.sleep(max(0.0, space_sent + 2.5 - time.monotonic()))
    session.key("Escape")
    escape_sent = time.monotonic()
    question_id, _ = session.wait_window(END_QUESTION_CAPTION)
    session.focus(question_id)
    session.key("Return")
    result_id, _ = session.wait_window(RESULT_CAPTION)
    session.focus(result_id)
    session.key("Return")
    session.wait_gone(RESULT_CAPTION)
    session.wait_for(lambda: set(session.windows()) == {main_id}, "the main window alone")
    check_attempts(session, len(target), len(target) - len(mistakes),
                   escape_sent - space_sent)

    # The personal score query, through the menu bar by keyboard: Alt+T
    # opens 练习(&T); two steps right reach 成绩查詢(S), whose first item is
    # 个人成绩.
    session.focus(main_id)
    session.key("alt+t", "Right", "Right", "Return")
    query_id, query = session.wait_window(QUERY_CAPTION)
    shot = session.screenshot("06-score-query.png")
    # The pupil's own two rows, not the namesake's.
    check_query_rows(shot, geometry(query), 2)
    session.focus(query_id)
    session.key("Return")
    session.wait_gone(QUERY_CAPTION)

    # 我的练习记录 through its menu: Alt+J opens 教学(&J), its first item.
    session.focus(main_id)
    session.key("alt+j", "Return")
    progress_id, progress = session.wait_window(PROGRESS_CAPTION)
    session.screenshot("07-my-progress.png")
    check_progress_rows(session, progress_id, len(target), len(target) - len(mistakes))
    session.key("Escape")
    session.wait_gone(PROGRESS_CAPTION)

    # Lesson 1 of the typing course, typed with two wrong keys and passed.
    import realcourse
    realcourse.pupil_lesson(session, main_id, main)

    # The teacher looks at the class, exports it, imports a class list and
    # makes the login cards, and reads the class's course progress; then the
    # pupil comes back to clear her scores.
    log_off_and_in(session, main_id, SUPER_USER, super_user=True)
    teacher_tools(session, main_id)
    realcourse.teacher_course(session, main_id)
    log_off_and_in(session, main_id, PUPIL, super_user=False)

    clear_personal_scores(session, main_id)

    # The exit question: No keeps the program, Yes ends it.
    session.focus(main_id)
    session.key("ctrl+x")
    exit_id, _ = session.wait_window(EXIT_CAPTION)
    session.screenshot("09-exit-question.png")
    session.focus(exit_id)
    session.key("n")
    session.wait_gone(EXIT_CAPTION)
    check(session.program.poll() is None and main_id in session.windows(),
          "answering No keeps the program running")
    # With the help window open, Yes ends the program all the same.
    session.focus(main_id)
    session.key("F2")
    session.wait_window(HELP_CAPTION)
    session.screenshot("10-help.png")
    session.focus(main_id)
    session.key("ctrl+x")
    exit_id, _ = session.wait_window(EXIT_CAPTION)
    session.focus(exit_id)
    session.key("y")
    try:
        status = session.program.wait(timeout=15)
    except subprocess.TimeoutExpired:
        raise Failure("the program did not end after Yes")
    check(status == 0, "answering Yes ends the program with status %d" % status)


def check_attempts(session, typed, correct, seconds_between_keys):
    """The stored attempts: the English practice, then the Chinese one with
    its counts, a time that matches the keys sent, and its mistyped cell."""
    pupil_key = session.sql("SELECT qe_key FROM user WHERE name = '%s'" % PUPIL["name"])[0][0]
    rows = session.sql("SELECT a.user_key, a.user_name, a.class_name, a.student_no, a.kind, "
                       "a.typed_units, a.correct_units, a.elapsed_ms, a.end_reason, s.qe_key "
                       "FROM attempt a JOIN score s ON s.qe_key = a.score_key ORDER BY a.id")
    check(len(rows) == 2, "two attempts are stored, each with its score row: %s" % rows)
    check([r[4] for r in rows] == ["112", "111"], "the English, then the Chinese attempt")
    user_key, name, class_name, student_no, _, typed_units, correct_units, ms, reason, _ = rows[1]
    check(user_key == pupil_key, "the attempt names the pupil's row (key %s)" % user_key)
    check((name, class_name, student_no) == (PUPIL["name"], PUPIL["class"], PUPIL["student_no"]),
          "the attempt names the pupil, class and number")
    check((int(typed_units), int(correct_units)) == (typed, correct),
          "the Chinese attempt counts %s typed, %s correct" % (typed_units, correct_units))
    check(reason == "1", "the Chinese practice ended with Esc")
    check(abs(int(ms) / 1000 - seconds_between_keys) < 1.0,
          "the elapsed %s ms matches the %.2f s from the space bar to Esc"
          % (ms, seconds_between_keys))
    wrong = session.sql("SELECT COUNT(*) FROM attempt_mistake WHERE attempt_id = "
                        "(SELECT MAX(id) FROM attempt)")
    check(wrong == [[str(typed - correct)]], "the mistyped cell is stored: %s" % wrong)


def clipboard(session):
    return session.x("xclip", "-o", "-selection", "clipboard", check_rc=False)


def check_progress_rows(session, progress_id, typed, correct):
    """Copies the newest and the oldest row of 我的练习记录 (Ctrl+C on the
    list) and checks the Chinese practice's 字/分 against the stored time."""
    ms = int(session.sql("SELECT elapsed_ms FROM attempt WHERE kind = 111")[0][0])
    session.focus(progress_id)
    session.key("Home", "ctrl+c")
    newest = session.wait_for(lambda: clipboard(session), "the copied row").split("\t")
    check(len(newest) == 9 and newest[1] == "中文",
          "the newest row is the Chinese practice: %s" % newest)
    # The key presses QE's window received, as 码长 per correct character.
    presses = int(session.sql("SELECT key_presses FROM attempt WHERE kind = 111")[0][0])
    check(newest[6] == "%.2f" % (presses / correct),
          "its 码长 %s is the %d key presses over %d correct characters"
          % (newest[6], presses, correct))
    speed, _, unit = newest[2].partition(" ")
    expected = correct * 60000 / ms
    check(unit == "字/分" and abs(float(speed) - expected) <= 0.05 + 1e-9,
          "it shows %s, %d correct in %d ms = %.3f 字/分" % (newest[2], correct, ms, expected))
    check(newest[3] == "%d%%" % int(correct / typed * 100), "and the accuracy %s" % newest[3])
    session.key("End", "ctrl+c")
    session.wait_for(lambda: "英文" in clipboard(session), "the oldest row copied")
    oldest = clipboard(session).split("\t")
    check(oldest[1] == "英文" and oldest[2].endswith(" WPM"),
          "the oldest row is the English practice in WPM: %s" % oldest)
def log_off_and_in(session, main_id, user, super_user):
    """注销当前用户 (操作(&D), &U), then the login as user: the kind list
    first (Up from 普通用户 is 超级用户), Tab to the name, Tab to the password."""
    session.focus(main_id)
    session.key("alt+d", "u")
    login_id, _ = session.wait_window(LOGIN_CAPTION)
    session.focus(login_id)
    if super_user:
        session.key("Up")
    session.key("Tab", "ctrl+a")
    type_text(session, user["name"])
    session.key("Tab")
    session.type(user["password"])
    session.key("Return")
    session.wait_gone(LOGIN_CAPTION)
    session.wait_for(lambda: set(session.windows()) == {main_id}, "the main window alone")


def type_text(session, text):
    """Types text that may hold Chinese: each Chinese character is mapped to
    a spare keycode first (xdotool loses it otherwise)."""
    needed = sorted({ch for ch in text if ord(ch) > 127})
    if needed:
        mapping = []
        for code, ch in zip(spare_keycodes(session, len(needed)), needed):
            mapping += ["-e", "keycode %d = U%04X" % (code, ord(ch))]
        session.x("xmodmap", *mapping)
    session.type(text, delay=80)


def choose_file(session, caption, path):
    """Types a whole path into Qt's own file chooser and accepts it."""
    chooser_id, _ = session.wait_window(caption)
    session.focus(chooser_id)
    session.key("ctrl+a")
    session.type(path)
    session.key("Return")
    session.wait_for(lambda: chooser_id not in session.windows(), "the file chooser to close")


def accept_notice(session, what):
    notice_id, _ = session.wait_window(NOTICE_CAPTION)
    session.screenshot(what)
    session.focus(notice_id)
    session.key("Return")
    session.wait_gone(NOTICE_CAPTION)


def read_table(session, path):
    """The exported file read back with openpyxl or Python's csv module."""
    reader = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "read_table.py")
    done = subprocess.run(["/usr/bin/python3", reader, path], capture_output=True, text=True,
                          timeout=60)
    if done.returncode != 0:
        raise Failure("read_table.py failed: " + done.stderr.strip())
    import json
    return json.loads(done.stdout)


# Classmates of the pupil, with Chinese practices over the last weeks
# (days ago, correct characters in 60 s); the last one never practised.
CLASSMATES = [
    ("wangming", "20240130", [(1, 31), (8, 27), (15, 22), (22, 18)]),
    ("zhaoli", "20240131", [(2, 45), (9, 41), (16, 38)]),
    ("qianjun", "20240132", [(3, 12), (10, 9)]),
    ("sunqiang", "20240133", []),
]


def add_classmates(session):
    for name, number, practices in CLASSMATES:
        session.add_user({"name": name, "class": PUPIL["class"], "student_no": number,
                          "password": "123456"})
        key = session.sql("SELECT qe_key FROM user WHERE name = '%s'" % name)[0][0]
        for days, correct in practices:
            when = ("strftime('%%Y-%%m-%%d %%H:%%M:%%f', 'now', 'localtime', '-%d days')" % days)
            session.sql("INSERT INTO score (name, student_no, score_type, chinese_speed, seconds,"
                        " accuracy) VALUES ('%s', '%s', '中文测试', 0, 60, 95);"
                        "INSERT INTO attempt (score_key, user_key, user_name, class_name,"
                        " student_no, kind, text_file, text_hash, started_at, ended_at,"
                        " elapsed_ms, typed_units, correct_units, backspaces, end_reason)"
                        " VALUES (last_insert_rowid(), %s, '%s', '%s', '%s', 111, 'chinese.txt',"
                        " '', %s, %s, 60000, %d, %d, 0, 1)"
                        % (name, number, key, name, PUPIL["class"], number, when, when,
                           correct + 2, correct))


def teacher_tools(session, main_id):
    add_classmates(session)
    # 教学(&J): 我的练习记录 is a pupil's and disabled, so the first item the
    # keyboard reaches is 班级成绩报表.
    session.focus(main_id)
    session.key("alt+j", "Return")
    report_id, _ = session.wait_window(REPORT_CAPTION)
    session.screenshot("11-class-report.png")

    # The pupil's two practices of today are this term's; one was Chinese.
    session.focus(report_id)
    session.key("alt+g")
    session.wait_window(CHART_CAPTION)
    session.screenshot("12-class-chart.png")
    chart_id, _ = session.window_named(CHART_CAPTION)
    session.focus(chart_id)
    session.key("Escape")
    session.wait_gone(CHART_CAPTION)

    xlsx = os.path.join(session.work, "report.xlsx")
    session.focus(report_id)
    session.key("alt+x")
    choose_file(session, EXPORT_CAPTION, xlsx)
    accept_notice(session, "11a-exported.png")
    check(os.path.exists(xlsx), "the report is exported to %s" % xlsx)
    rows = read_table(session, xlsx)["sheets"][0]["rows"]
    check(rows[0][0][1].startswith(PUPIL["class"] + " 中文练习成绩"),
          "the export's title names the class and the kind: %s" % rows[0][0][1])
    pupil_row = [r for r in rows[2:] if r[0][1] == PUPIL["name"]]
    check(len(pupil_row) == 1 and pupil_row[0][1][1] == PUPIL["student_no"]
          and pupil_row[0][2][0] == "n" and pupil_row[0][2][1] == 1,
          "the pupil's row counts her one Chinese practice as a number: %s" % pupil_row)
    ms, correct = (int(v) for v in session.sql(
        "SELECT elapsed_ms, correct_units FROM attempt WHERE kind = 111 AND user_key = 1")[0])
    check(abs(pupil_row[0][5][1] - correct * 60000 / ms) < 0.05 + 1e-9,
          "her average speed %s 字/分 is %d correct in %d ms" % (pupil_row[0][5][1], correct, ms))
    check(ms < 30000 and pupil_row[0][3][1] == 0,
          "a practice of %d ms, shorter than 30 s and not the whole screen, is no best: %s"
          % (ms, pupil_row[0][3][1]))
    session.focus(report_id)
    session.key("Escape")
    session.wait_gone(REPORT_CAPTION)

    # Import a class list: the file chooser, then the preview; nothing is
    # written before the teacher confirms.
    path = os.path.join(session.work, "classlist.csv")
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write(CLASS_LIST)
    before = session.sql("SELECT COUNT(*) FROM user")[0][0]
    session.focus(main_id)
    session.key("alt+j", "Down", "Down", "Return")
    choose_file(session, IMPORT_CHOOSER_CAPTION, path)
    # The preview has the chooser's caption.
    preview_id, _ = session.wait_window(IMPORT_CAPTION)
    session.screenshot("13-import-preview.png")
    check(session.sql("SELECT COUNT(*) FROM user")[0][0] == before,
          "the preview has written nothing")
    session.focus(preview_id)
    session.key("alt+y")
    # Asked whether to print the new pupils' cards now: Return is Yes, and
    # their cards carry the passwords just set, as a PDF rendered for a look.
    notice_id, _ = session.wait_window(NOTICE_CAPTION)
    session.screenshot("13a-imported.png")
    session.focus(notice_id)
    session.key("Return")
    cards = os.path.join(session.work, "cards.pdf")
    cards_id, _ = session.wait_window(CARDS_CAPTION)
    session.focus(cards_id)
    session.key("alt+d")
    choose_file(session, EXPORT_CAPTION, cards)
    accept_notice(session, "14a-cards-exported.png")
    session.focus(cards_id)
    session.key("Escape")
    session.wait_gone(CARDS_CAPTION)
    session.wait_gone(IMPORT_CAPTION)
    added = session.sql("SELECT name, class, student_no, substr(password, 1, 10) FROM user "
                        "WHERE student_no IN ('20240118', '20240119', '20240120', '20240121') "
                        "ORDER BY student_no")
    check(added == [["wangfang", PUPIL["class"], "20240118", "$argon2id$"],
                    ["zhangwei", PUPIL["class"], "20240119", "$argon2id$"]],
          "the two rows that keep the rules are added with hashed passwords, the other two "
          "refused: %s" % added)
    pages = subprocess.run(["pdfinfo", cards], capture_output=True, text=True).stdout
    count = [line.split()[1] for line in pages.splitlines() if line.startswith("Pages:")]
    check(count == ["1"], "the two new pupils' cards fill one page (%s)" % count)
    shutil.copy(cards, os.path.join(session.out, "14-login-cards.pdf"))
    text = subprocess.run(["pdftotext", cards, "-"], capture_output=True, text=True).stdout
    # (pdftotext reads the bold digits after letters poorly: "fang01" comes
    # out as "fang"; the rendered page shows them.)
    check("密码:fang" in text and "wangfang" in text and "zhangwei" in text,
          "the cards name both pupils and carry the password the list gave wangfang: %r"
          % text[:300])
    subprocess.run(["pdftoppm", "-r", "80", "-png", "-singlefile", cards,
                    os.path.join(session.out, "14-login-cards")], check=True)
    print("screenshot", os.path.join(session.out, "14-login-cards.png"), flush=True)

    # A class's cards set new passwords, after a question whose default is
    # No: Return leaves every password as it was and writes no file.
    before = session.sql("SELECT student_no, password FROM user ORDER BY student_no")
    class_cards = os.path.join(session.work, "class-cards.pdf")
    session.focus(main_id)
    session.key("alt+j", "Down", "Down", "Down", "Return")
    cards_id, _ = session.wait_window(CARDS_CAPTION)
    session.focus(cards_id)
    session.key("alt+d")
    question_id, _ = session.wait_window(NOTICE_CAPTION)
    session.screenshot("14b-renew-question.png")
    session.focus(question_id)
    session.key("Return")
    session.wait_gone(NOTICE_CAPTION)
    session.focus(cards_id)
    session.key("Escape")
    session.wait_gone(CARDS_CAPTION)
    check(session.sql("SELECT student_no, password FROM user ORDER BY student_no") == before
          and not os.path.exists(class_cards),
          "No keeps every password and writes no cards")


def scores_by_number(session):
    """Score rows per student number, of the pupil and her namesake."""
    counts = {}
    for (number,) in session.sql("SELECT student_no FROM score WHERE name = '%s'"
                                 % PUPIL["name"]):
        counts[number] = counts.get(number, 0) + 1
    return counts


def ask_personal_clearing(session, main_id):
    """操作(&D) by keyboard: its fourth item is 清除成绩记录, whose first is
    个人成绩; the question comes before anything is deleted."""
    session.focus(main_id)
    session.key("alt+d", "Down", "Down", "Down", "Right", "Return")
    question_id, question = session.wait_window(CLEAR_QUESTION_CAPTION)
    session.focus(question_id)
    return question_id, question


def clear_personal_scores(session, main_id):
    before = scores_by_number(session)
    check(before == {PUPIL["student_no"]: 2, NAMESAKE["student_no"]: NAMESAKE["scores"]},
          "before the clearing: the pupil's two rows and the namesake's rows (%s)" % before)

    # Enter takes the default answer, No: nothing is deleted, no progress shows.
    ask_personal_clearing(session, main_id)
    session.screenshot("08-clear-question.png")
    session.key("Return")
    session.wait_gone(CLEAR_QUESTION_CAPTION)
    session.wait_for(lambda: set(session.windows()) == {main_id}, "the main window alone")
    check(scores_by_number(session) == before, "answering No deletes nothing")

    # Yes: the progress notice deletes the pupil's own rows and closes by itself.
    ask_personal_clearing(session, main_id)
    session.key("y")
    session.wait_gone(CLEAR_QUESTION_CAPTION)
    session.wait_for(lambda: scores_by_number(session) != before, "the clearing")
    session.wait_for(lambda: set(session.windows()) == {main_id},
                     "the clearing notice to close by itself")
    after = scores_by_number(session)
    check(after == {NAMESAKE["student_no"]: NAMESAKE["scores"]},
          "answering Yes deletes the pupil's rows only; the namesake's stay (%s)" % after)
    left = session.sql("SELECT (SELECT COUNT(*) FROM attempt WHERE user_key = 1), "
                       "(SELECT COUNT(*) FROM attempt_mistake)")
    check(left == [["0", "0"]], "the pupil's attempts and mistyped cells went with the rows (%s)"
          % left)


def text_lines(image, left, top, width, height):
    """The bands of rows (top, bottom) that hold dark (text) pixels."""
    lines = []
    for y in range(top, top + height):
        if image.count(left, y, width, 1, is_dark):
            if lines and y - lines[-1][1] <= 2:
                lines[-1][1] = y
            else:
                lines.append([y, y])
    return lines


def check_query_rows(image, window, expected):
    """Counts the text lines in the upper half of the dialog's list: the
    header and one line per listed row."""
    wx, wy, ww, wh = window
    # The list stands at (6,6) 396 by 240 of the 409 by 273 dialog units;
    # a few pixels in from its frame, and clear of the scroll bar below.
    left = wx + ww * 6 // 409 + 4
    right = wx + ww * 402 // 409 - 4
    top = wy + wh * 6 // 273 + 2
    bottom = wy + wh * 246 // 273
    lines = text_lines(image, left, top, right - left, (bottom - top) // 2)
    check(len(lines) == 1 + expected, "the score query lists the header and %d row(s):"
          " text lines at %s" % (expected, lines))


def run_main(argv, doc, run):
    """Runs one scenario, run(session), on a fresh Session: argv is the
    script's (qe, data folder, output folder); prints the result and returns
    the exit status."""
    if len(argv) != 4:
        print(doc, file=sys.stderr)
        return 2
    qe, data, out = argv[1:]
    os.makedirs(out, exist_ok=True)
    for name in os.listdir(out):
        if name.endswith(".png"):
            os.remove(os.path.join(out, name))  # no stale pictures from an earlier run
    print("screenshots and log in", os.path.abspath(out), flush=True)
    session = Session(qe, data, out)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    began = time.monotonic()
    try:
        run(session)
    except Failure as failure:
        print("FAIL:", failure, flush=True)
        try:
            if session.program and session.program.poll() is None:
                session.screenshot("failure.png")
        except Exception:
            pass
        return 1
    finally:
        session.stop()
    print("passed in %.1f s" % (time.monotonic() - began))
    return 0


def main(argv):
    return run_main(argv, __doc__, run)


if __name__ == "__main__":
    # The scenarios that import this module share its classes with the script.
    sys.modules["realwindow"] = sys.modules[__name__]
    sys.exit(main(sys.argv))
