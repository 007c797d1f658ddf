"""Input from the X side (xdotool) and screenshots of the virtual display."""

import os
import re
import subprocess
import tempfile

from wine_session import session_environment, wait_until

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
