"""The probe helper (tests/probe), which answers window, focus, clipboard and process queries from
inside Wine, driven in its persistent mode."""

import json
import os
import select
import subprocess
import time

from wine_session import required_path, session_environment, wait_until

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
