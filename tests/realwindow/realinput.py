#!/usr/bin/env python3
"""Types Chinese into the built program through real input methods.

Usage: realinput.py QE_BINARY DATA_DIR OUTPUT_DIR [fcitx5|ibus ...]

For fcitx5 and then IBus (or the ones named), each on its own Xvfb and its
own D-Bus session, with its configuration written into a fresh home folder
(nothing of the machine's user settings is read or touched): log in as a
pupil, open the Chinese practice, start it, switch pinyin on with
Ctrl+Space and type the pinyin of the first characters of chinese.txt.
Phrases are committed at once, one syllable gets a wrong candidate chosen
by its digit after a Backspace inside the composition, and one composition
is left open while the focus goes to another window. Screenshots show the
composition at the typing position with the candidate window beside it;
the stored score row must count exactly the characters committed.
Screenshots land in OUTPUT_DIR for a reviewer.
"""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import uuid

import realwindow as rw
from realwindow import Failure, check

CELL = 2 * rw.CHAR_WIDTH

# What is typed, cell by cell of the practice text: the pinyin, the keys that
# end the composition, and how many cells it commits. "，" comes from the
# comma key through the input method's Chinese punctuation, with no
# composition. The candidate 2 of "le" is not 了: that cell is mistyped.
STEPS = [
    ("xinxueqi", ["space"], 3),                   # 新学期, a phrase at once
    ("kaishi", ["space"], 2),                     # 开始
    ("lw", ["BackSpace", "e", "2"], 1),           # 了, mistyped on purpose
    (None, ["comma"], 1),                         # ，
    ("womenban", ["space"], 3),                   # 我们班
]
MISTYPED = [5]
# Composed, abandoned by the focus loss, then typed in full: 第一次. A whole
# phrase, as the input method forgets the context of the sentence when it
# loses the focus.
LEFT_OPEN = ("diyi", "diyici", 3)

FCITX5_PROFILE = """[Groups/0]
Name=Default
Default Layout=us
DefaultIM=pinyin

[Groups/0/Items/0]
Name=keyboard-us
Layout=

[Groups/0/Items/1]
Name=pinyin
Layout=

[GroupOrder]
0=Default
"""

# Ctrl+Space switches pinyin on; no pop-up names the input method, and no
# add-on reaches the network or another frontend.
FCITX5_CONFIG = """[Hotkey/TriggerKeys]
0=Control+space

[Behavior]
ActiveByDefault=False
ShareInputState=No
PreeditEnabledByDefault=True
ShowInputMethodInformation=False
showInputMethodInformationWhenFocusIn=False

[Behavior/DisabledAddons]
0=cloudpinyin
1=notificationitem
2=kimpanel
3=wayland
4=waylandim
5=fcitx4frontend
6=ibusfrontend
7=clipboard
"""

FCITX5_PINYIN = """PageSize=5
FirstRun=False
CloudPinyinEnabled=False
SpellEnabled=False
EmojiEnabled=False
ChaiziEnabled=False
PreeditInApplication=True
"""

# GSettings read from this file (GSETTINGS_BACKEND=keyfile), by the IBus
# panel and the pinyin engine.
IBUS_KEYFILE = """[desktop/ibus/general]
preload-engines=['xkb:us::eng', 'libpinyin']
engines-order=['xkb:us::eng', 'libpinyin']
use-system-keyboard-layout=true

[desktop/ibus/general/hotkey]
triggers=['<Control>space']

[desktop/ibus/panel]
show=0
show-icon-on-systray=false

[com/github/libpinyin/ibus-libpinyin/libpinyin]
lookup-table-page-size=5
init-chinese=true
init-full-punct=true
"""


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


