"""Helpers for end-to-end tests that run the real program under Wine and watch it from outside.

Standard library only. ctest passes, in the environment:
  CASESWITCH_EXE          the program (build/win32/bin/CaseSwitch.exe)
  CASESWITCH_PROBE        the probe helper (build/win32/bin/probe.exe)
  CASESWITCH_SESSION_ENV  the file written by tools/wine-session.sh start (display, prefix, locale)
  CASESWITCH_SCREENSHOT_DIR  where screenshots go

Every wait here is bounded and polls a condition; none sleeps a fixed time before it looks.
"""

import json
import os
import re
import resource
import select
import shlex
import subprocess
import tempfile
import time
import unittest

WM_CLOSE = 0x0010
WM_COMMAND = 0x0111
BM_GETCHECK = 0x00F0

WS_VISIBLE = 0x10000000
WS_CLIPSIBLINGS = 0x04000000


def session_environment(path=None):
    """os.environ with the Wine session's variables applied (the file wins where both are set): the
    session's file CASESWITCH_SESSION_ENV, or the one given."""
    env = dict(os.environ)
    path = path or os.environ.get("CASESWITCH_SESSION_ENV")
    if not path:
        return env
    with open(path, encoding="utf-8") as session:
        for line in session:
            words = shlex.split(line, comments=True)
            if len(words) >= 2 and words[0] == "export" and "=" in words[1]:
                name, _, value = words[1].partition("=")
                env[name] = value
            elif words and words[0] == "unset":
                for name in words[1:]:
                    env.pop(name, None)
    return env


def prefix_arch(env):
    """win32 or win64: the architecture Wine noted in the session prefix's registry file."""
    with open(os.path.join(env["WINEPREFIX"], "system.reg"), encoding="utf-8", errors="replace") as registry:
        for line in registry:
            if line.startswith("#arch="):
                return line.strip()[len("#arch="):]
    raise AssertionError(f"no #arch line in {env['WINEPREFIX']}/system.reg")


def is_64_bit_program(exe):
    """True for an x86-64 Windows executable, False for an i386 one (from its PE header's machine field)."""
    with open(exe, "rb") as image:
        header = image.read(4096)
    pe = int.from_bytes(header[0x3C:0x40], "little")
    if header[pe : pe + 4] != b"PE\0\0":
        raise AssertionError(f"{exe} is not a PE executable")
    return int.from_bytes(header[pe + 4 : pe + 6], "little") == 0x8664


def required_path(variable):
    value = os.environ.get(variable)
    if not value:
        raise unittest.SkipTest(f"{variable} is not set: run the end-to-end tests through ctest")
    if not os.path.exists(value):
        raise AssertionError(f"{variable} names {value}, which does not exist")
    return value


def exit_code_as_seen(windows_code):
    """The exit status wine reports for a Windows exit code: its low byte, but never 0 for a non-zero code."""
    low = windows_code & 0xFF
    return 1 if low == 0 and windows_code & 0xFFFFFFFF else low


def wait_until(condition, timeout, what, interval=0.02):
    """Polls condition() until it returns a true value, which is returned; fails after timeout seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise AssertionError(f"timed out after {timeout} s waiting for {what} (last seen: {value!r})")
        time.sleep(interval)


def text_arg(value):
    """A text for the probe's command line: None, str (sent as GBK) or raw bytes."""
    if value is None:
        return "-"
    if isinstance(value, str):
        value = value.encode("gbk")
    return "hex:" + value.hex()


def text_bytes(info, key="text"):
    """The raw ANSI bytes of a text the probe reported."""
    return bytes.fromhex(info[key + "_hex"])


def start_program(exe=None, args=(), env=None, address_space_limit=None):
    """Starts the program under wine; the Popen's returncode is wine's (see exit_code_as_seen).
    address_space_limit: bytes of virtual memory the process may map in all (Wine's own included)."""
    exe = exe or required_path("CASESWITCH_EXE")
    log = tempfile.TemporaryFile()

    def limit_address_space():
        resource.setrlimit(resource.RLIMIT_AS, (address_space_limit, address_space_limit))

    process = subprocess.Popen(
        ["wine", exe, *args],
        env=env or session_environment(),
        stdin=subprocess.DEVNULL,
        stdout=log,
        stderr=subprocess.STDOUT,
        preexec_fn=limit_address_space if address_space_limit else None,
    )
    process.log = log
    return process


