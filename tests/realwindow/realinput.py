#!/usr/bin/env python3
# The input methods' walk: Chinese typed into the practice through fcitx5
# and then IBus pinyin (or the ones named after OUTPUT_DIR), each on its own
# X server and D-Bus session, its settings in a fresh home folder (nothing of
# the machine's user settings is read or touched). Phrases are committed at
# once, one syllable gets a wrong candidate by its digit after a Backspace
# inside the composition, one character is committed and taken back with
# Backspace, and one composition is left open while the focus
# goes to another window. The composition must show at the typing cell with
# the candidate window beside it, only committed characters be typed, and
# every key the program's window received be counted.

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import uuid

import walk
from walk import PUPIL, check

CELL = 2 * walk.CHAR_WIDTH
# What is typed, cell by cell of the practice text: the pinyin, the keys that
# end the composition, and how many cells it commits. "，" comes from the
# comma key through the input method's Chinese punctuation, with no
# composition. The candidate 2 of "le" is not 了: that cell is mistyped.
STEPS = [
    ("xinxueqi", ["space"], 3),                   # 新学期, a phrase at once
    ("kaishi", ["space"], 2),                     # 开始
    ("lw", ["BackSpace", "e", "2"], 1),           # 了, mistyped on purpose
    (None, ["comma"], 1),                         # ，
    ("wo", ["space", "BackSpace"], 0),            # 我, committed and taken back
    ("womenban", ["space"], 3),                   # 我们班
]
MISTYPED = [5]
# The keys each commit keeps after the first (Ctrl+Space and 新学期), its
# key count and how its candidate was picked (1: by a digit). The Backspace
# that takes 我 back is among the keys of the commit after it.
COMMIT_KEYS = [
    (None, 0, "0"),
    ("kaishi\u2423", 7, "0"),
    ("lw\u232be2", 5, "1"),
    (",", 1, "0"),
    ("wo\u2423", 3, "0"),
    ("\u232bwomenban\u2423", 10, "0"),
    ("diyidiyici\u2423", 11, "0"),
]
# The commit of 我 whose character went again (回改).
DELETED = 4
# 教学(&J): 我的练习记录 is two and 我的弱项 six below a pupil's first
# item, 今日任务.
PROGRESS_STEPS = 2
PROGRESS_CAPTION = "我的练习记录"
WEAKNESS_STEPS = 6
WEAKNESS_CAPTION = "我的弱项"
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
""" + "".join("%d=%s\n" % item for item in enumerate(
    "cloudpinyin notificationitem kimpanel wayland waylandim fcitx4frontend ibusfrontend"
    " clipboard".split()))

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



class InputMethodSession(walk.Session):
    # A session with its own home folder, D-Bus session and input method.
    # Every process started for it carries a marker in its environment, so
    # that stop() ends exactly those, the ones the input method and the bus
    # started in turn included.

    def __init__(self, qe, data, out, im):
        super().__init__(qe, data, out)
        self.im = im
        self.home = tempfile.mkdtemp(prefix="qe-realinput-home.")
        self.marker = "qe-realinput-" + uuid.uuid4().hex
        self.other_windows = set()  # windows of ours that are no candidate list
        self.helpers = []

    def prepare_home(self):
        # The XDG folders default to the new home's.
        for name in ("DBUS_SESSION_BUS_ADDRESS", "IBUS_ADDRESS", "GTK_IM_MODULE",
                     "XDG_CURRENT_DESKTOP", "XDG_SESSION_TYPE", "XDG_CONFIG_HOME",
                     "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"):
            self.env.pop(name, None)
        runtime = os.path.join(self.home, "runtime")
        os.makedirs(runtime, mode=0o700)
        config = os.path.join(self.home, ".config")
        self.env.update(HOME=self.home, XDG_RUNTIME_DIR=runtime, NO_AT_BRIDGE="1",
                        GTK_A11Y="none", QE_REALINPUT_MARKER=self.marker)
        # The composition is found by its pixels at a display size of 100 %.
        files = {"QE青禾中英文测试系统/qe.conf": "[display]\nscale=100\n"}
        if self.im == "fcitx5":
            files.update({"fcitx5/profile": FCITX5_PROFILE, "fcitx5/config": FCITX5_CONFIG,
                          "fcitx5/conf/pinyin.conf": FCITX5_PINYIN})
            self.env.update(QT_IM_MODULE="fcitx", XMODIFIERS="@im=fcitx")
        else:
            files["glib-2.0/settings/keyfile"] = IBUS_KEYFILE
            self.env.update(GSETTINGS_BACKEND="keyfile", QT_IM_MODULE="ibus",
                            XMODIFIERS="@im=ibus")
        for name, text in files.items():
            os.makedirs(os.path.dirname(os.path.join(config, name)), exist_ok=True)
            with open(os.path.join(config, name), "w", encoding="utf-8") as f:
                f.write(text)

    def start_input_method(self):
        for line in self.x("dbus-launch", "--sh-syntax", "--exit-with-x11").splitlines():
            name, _, value = line.partition("=")
            if name in ("DBUS_SESSION_BUS_ADDRESS", "DBUS_SESSION_BUS_PID"):
                self.env[name] = value.rstrip(";").strip("'")
        check("DBUS_SESSION_BUS_ADDRESS" in self.env, "a D-Bus session of its own is running")
        log = open(os.path.join(self.out, self.im + ".log"), "w")
        self.logs.append(log)
        # IBus's panel switches engines on the trigger key only with a
        # config service; the one in memory writes nothing.
        self.helpers.append(subprocess.Popen(
            ["fcitx5"] if self.im == "fcitx5" else
            ["ibus-daemon", "--panel=/usr/libexec/ibus-ui-gtk3",
             "--config=/usr/libexec/ibus-memconf", "--emoji-extension=disable"],
            env=self.env, stdout=log, stderr=subprocess.STDOUT))
        # Ready with pinyin off: fcitx5 reachable, IBus's panel having set
        # the first engine of preload-engines.
        self.wait_for(lambda: self.pinyin_is(False), "%s to be ready" % self.im, 30)

    def pinyin_is(self, on):
        # Whether pinyin is on (or off): fcitx5's state 2 (or 0 without a
        # focused window, 1), IBus's engine.
        if self.im == "fcitx5":
            return self.x("fcitx5-remote", check_rc=False).strip() in (["2"] if on else ["0", "1"])
        return self.x("ibus", "engine", check_rc=False).strip() == (
            "libpinyin" if on else "xkb:us::eng")

    def marked(self):
        needle = ("QE_REALINPUT_MARKER=" + self.marker).encode()
        for pid in (int(e) for e in os.listdir("/proc") if e.isdigit() and int(e) != os.getpid()):
            try:
                with open("/proc/%d/environ" % pid, "rb") as f:
                    if needle in f.read().split(b"\0"):
                        yield pid
            except OSError:
                pass  # ended meanwhile, or not ours to read

    def stop(self):
        super().stop()
        for attempt in range(50):
            marked = list(self.marked())
            for pid in marked:
                try:
                    os.kill(pid, signal.SIGTERM if attempt < 20 else signal.SIGKILL)
                except OSError:
                    pass
            if not marked:
                break
            time.sleep(0.1)
        for process in self.helpers:
            process.wait()
        try:  # the bus, started by dbus-launch on our behalf, is our child
            while os.waitpid(-1, os.WNOHANG)[0] > 0:
                pass
        except ChildProcessError:
            pass
        shutil.rmtree(self.home, ignore_errors=True)


def candidate_window(session):
    # The mapped top-level window that is not the program's and has the
    # size of a candidate list, as (x, y, width, height), or None.
    own = {int(wid) for wid in set(session.windows()) | session.other_windows}
    for line in session.x("xwininfo", "-root", "-children", check_rc=False).splitlines():
        parts = line.split()
        if parts and parts[0].startswith("0x") and int(parts[0], 16) not in own:
            box = session.box(parts[0])
            if box and 40 <= box[2] <= 900 and 15 <= box[3] <= 400:
                return box
    return None


def underline(image, window, candidates):
    # The composition's underline: the longest run of its grey in a pixel
    # row of the window outside the candidate window (which may have the
    # same grey), as (x, y, length), or None.
    wx, wy, ww, wh = window
    cx, cy, cw, ch = candidates or (0, 0, 0, 0)
    best = None
    for y in range(wy, wy + wh):
        run = 0
        for x in range(wx, wx + ww):
            p = image.pixel(x, y)
            if not (cx <= x < cx + cw and cy <= y < cy + ch) and 118 <= p[0] <= 138 \
                    and p[0] == p[1] == p[2]:
                run += 1
                if run >= 2 * walk.CHAR_WIDTH and (best is None or run > best[2]):
                    best = (x - run + 1, y, run)
            else:
                run = 0
    return best


def composition(session, name, window, shown=True):
    # Screenshots until the composition and the candidate window show (two
    # pictures in a row agreeing) or until neither shows; returns the last
    # picture, the underline and the candidate window.
    last = [None]

    def state():
        candidates = candidate_window(session)
        image = session.screenshot(name)
        now = (underline(image, window, candidates), candidates)
        done = all(now) and now == last[0] if shown else not any(now)
        last[0] = now
        return (image,) + now if done else None
    return session.wait_for(state, "the composition to %s" % ("show" if shown else "go"), 20)


def check_beside(label, line, candidates, cell, origin):
    # The composition starts at the typing cell, on the typed line below
    # the practice line of row 0; the candidate window lies just below or
    # above that cell.
    x0, top = origin
    left, y, _ = line
    typed_top = top + walk.LINE_HEIGHT
    check(left == x0 + cell * CELL and typed_top <= y < typed_top + walk.LINE_HEIGHT,
          "%s: the composition starts at cell %d on the typed line (x %d, underline at y %d)"
          % (label, cell, left - x0, y - top))
    cx, cy, cw, ch = candidates
    below = cy - (typed_top + walk.LINE_HEIGHT)
    above = typed_top - (cy + ch)
    check(abs(cx - (x0 + cell * CELL)) <= 2 * CELL
          and (-4 <= below <= 2 * walk.LINE_HEIGHT or -4 <= above <= 2 * walk.LINE_HEIGHT),
          "%s: the candidate window %dx%d at (%d, %d) lies beside the typing cell"
          % (label, cw, ch, cx - x0, cy - top))


def copy(session, wid, keys, done, what):
    # Presses keys in a window (Ctrl+C among them) until the clipboard holds
    # what done accepts; lists fill once the database has answered.
    def copied():
        session.press(wid, *keys)
        text = session.x("xclip", "-o", "-selection", "clipboard", check_rc=False)
        return text if done(text) else None
    return session.wait_for(copied, what)


def shortest_keys(session, progress_id, method):
    # 我的练习记录's newest row chosen, then Tab pressed until Ctrl+A and
    # Ctrl+C copy the line under the list; returns 码长 and the method's
    # 理论码长 as written.
    session.press(progress_id, "End", "Home")
    line = copy(session, progress_id, ["Tab", "ctrl+a", "ctrl+c"], lambda t: "理论码长" in t,
                "the line of 理论码长 to copy")
    found = re.search(r"码长 ([0-9.]+);理论码长:.*%s ([0-9.]+)" % method, line)
    check(found, "the line names 码长 and %s's 理论码长: %s" % (method, line))
    return found.groups()


def walk_one(session):
    im = session.im
    session.start_display()
    session.make_work_dir()
    session.prepare_home()
    session.start_input_method()
    session.start_program()
    main_id, main = session.log_in(PUPIL)
    window = walk.geometry(main)
    cells = sum(step[2] for step in STEPS) + LEFT_OPEN[2]
    target = walk.text_of(session, "chinese.txt")[:cells]
    session.press(main_id, "ctrl+c")
    before = walk.practice_screen(session, window, "%s-0-practice.png" % im)
    session.key("space", "ctrl+space")
    session.wait_for(lambda: session.pinyin_is(True), "%s to switch pinyin on" % im)

    compositions = []  # (label, underline, candidate window, cell)
    cell = 0
    for number, (pinyin, keys, count) in enumerate(STEPS, 1):
        if pinyin:
            session.type(pinyin)
            _, line, candidates = composition(session, "%s-%d-composition.png" % (im, number),
                                              window)
            compositions.append(("%s %s" % (im, pinyin), line, candidates, cell))
        session.key(*keys)
        cell += count
        composition(session, "%s-typed.png" % im, window, shown=False)
        if cell - 1 not in MISTYPED:
            walk.wait_typed(session, window, "%s-typed.png" % im, before,
                            window[0] + (cell - 1) * CELL)
    # The underline is the last pixel row of the typed line below the
    # practice line of row 0, which holds the first red characters.
    origin = (window[0], compositions[0][1][1] - 2 * walk.LINE_HEIGHT + 1)
    red = session.screenshot("%s-typed.png" % im).reds(window) - before
    check(origin[1] <= min(y for _, y in red) < origin[1] + walk.LINE_HEIGHT,
          "%s: the red characters lie on the practice line above the composition" % im)
    for label, line, candidates, at in compositions:
        check_beside(label, line, candidates, at, origin)

    # A composition left open when the focus goes elsewhere is cancelled.
    session.type(LEFT_OPEN[0])
    _, line, candidates = composition(session, "%s-6-before-focus-loss.png" % im, window)
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
        lost = composition(session, "%s-7-focus-lost.png" % im, window, shown=False)[0]
    finally:
        other.kill()
        other.wait()
    session.press(main_id)
    # Nothing of it was typed: the typed line beyond the committed cells
    # holds only the cursor.
    cursor = (origin[0] + cell * CELL, origin[1] + walk.LINE_HEIGHT)
    for image, when in ((lost, "after the focus left"),
                        (session.screenshot("%s-8-focus-back.png" % im), "after it came back")):
        beyond = image.count(cursor[0] + CELL, cursor[1], 6 * CELL, walk.LINE_HEIGHT,
                             walk.is_dark)
        check(beyond == 0, "%s: nothing typed beyond cell %d %s (%d dark pixels)"
              % (im, cell, when, beyond))
    session.type(LEFT_OPEN[1])
    composition(session, "%s-9-composition-again.png" % im, window)
    session.key("space")
    cell += LEFT_OPEN[2]
    shot = walk.wait_typed(session, window, "%s-10-typed.png" % im, before,
                           window[0] + (cell - 1) * CELL)
    composition(session, "%s-10-typed.png" % im, window, shown=False)
    check(set(session.windows()) == {main_id}, "%s: no message interrupted the practice" % im)
    walk.check_red_cells(shot, window, before, target, MISTYPED, CELL, im)
    session.end_practice(main_id)

    # Every key xdotool pressed after the space bar is counted, those the
    # input method took included: Control and Space to switch pinyin on,
    # the pinyin letters, the candidates' keys, the composition left open.
    # IBus's panel grabs its trigger on the whole display, so that the Space
    # of Ctrl+Space never reaches the program's window; fcitx5 takes it from
    # the application, which receives it first.
    sent = 2 + sum(len(pinyin or "") + len(keys) for pinyin, keys, _ in STEPS)
    sent += len(LEFT_OPEN[0]) + len(LEFT_OPEN[1]) + 1
    received = sent - (1 if im == "ibus" else 0)
    backspaces = sum(keys.count("BackSpace") for _, keys, _ in STEPS)
    stored = session.sql("SELECT typed_units, correct_units, key_presses, backspace_presses"
                         " FROM attempt")
    check(stored == [[str(cells), str(cells - len(MISTYPED)), str(received), str(backspaces)]],
          "%s: the attempt counts the %d committed cells, %d correct, and the %d keys (%d"
          " Backspace) the window received: %s"
          % (im, cells, cells - len(MISTYPED), received, backspaces, stored))

    # Each commit keeps the keys behind it as the pupil reads them, and
    # whether a digit picked its candidate; 我的弱项 shows them.
    first = ("" if im == "ibus" else "\u2423") + "xinxueqi\u2423"
    expected = [[first, str(received - sum(c for _, c, _ in COMMIT_KEYS[1:])), "0"]]
    expected += [[keys, str(count), picked] for keys, count, picked in COMMIT_KEYS[1:]]
    expected = [row + ["1" if i == DELETED else "0"] for i, row in enumerate(expected)]
    commits = session.sql("SELECT keys_typed, key_count, picked, deleted FROM attempt_commit"
                          " ORDER BY position")
    check(commits == expected, "%s: the commits keep the keys sent for each: %s" % (im, commits))

    # 我的练习记录's row, copied as a pupil copies it, against a hand count:
    # 回改 1 (我) of 13 characters standing; 键准 leaves out the two
    # Backspaces and the three keys of 我; 选重 1 (了 by its digit); 打词率:
    # 新学期, 开始, 我们班 and 第一次 of the 13.
    session.press(main_id, "alt+j", *["Down"] * PROGRESS_STEPS, "Return")
    progress_id = session.show(PROGRESS_CAPTION, "%s-11-progress.png" % im)

    row = copy(session, progress_id, ["ctrl+c"], lambda t: len(t.split("\t")) >= 12,
               "a row of 我的练习记录 to copy").split("\t")
    figures = {name: row[i] for i, name in ((7, "回改"), (9, "键准"), (10, "选重"), (11, "打词率"))
               if i < len(row)}
    wanted = {"回改": "1 (%.1f%%)" % (100 / (cells + 1)),
              "键准": "%d%%" % ((received - backspaces - 3) * 100 // received),
              "选重": "1 (%.1f/百字)" % (100 / cells),
              "打词率": "%d%%" % (11 * 100 // cells)}
    check(figures == wanted, "%s: 我的练习记录 shows %s, the hand count %s" % (im, figures, wanted))
    # 理论码长 in 全拼, below 码长: the text to type, 新学期开始了，我们班第一次,
    # is xin␣ xue␣ qi␣ kaishi␣ le␣ , women␣ ban␣ diyici␣, 39 keys for 13
    # characters.
    keys, fewest = shortest_keys(session, progress_id, "全拼")
    check((keys, fewest) == ("%.2f" % (received / (cells - len(MISTYPED))), "%.2f" % (39 / cells)),
          "%s: 码长 %s and 理论码长 %s, the hand count %.2f and %.2f"
          % (im, keys, fewest, received / (cells - len(MISTYPED)), 39 / cells))
    session.press(progress_id, "Escape")
    session.wait_gone(PROGRESS_CAPTION)
    session.press(main_id, "alt+j", *["Down"] * WEAKNESS_STEPS, "Return")
    session.answer(WEAKNESS_CAPTION, "Escape", shot="%s-12-weakness.png" % im)


def run(new, methods):
    for im in methods or ["fcitx5", "ibus"]:
        session = new(im)
        walk_one(session)
        session.stop()
        print("%s passed" % im, flush=True)


if __name__ == "__main__":
    sys.exit(walk.run_main(run, InputMethodSession))