class InputMethodSession(rw.Session):
    """A program session with its own home folder, D-Bus session and input
    method. Every process started for it carries a marker in its
    environment, so that stop() finds and ends exactly those, including the
    ones the input method and the bus started in turn."""

    def __init__(self, qe, data, out, im):
        super().__init__(qe, data, out)
        self.im = im
        self.home = None
        self.marker = "qe-realinput-" + uuid.uuid4().hex
        self.other_windows = set()  # windows of ours that are no candidate list
        self.helpers = []

    def prepare_home(self):
        self.home = tempfile.mkdtemp(prefix="qe-realinput-home.")
        env = self.env
        for name in ("DBUS_SESSION_BUS_ADDRESS", "IBUS_ADDRESS", "GTK_IM_MODULE",
                     "XDG_CURRENT_DESKTOP", "XDG_SESSION_TYPE"):
            env.pop(name, None)
        runtime = os.path.join(self.home, "runtime")
        os.makedirs(runtime, mode=0o700)
        env.update({
            "HOME": self.home,
            "XDG_CONFIG_HOME": os.path.join(self.home, ".config"),
            "XDG_DATA_HOME": os.path.join(self.home, ".local", "share"),
            "XDG_CACHE_HOME": os.path.join(self.home, ".cache"),
            "XDG_STATE_HOME": os.path.join(self.home, ".local", "state"),
            "XDG_RUNTIME_DIR": runtime,
            "NO_AT_BRIDGE": "1",
            "GTK_A11Y": "none",
            "QE_REALINPUT_MARKER": self.marker,
        })
        config = env["XDG_CONFIG_HOME"]
        # The composition is found by its pixels at a display size of 100 %.
        self.write_display_percent(config, 100)
        if self.im == "fcitx5":
            write(os.path.join(config, "fcitx5", "profile"), FCITX5_PROFILE)
            write(os.path.join(config, "fcitx5", "config"), FCITX5_CONFIG)
            write(os.path.join(config, "fcitx5", "conf", "pinyin.conf"), FCITX5_PINYIN)
            env["QT_IM_MODULE"] = "fcitx"
            env["XMODIFIERS"] = "@im=fcitx"
        else:
            write(os.path.join(config, "glib-2.0", "settings", "keyfile"), IBUS_KEYFILE)
            env["GSETTINGS_BACKEND"] = "keyfile"
            env["QT_IM_MODULE"] = "ibus"
            env["XMODIFIERS"] = "@im=ibus"

    def start_bus(self):
        out = self.x("dbus-launch", "--sh-syntax", "--exit-with-x11")
        for line in out.splitlines():
            name, _, value = line.partition("=")
            if name in ("DBUS_SESSION_BUS_ADDRESS", "DBUS_SESSION_BUS_PID"):
                self.env[name] = value.rstrip(";").strip("'")
        check("DBUS_SESSION_BUS_ADDRESS" in self.env, "a D-Bus session of its own is running")

    def helper(self, args, log_name):
        with open(os.path.join(self.out, log_name), "w") as log:
            self.helpers.append(subprocess.Popen(args, env=self.env, stdout=log,
                                                 stderr=subprocess.STDOUT))

    def bus_has(self, name):
        done = subprocess.run(
            ["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
             "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner", "string:" + name],
            env=self.env, capture_output=True, text=True, timeout=30)
        return "boolean true" in done.stdout

    def wait_until(self, predicate, what, timeout=30):
        """Polls predicate, before the program runs too."""
        deadline = time.monotonic() + timeout
        while not predicate():
            if time.monotonic() > deadline:
                raise Failure("timed out waiting for " + what)
            time.sleep(0.1)

    def ibus_engine(self):
        done = subprocess.run(["ibus", "engine"], env=self.env, capture_output=True, text=True,
                              timeout=30)
        return done.stdout.strip() if done.returncode == 0 else ""

    def start_input_method(self):
        started = time.monotonic()
        if self.im == "fcitx5":
            self.helper(["fcitx5"], "fcitx5.log")
            self.wait_until(lambda: self.bus_has("org.fcitx.Fcitx5"), "fcitx5 on the bus")
        else:
            # The panel switches engines on the trigger key only with a
            # config service; the one in memory writes nothing.
            self.helper(["ibus-daemon", "--panel=/usr/libexec/ibus-ui-gtk3",
                         "--config=/usr/libexec/ibus-memconf", "--emoji-extension=disable"],
                        "ibus.log")
            # The panel sets the first engine of preload-engines once it runs.
            self.wait_until(lambda: self.ibus_engine() == "xkb:us::eng",
                            "the IBus panel to choose the keyboard engine")
        print("%s is ready after %.1f s" % (self.im, time.monotonic() - started), flush=True)

    def pinyin_active(self):
        if self.im == "fcitx5":
            done = subprocess.run(["fcitx5-remote"], env=self.env, capture_output=True,
                                  text=True, timeout=30)
            return done.stdout.strip() == "2"
        return self.ibus_engine() == "libpinyin"

    def stop(self):
        super().stop()
        self.end_marked_processes()
        if self.home:
            shutil.rmtree(self.home, ignore_errors=True)

    def end_marked_processes(self):
        needle = ("QE_REALINPUT_MARKER=" + self.marker).encode()
        for attempt in range(50):
            marked = []
            for entry in os.listdir("/proc"):
                if not entry.isdigit() or int(entry) == os.getpid():
                    continue
                try:
                    with open("/proc/%s/environ" % entry, "rb") as f:
                        if needle in f.read().split(b"\0"):
                            marked.append(int(entry))
                except OSError:
                    continue
            if not marked:
                break
            for pid in marked:
                try:
                    os.kill(pid, signal.SIGTERM if attempt < 20 else signal.SIGKILL)
                except OSError:
                    pass
            time.sleep(0.1)
        for process in self.helpers:
            process.wait()
        # The bus was started by dbus-launch on our behalf and is our child.
        try:
            while os.waitpid(-1, os.WNOHANG)[0] > 0:
                pass
        except ChildProcessError:
            pass