def unix_memory(process):
    """Memory figures (kB) of a program started by start_program, from the Unix side: VmRSS, VmData and
    the rest of /proc/PID/status. Under Wine 8 the probe's memory command sees no private bytes."""
    figures = {}
    with open(f"/proc/{process.pid}/status", encoding="ascii") as status:
        for line in status:
            name, _, value = line.partition(":")
            if name.startswith("Vm") and value.strip().endswith("kB"):
                figures[name] = int(value.split()[0])
    return figures


def program_output(process):
    process.log.seek(0)
    return process.log.read().decode("utf-8", "replace")


class ProbeError(AssertionError):
    pass


class Probe:
    """The probe helper in its persistent mode: one command per line, one JSON answer per line."""

    def __init__(self, probe=None, env=None):
        self.process = subprocess.Popen(
            ["wine", probe or required_path("CASESWITCH_PROBE")],
            env=env or session_environment(),
            stdin=subprocess.PIPE,
            stdout=subprocess.PIPE,
        )
        self.pending = b""

    def close(self):
        if self.process.poll() is None:
            try:
                self.process.stdin.write(b"quit\n")
                self.process.stdin.close()
                self.process.wait(timeout=10)
            except (OSError, subprocess.TimeoutExpired):
                self.process.kill()
                self.process.wait()
        self.process.stdout.close()

    def _read_line(self, timeout):
        deadline = time.monotonic() + timeout
        descriptor = self.process.stdout.fileno()
        while b"\n" not in self.pending:
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                raise ProbeError(f"the probe did not answer within {timeout} s")
            ready, _, _ = select.select([descriptor], [], [], remaining)
            if ready:
                chunk = os.read(descriptor, 65536)
                if not chunk:
                    raise ProbeError(f"the probe ended (exit status {self.process.wait()})")
                self.pending += chunk
        line, _, self.pending = self.pending.partition(b"\n")
        return line

    def call(self, *words, wait_ms=0):
        """Runs one command; returns the answer, ok or not. wait_ms is the command's own wait, if any."""
        line = " ".join(str(word) for word in words)
        self.process.stdin.write(line.encode("ascii") + b"\n")
        self.process.stdin.flush()
        answer = json.loads(self._read_line(15 + wait_ms / 1000))
        answer["request"] = line
        return answer

    def require(self, *words, wait_ms=0):
        """Runs one command that must succeed."""
        answer = self.call(*words, wait_ms=wait_ms)
        if not answer.get("ok"):
            raise ProbeError(f"probe command '{answer['request']}' failed: {answer}")
        return answer

    # Windows
    def find_window(self, class_name, title=None):
        return self.require("find-window", text_arg(class_name), text_arg(title))["hwnd"]

    def wait_window(self, class_name, title=None, timeout_ms=15000):
        """The first visible top-level window of the class (and caption), as its info."""
        words = ["wait-window", text_arg(class_name)] + ([text_arg(title)] if title is not None else [])
        return self.require(*words, timeout_ms, wait_ms=timeout_ms)["info"]

    def list_windows(self, class_name=None):
        return self.require("list-windows", *([text_arg(class_name)] if class_name else []))["windows"]

    def info(self, hwnd):
        return self.require("info", hwnd)["info"]

    def children(self, hwnd):
        """Child windows with their info, topmost in the Z order first."""
        return self.require("children", hwnd)["children"]

    def wait_visible(self, hwnd, timeout_ms=5000):
        return self.require("wait-visible", hwnd, timeout_ms, wait_ms=timeout_ms)

    def wait_hidden(self, hwnd, timeout_ms=5000):
        return self.require("wait-hidden", hwnd, timeout_ms, wait_ms=timeout_ms)

    def wait_gone(self, hwnd, timeout_ms=5000):
        return self.require("wait-gone", hwnd, timeout_ms, wait_ms=timeout_ms)

    def wait_idle(self, hwnd, timeout_ms=5000):
        """Until the window's process waits for input with nothing queued, painting included."""
        return self.require("wait-idle", hwnd, timeout_ms, wait_ms=timeout_ms)

    def focus(self, hwnd):
        """hwndFocus/hwndActive of the window's thread: keys 'focus', 'focus_id', 'active', 'foreground'."""
        return self.require("focus", hwnd)

    def foreground(self):
        return self.require("foreground")["hwnd"]

    def set_foreground(self, hwnd):
        return self.require("set-foreground", hwnd)

    # Messages and message boxes
    def post(self, hwnd, message, wparam=0, lparam=0):
        return self.require("post", hwnd, message, wparam, lparam)

    def send(self, hwnd, message, wparam=0, lparam=0):
        return self.require("send", hwnd, message, wparam, lparam)["result"]

    def click(self, hwnd):
        return self.require("click", hwnd)

    def wait_messagebox(self, caption=None, timeout_ms=5000):
        return self.require("wait-messagebox", text_arg(caption), timeout_ms, wait_ms=timeout_ms)["info"]

    def messagebox_text(self, hwnd):
        return text_bytes(self.require("messagebox-text", hwnd))

    def dismiss(self, hwnd):
        return self.require("dismiss", hwnd)

    # Clipboard
    def clipboard_seq(self):
        return self.require("clipboard-seq")["seq"]

    def clipboard_formats(self):
        return self.require("clipboard-formats")["formats"]

    def clipboard_text(self):
        """CF_TEXT as raw bytes, or None when the clipboard has no text."""
        answer = self.require("clipboard-get-text")
        return text_bytes(answer) if answer["present"] else None

    def set_clipboard_text(self, value):
        return self.require("clipboard-set-text", text_arg(value))["seq"]

    def empty_clipboard(self):
        return self.require("clipboard-empty")["seq"]

    # Processes
    def code_pages(self):
        return self.require("acp")

    def screen(self):
        return self.require("screen")

    def accessible(self, hwnd):
        """Role and name of the window's client object, as a screen reader reads them."""
        return self.require("accessible", hwnd)

    def text_extent(self, hwnd, width=0):
        """Width and height of the window's text in DEFAULT_GUI_FONT, wrapped at width (0: one line)."""
        answer = self.require("text-extent", hwnd, width)
        return answer["cx"], answer["cy"]

    def sys_colour(self, index, value=None):
        """The system colour's value before; sets the new one when given."""
        words = ("sys-colour", index) if value is None else ("sys-colour", index, hex(value))
        return self.require(*words)["before"]

    def gui_resources(self, pid):
        """GDI and USER counts; Wine 8 answers 0 for both (GetGuiResources is not implemented)."""
        return self.require("guiresources", pid)

    def memory(self, pid):
        """Working set of a Windows PID; Wine 8 reports 0 private bytes (see unix_memory)."""
        return self.require("memory", pid)


