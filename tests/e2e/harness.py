"""Helpers for end-to-end tests that run the real program under Wine and watch it from outside.

Standard library only. ctest passes, in the environment:
  CASESWITCH_EXE          the program (build/win32/bin/CaseSwitch.exe)
  CASESWITCH_PROBE        the probe helper (build/win32/bin/probe.exe)
  CASESWITCH_SESSION_ENV  the file written by tools/wine-session.sh start (display, prefix, locale)
  CASESWITCH_SCREENSHOT_DIR  where screenshots go

Every wait here is bounded and polls a condition; none sleeps a fixed time before it looks.
"""


import subprocess
import time
import unittest

# The tests import everything from here.
from probe_client import Probe, ProbeError, text_arg, text_bytes  # noqa: F401
from screen import X, Image, screenshot, screenshot_dir  # noqa: F401
from wine_session import (  # noqa: F401
    BM_GETCHECK,
    WM_CLOSE,
    WM_COMMAND,
    WS_CLIPSIBLINGS,
    WS_VISIBLE,
    exit_code_as_seen,
    is_64_bit_program,
    prefix_arch,
    program_output,
    required_path,
    session_environment,
    start_program,
    unix_memory,
    wait_until,
)


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