def candidate_window(session):
    """The mapped top-level window that is not the program's and that has
    the size of a candidate list, as (x, y, width, height), or None."""
    own = {int(wid) for wid in set(session.windows()) | session.other_windows}
    tree = session.x("xwininfo", "-root", "-children", check_rc=False)
    for line in tree.splitlines():
        parts = line.split()
        if not parts or not parts[0].startswith("0x") or int(parts[0], 16) in own:
            continue
        wid = parts[0]
        info = session.x("xwininfo", "-id", wid, check_rc=False)
        fields = {}
        for row in info.splitlines():
            key, _, value = row.strip().partition(":")
            fields[key] = value.strip()
        if fields.get("Map State") != "IsViewable":
            continue
        try:
            box = tuple(int(fields[k]) for k in ("Absolute upper-left X", "Absolute upper-left Y",
                                                 "Width", "Height"))
        except (KeyError, ValueError):
            continue
        if 40 <= box[2] <= 900 and 15 <= box[3] <= 400:
            return box
    return None


def is_composition_grey(p):
    return 118 <= p[0] <= 138 and p[0] == p[1] == p[2]


def underline(image, window, candidates):
    """The composition's underline: the longest run of its grey in a pixel
    row of the window outside the candidate window (which may have the same
    grey), as (x, y, length), or None."""
    wx, wy, ww, wh = window
    cx, cy, cw, ch = candidates or (0, 0, 0, 0)
    best = None
    for y in range(wy, wy + wh):
        run = 0
        for x in range(wx, wx + ww):
            inside = cx <= x < cx + cw and cy <= y < cy + ch
            if not inside and is_composition_grey(image.pixel(x, y)):
                run += 1
                if run >= 2 * rw.CHAR_WIDTH and (best is None or run > best[2]):
                    best = (x - run + 1, y, run)
            else:
                run = 0
    return best


def settle(session, name, window, want_candidates):
    """Screenshots until the composition and the candidate window are shown
    and two pictures in a row agree; returns (image, underline, candidates)."""
    last = [None]

    def settled():
        candidates = candidate_window(session)
        image = session.screenshot(name)
        line = underline(image, window, candidates)
        state = (line, candidates)
        shown = line is not None and (candidates is not None) == want_candidates
        if shown and state == last[0]:
            return image, line, candidates
        last[0] = state
        return None
    return session.wait_for(settled, "the composition on the screen", timeout=20)


def cleared(session, name, window):
    """Waits until no composition and no candidate window is shown."""
    def gone():
        image = session.screenshot(name)
        if candidate_window(session) is None and underline(image, window, None) is None:
            return image
        return None
    return session.wait_for(gone, "the composition to leave the screen", timeout=20)


def check_beside(label, line, candidates, cell, origin):
    """The composition starts at the typing cell of row 0 and the candidate
    window lies just below or above that cell."""
    x0, top = origin
    left, y, length = line
    check(left == x0 + cell * CELL, "%s: the composition starts at cell %d (x %d, expected %d)"
          % (label, cell, left - x0, cell * CELL))
    typed_top = top + rw.LINE_HEIGHT
    check(typed_top <= y < typed_top + rw.LINE_HEIGHT,
          "%s: the composition is drawn on the typed line (underline at y %d, line %d-%d)"
          % (label, y - top, typed_top - top, typed_top - top + rw.LINE_HEIGHT - 1))
    cx, cy, cw, ch = candidates
    cursor_x = x0 + cell * CELL
    below = cy - (typed_top + rw.LINE_HEIGHT)
    above = typed_top - (cy + ch)
    check(abs(cx - cursor_x) <= 2 * CELL and (-4 <= below <= 2 * rw.LINE_HEIGHT
                                              or -4 <= above <= 2 * rw.LINE_HEIGHT),
          "%s: the candidate window %dx%d at (%d, %d) lies beside the typing cell at (%d, %d)"
          % (label, cw, ch, cx - x0, cy - top, cursor_x - x0, typed_top - top))