class X:
    """Input from the X side. Keys go to whatever holds the X keyboard focus: give the window the
    foreground first (Probe.set_foreground or a click). Never --window, never windowfocus."""

    def __init__(self, env=None):
        self.env = env or session_environment()

    def run(self, *args):
        result = subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True, timeout=30)
        if result.returncode:
            raise AssertionError(f"xdotool {' '.join(args)} failed: {result.stderr.strip()}")
        return result.stdout

    def key(self, *keys):
        self.run("key", "--delay", "20", *keys)

    def click(self, x, y, button=1, repeat=1):
        # One xdotool call: the X server takes the motion before the button. (--sync would wait for a
        # motion that never comes when the pointer already stands there.)
        self.run("mousemove", str(x), str(y), "click", "--repeat", str(repeat), "--delay", "80", str(button))

    def focus_window(self):
        """The X window holding the keyboard focus (compare with a probe info's x11_window)."""
        answer = self.run("getwindowfocus").strip()
        return int(answer) if answer.isdigit() else 0

    def caps_lock_on(self):
        query = subprocess.run(["xset", "q"], env=self.env, capture_output=True, text=True, timeout=10).stdout
        return "Caps Lock:   on" in query


def screenshot_dir():
    path = os.environ.get("CASESWITCH_SCREENSHOT_DIR") or os.path.join(tempfile.gettempdir(), "caseswitch-screenshots")
    os.makedirs(path, exist_ok=True)
    return path


class Image:
    """A captured RGB image (from ImageMagick's binary PPM)."""

    def __init__(self, ppm):
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", ppm)
        if not header:
            raise ValueError(f"not an 8-bit binary PPM: {ppm[:20]!r}")
        self.width, self.height = int(header[1]), int(header[2])
        self.pixels = ppm[header.end() :]

    def pixel(self, x, y):
        offset = 3 * (y * self.width + x)
        return tuple(self.pixels[offset : offset + 3])

    def count(self, rect, predicate):
        """How many pixels of [left, top, right, bottom] (image coordinates) satisfy predicate((r, g, b))."""
        left, top, right, bottom = rect
        return sum(1 for y in range(top, bottom) for x in range(left, right) if predicate(self.pixel(x, y)))


