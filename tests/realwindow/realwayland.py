#!/usr/bin/env python3
# The Wayland walk: a Wayland session of its own (Weston, its window on a
# private X server, with XWayland), the program started by qe-launcher as a
# desktop starts it. Weston takes the keys from its own window and hands
# them to its clients; the program, which the launcher put on XWayland,
# counts them. The pupil logs in, types an English screen with a mistake
# and ends it: the attempt keeps every key Weston passed on, and each key's
# detail.

import os
import re
import shutil
import subprocess
import sys
import tempfile

import walk
from walk import PUPIL, check

SOCKET = "qe-wayland"
RED_RULE = 60


def credits_shown(image):
    # The credits' red rule is a red run longer than any red of an icon
    # (16 px at 100 %) or of a text, anywhere on Weston's screen.
    reds = image.reds((0, 0, image.width, image.height))
    return any(all((x + k, y) in reds for k in range(RED_RULE)) for x, y in reds)


class WaylandSession(walk.Session):
    def __init__(self, *args):
        super().__init__(*args)
        self.weston = self.runtime = self.home = self.outer = None

    def start_display(self, screen="1366x768"):
        # Weston draws its output into a window of the private X server and
        # reads the keys and the mouse from it, as from a seat of its own.
        super().start_display(screen)
        # A person's keys reach Weston's window, and the screen is read there.
        self.outer = self.seat_env = dict(self.env)
        self.runtime = tempfile.mkdtemp(prefix="qe-wayland.")
        weston_log = os.path.join(self.out, "weston.log")
        width, height = screen.split("x")
        self.weston = subprocess.Popen(
            ["weston", "--backend=x11-backend.so", "--xwayland", "--socket=" + SOCKET,
             "--width=" + width, "--height=" + height, "--idle-time=0",
             "--log=" + weston_log],
            env=dict(self.outer, XDG_RUNTIME_DIR=self.runtime),
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

        def xwayland_display():
            with open(weston_log, encoding="utf-8", errors="replace") as log:
                found = re.search(r"xserver listening on display (:\d+)", log.read())
            return found and found.group(1)
        self.wait_for(lambda: os.path.exists(weston_log) and xwayland_display(),
                      "Weston and its XWayland display")
        # The program's environment is that of a Wayland session: it names
        # no platform, the launcher chooses one.
        self.env = {k: v for k, v in self.outer.items() if k != "QT_QPA_PLATFORM"}
        self.env.update(DISPLAY=xwayland_display(), WAYLAND_DISPLAY=SOCKET,
                        XDG_RUNTIME_DIR=self.runtime, XDG_SESSION_TYPE="wayland")
        print("Weston runs with XWayland on display", self.env["DISPLAY"], flush=True)

    def start_program(self, name="qe"):
        # The launcher as installed: qe and the texts beside it.
        launcher = os.path.join(self.out, "qe-launcher")
        source = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "app",
                              "qe-launcher.in")
        with open(source, encoding="utf-8") as f:
            text = f.read().replace("@QE_BINDIR@", os.path.dirname(self.qe))
        with open(launcher, "w", encoding="utf-8") as f:
            f.write(text.replace("@QE_DATADIR@", self.data))
        os.chmod(launcher, 0o755)
        # The working directory the launcher uses is the one made here.
        self.home = tempfile.mkdtemp(prefix="qe-wayland-home.")
        os.symlink(self.work, os.path.join(self.home, "qe"))
        self.env["XDG_DATA_HOME"] = self.home
        log = open(os.path.join(self.out, name + ".log"), "w")
        self.logs.append(log)
        self.program = subprocess.Popen([launcher], env=self.env, stdout=log,
                                        stderr=subprocess.STDOUT)

    def stop(self):
        super().stop()
        if self.weston and self.weston.poll() is None:
            self.weston.kill()
            self.weston.wait()
        for folder in (self.runtime, self.home):
            if folder:
                shutil.rmtree(folder, ignore_errors=True)

    def focus(self, wid):
        # Weston gives the keyboard to a window when it appears and back to
        # its owner when it closes; XWayland's focus follows it. A window's
        # position on the X display is not where Weston shows it, so no
        # click is aimed by it.
        self.wait_for(lambda: self.x("xdotool", "getwindowfocus", check_rc=False).strip()
                      == str(int(wid)), "the keyboard on window %s" % wid)


def run(new, _):
    session = new()
    session.start_display()
    session.make_work_dir()
    session.start_program()
    main_id, _ = session.log_in(PUPIL)
    with open("/proc/%d/environ" % session.program.pid, "rb") as f:
        environment = dict(item.partition(b"=")[::2] for item in f.read().split(b"\0"))
    check(environment.get(b"QT_QPA_PLATFORM") == b"xcb"
          and environment.get(b"WAYLAND_DISPLAY") == SOCKET.encode(),
          "in the Wayland session the launcher started the program on XWayland (xcb)")
    # Weston shows the main window again once it composes the next frame
    # after 今日任务 closed.
    session.wait_for(lambda: credits_shown(session.screenshot("01-wayland-main.png")),
                     "the main window to show the credits and their red rule")

    # English: the text's first 16 characters, one of them wrong.
    target = walk.text_of(session, "english.txt")[:16]
    typed = target[:8] + "x" + target[9:]
    check(typed != target, "the typed line holds a wrong key: %r" % typed)
    session.press(main_id, "ctrl+e")
    session.wait_for(lambda: not credits_shown(session.screenshot("02-wayland-practice.png")),
                     "the practice text in place of the credits")
    session.key("space")
    session.type(typed)
    session.screenshot("03-wayland-typed.png")
    session.press(main_id, "Escape")
    session.answer(walk.QUESTION_CAPTION, "Return")
    session.answer(walk.RESULT_CAPTION, "Return", shot="04-wayland-result.png")
    session.wait_alone(main_id)
    stored = session.sql("SELECT typed_units, correct_units, key_presses FROM attempt")
    # Every key xdotool sent after the space bar reached the program:
    # the characters and the Shift of the capital.
    sent = len(typed) + 1
    check(stored == [[str(len(typed)), str(len(typed) - 1), str(sent)]],
          "the attempt counts the %d typed cells, one wrong, and the %d keys Weston passed"
          " on: %s" % (len(typed), sent, stored))
    keys = {key: rest for key, *rest in session.sql(
        "SELECT key_name, expected, presses, wrong FROM attempt_key WHERE length(key_name) = 1")}
    check(keys.get("x") == ["0", "1", "1"] and keys.get(" ") == ["2", "2", "0"]
          and keys.get("r") == ["2", "1", "0"],
          "each key's detail is kept: x pressed once where r was due, the two spaces: %s"
          % keys)
    session.exit(main_id)


if __name__ == "__main__":
    sys.exit(walk.run_main(run, WaylandSession))