def log_in(session):
    login_id, _ = session.wait_window(rw.LOGIN_CAPTION, timeout=30)
    session.focus(login_id)
    session.key("Tab")
    session.type(rw.PUPIL["name"])
    session.key("Tab")
    session.type(rw.PUPIL["password"])
    session.key("Return")
    session.wait_gone(rw.LOGIN_CAPTION)
    return session.wait_window(rw.MAIN_CAPTION)


def run(session):
    im = session.im
    session.start_display()
    session.make_work_dir()
    session.prepare_home()
    session.start_bus()
    session.start_input_method()
    session.start_program()
    main_id, main = log_in(session)
    window = rw.geometry(main)

    with open(os.path.join(session.data, "chinese.txt"), "rb") as f:
        chinese = f.read().decode("gbk").replace("\r", "").replace("\n", "")
    cells = sum(step[2] for step in STEPS) + LEFT_OPEN[2]
    target = chinese[:cells]

    session.focus(main_id)
    session.key("ctrl+c")
    before = rw.practice_screen(session, window, "%s-0-practice.png" % im)
    session.key("space")
    session.key("ctrl+space")
    session.wait_for(session.pinyin_active, "%s to switch pinyin on" % im)

    compositions = []  # (label, underline, candidate window, cell)
    cell = 0
    for number, (pinyin, keys, count) in enumerate(STEPS, 1):
        if pinyin:
            session.type(pinyin)
            shot = "%s-%d-composition.png" % (im, number)
            _, line, candidates = settle(session, shot, window, True)
            compositions.append(("%s %s" % (im, pinyin), line, candidates, cell))
        session.key(*keys)
        cell += count
        cleared(session, "%s-typed.png" % im, window)
        if cell - 1 not in MISTYPED:
            rw.wait_typed(session, window, "%s-typed.png" % im, before,
                          window[0] + (cell - 1) * CELL)

    # The underline is the last pixel row of the typed line below the
    # practice line of row 0, which holds the first red characters.
    origin = (window[0], compositions[0][1][1] - 2 * rw.LINE_HEIGHT + 1)
    red = session.screenshot("%s-typed.png" % im).reds(window) - before
    top = min(y for _, y in red)
    check(origin[1] <= top < origin[1] + rw.LINE_HEIGHT,
          "%s: the red characters lie on the practice line above the composition" % im)
    for label, line, candidates, at in compositions:
        check_beside(label, line, candidates, at, origin)

    # A composition left open when the focus goes elsewhere is cancelled.
    session.type(LEFT_OPEN[0])
    _, line, candidates = settle(session, "%s-6-before-focus-loss.png" % im, window, True)
    check_beside("%s %s" % (im, LEFT_OPEN[0]), line, candidates, cell, origin)
    other = subprocess.Popen(["xmessage", "-geometry", "+700+650", "elsewhere"],
                             env=session.env, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
    try:
        other_id = session.wait_for(
            lambda: session.x("xdotool", "search", "--onlyvisible", "--class", "Xmessage",
                              check_rc=False).split()[:1], "the other window")[0]
        session.other_windows.add(other_id)
        session.focus(other_id)
        lost = cleared(session, "%s-7-focus-lost.png" % im, window)
    finally:
        other.kill()
        other.wait()
    session.focus(main_id)
    # Nothing of the abandoned composition was typed: the typed line beyond
    # the committed cells holds only the cursor.
    cursor_cell = (origin[0] + cell * CELL, origin[1] + rw.LINE_HEIGHT)
    after_focus = session.screenshot("%s-8-focus-back.png" % im)
    for image, when in ((lost, "after the focus left"), (after_focus, "after it came back")):
        beyond = image.count(cursor_cell[0] + CELL, cursor_cell[1], 6 * CELL, rw.LINE_HEIGHT,
                             rw.is_dark)
        check(beyond == 0, "%s: nothing typed beyond cell %d %s (%d dark pixels)"
              % (im, cell, when, beyond))
    session.type(LEFT_OPEN[1])
    settle(session, "%s-9-composition-again.png" % im, window, True)
    session.key("space")
    cell += LEFT_OPEN[2]
    shot = rw.wait_typed(session, window, "%s-10-typed.png" % im, before,
                         window[0] + (cell - 1) * CELL)
    cleared(session, "%s-10-typed.png" % im, window)
    check(set(session.windows()) == {main_id}, "%s: no message interrupted the practice" % im)
    rw.check_red_cells(shot, window, before, target, MISTYPED, CELL, im)

    # The end and the score; the practice has taken seconds of clock ticks.
    session.key("Escape")
    question_id, _ = session.wait_window(rw.END_QUESTION_CAPTION)
    session.focus(question_id)
    session.key("Return")
    result_id, _ = session.wait_window(rw.RESULT_CAPTION)
    session.screenshot("%s-11-result.png" % im)
    session.focus(result_id)
    session.key("Return")
    session.wait_gone(rw.RESULT_CAPTION)

    rows = session.sql("SELECT * FROM score")
    print("%s: stored rows %s" % (im, rows), flush=True)
    check(len(rows) == 1, "%s: one score row is stored" % im)
    row = rows[0]
    typed = cells
    correct = cells - len(MISTYPED)
    seconds = int(row[8])
    check(row[0] == rw.PUPIL["name"] and row[3] == "中文测试",
          "%s: the row is the pupil's Chinese test" % im)
    check(seconds >= 1, "%s: the stored seconds (%d) count the practice" % (im, seconds))
    check(int(row[4]) == correct // seconds, "%s: the Chinese speed %s = %d correct / %d s"
          % (im, row[4], correct, seconds))
    check(int(row[9]) == int(correct / typed * 100), "%s: the accuracy %s = int(%d/%d*100)"
          % (im, row[9], correct, typed))
    check(row[5] == row[6] == row[7] == "", "%s: the other kinds' speeds are empty" % im)

    # Every key xdotool pressed in the practice is counted, those the input
    # method took included: Control and Space to switch pinyin on, the
    # pinyin letters, the candidates' keys, the composition left open.
    sent = 2 + sum(len(pinyin or "") + len(keys) for pinyin, keys, _ in STEPS)
    sent += len(LEFT_OPEN[0]) + len(LEFT_OPEN[1]) + 1
    # IBus's panel grabs its trigger on the whole display: the Space of
    # Ctrl+Space goes to the panel and never reaches QE's window; fcitx5
    # takes it from the application, which receives it first.
    received = sent - (1 if im == "ibus" else 0)
    backspaces = sum(keys.count("BackSpace") for _, keys, _ in STEPS)
    presses, backspace_presses = session.sql(
        "SELECT key_presses, backspace_presses FROM attempt")[0]
    print("%s: keys sent %d (Backspace %d), %d of them to QE's window, presses counted %s"
          " (Backspace %s), 码长 %.2f" % (im, sent, backspaces, received, presses,
                                         backspace_presses, int(presses or 0) / correct),
          flush=True)
    check(presses != "" and int(presses) == received,
          "%s: the stored key presses (%s) are the %d keys QE's window received"
          % (im, presses, received))
    check(int(backspace_presses) == backspaces,
          "%s: the stored Backspace presses (%s) are the %d sent" % (im, backspace_presses,
                                                                     backspaces))


def main(argv):
    if len(argv) < 4:
        print(__doc__, file=sys.stderr)
        return 2
    qe, data, out = argv[1:4]
    methods = argv[4:] or ["fcitx5", "ibus"]
    os.makedirs(out, exist_ok=True)
    for name in os.listdir(out):
        if name.endswith(".png") or name.endswith(".log"):
            os.remove(os.path.join(out, name))  # nothing stale from an earlier run
    print("screenshots and logs in", os.path.abspath(out), flush=True)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    began = time.monotonic()
    for im in methods:
        session = InputMethodSession(qe, data, out, im)
        started = time.monotonic()
        try:
            run(session)
        except Failure as failure:
            print("FAIL (%s):" % im, failure, flush=True)
            try:
                if session.program and session.program.poll() is None:
                    session.screenshot("%s-failure.png" % im)
            except Exception:
                pass
            return 1
        finally:
            session.stop()
        print("%s passed in %.1f s" % (im, time.monotonic() - started), flush=True)
    print("passed in %.1f s" % (time.monotonic() - began))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