def _capture(env, rect):
    left, top, right, bottom = rect
    geometry = f"{right - left}x{bottom - top}+{left}+{top}"
    return subprocess.run(
        ["import", "-display", env["DISPLAY"], "-window", "root", "-crop", geometry, "+repage", "-depth", "8", "ppm:-"],
        env=env,
        capture_output=True,
        check=True,
        timeout=30,
    ).stdout


def screenshot(path, rect, env=None, timeout=5):
    """Writes a PNG of the screen rectangle [left, top, right, bottom] once two captures in a row agree,
    so that a window still being drawn is not caught half-way; returns the Image."""
    env = env or session_environment()
    previous = [None]

    def settled():
        image = _capture(env, rect)
        same = image == previous[0]
        previous[0] = image
        return same

    wait_until(settled, timeout, f"the screen at {rect} to stop changing", interval=0.05)
    subprocess.run(["convert", "ppm:-", path], input=previous[0], env=env, check=True, timeout=30)
    return Image(previous[0])


class ProgramTestCase(unittest.TestCase):
    """Starts the program and a probe for each test, and ends both however the test ends."""

    main_class = "FormWindow"

    def session(self):
        """The environment the program and the probe run in."""
        return session_environment()

    def setUp(self):
        self.env = self.session()
        self.probe = Probe(env=self.env)
        self.addCleanup(self.probe.close)
        leftover = self.probe.find_window(self.main_class)
        self.assertEqual(leftover, 0, f"a {self.main_class} window ({leftover}) is open before the program starts")
        self.x = X(self.env)
        self.program = start_program(env=self.env)
        self.addCleanup(self.end_program)
        self.main = self.probe.wait_window(self.main_class)
        self.hwnd = self.main["hwnd"]

    def end_program(self):
        if self.program.poll() is None:
            if self.probe.process.poll() is None and self.probe.find_window(self.main_class):
                self.probe.call("post", self.hwnd, WM_CLOSE, 0, 0)
            try:
                self.program.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.program.kill()
                self.program.wait()
        self.program.log.close()

    def wait_exit(self, timeout=10):
        """The exit status as wine reports it, once the program has ended."""
        try:
            return self.program.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"the program was still running {timeout} s later; {self.desktop()}") from None

    def desktop(self):
        """What holds the screen and the keyboard, for failure messages."""
        windows = [
            f"{w['class']} {w['text']!r} pid {w['pid']}{'' if w['enabled'] else ' (disabled)'}"
            for w in self.probe.list_windows()
            if w["visible"]
        ]
        return (
            f"foreground {self.probe.foreground()} (main window {self.hwnd}), X focus {self.x.focus_window()} "
            f"(main window's {self.main['x11_window']}), visible top-level windows: {windows}"
        )

    def focus_id(self):
        return self.probe.focus(self.hwnd)["focus_id"]

    def wait_focus_id(self, control_id, what):
        """Waits until the control with this id holds the keyboard focus of the program's thread."""
        seen = {}

        def arrived():
            seen["focus"] = self.probe.focus(self.hwnd)
            return seen["focus"]["focus_id"] == control_id

        try:
            wait_until(arrived, 5, what)
        except AssertionError:
            raise AssertionError(
                f"{what}: expected the focus on control {control_id}, saw {seen['focus']}; {self.desktop()}"
            ) from None

    def bring_to_front(self, empty_client_point=None):
        """Makes the main window the foreground window and waits until it holds the X keyboard focus too,
        so that keys sent next reach it. Where SetForegroundWindow does not move the X focus (the window
        already was the foreground one), a click on empty_client_point (client coordinates) does."""
        clicked = [False]
        started = time.monotonic()

        def in_front():
            if self.probe.foreground() != self.hwnd:
                self.probe.set_foreground(self.hwnd)
            if self.x.focus_window() == self.main["x11_window"]:
                return True
            if empty_client_point and not clicked[0] and time.monotonic() - started > 1:
                origin_x, origin_y = self.main["client_origin"]
                self.x.click(origin_x + empty_client_point[0], origin_y + empty_client_point[1])
                clicked[0] = True
            return False

        try:
            wait_until(in_front, 5, "the main window to take the foreground and the X keyboard focus")
        except AssertionError:
            raise AssertionError(f"the main window did not come to the front; {self.desktop()}") from None
