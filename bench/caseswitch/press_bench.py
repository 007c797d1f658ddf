"""Press benchmark of the case-switch action under Wine, beside a fixed-delay switcher.

The program makes PRESSES presses in Wine's Notepad and PRESSES in Wine's WordPad (whose copy
and paste go through rich text); bench/caseswitch/FixedDelaySwitcher.cpp, which sleeps 100 ms
after each injected keystroke and waits for nothing else, makes PRESSES in Notepad beside it. For
each press the text is put in and selected, the clipboard given an earlier text, Ctrl+CapsLock
pressed through XTest, and the time taken until the document holds the converted text and the
clipboard its earlier text again (seen from inside Wine by casetool's wait-switch, which reads
the clipboard only once the document is converted). Prints the median, p95 and maximum of those
times and how many presses were correct.

For the program it also prints where a press's time goes, from the moments the program marks with
OutputDebugStringA (Wine prints them with warn+debugstr; their ticks are QueryPerformanceCounter's,
which under Wine is CLOCK_MONOTONIC_RAW in 100 ns units; the program writes them once the press
is over): the median of each phase, and of the program's own share, which is everything but the
hot key's arrival and the waits for the target (its copy; its answer when its copy leaves the
clipboard, which Wine waits for; its request for the text; its paste). casetool hooks the keyboard
only when a test asks for its key log: a low-level hook would make every injected key wait for it.

First, presses in Notepad with earlier content of a text and 0, 8, 32 or 128 MiB in a private
format: the median time to the converted document and to the earlier content back, and the
program's snapshot and restore phases; content over the program's bound must be left alone
(document and clipboard unchanged). CASESWITCH_BENCH_SIZES_ONLY=1 runs only these.

The program is CASESWITCH_BENCH_PROGRAM when set (tools/bench.sh sets the release executable),
else the build tree's own; the helper programs are the build tree's. Run it in a Wine session of a Windows build tree, e.g.

    tools/wine-session.sh start --dir build/win32
    python3 bench/caseswitch/press_bench.py build/win32 [PRESSES]
"""

import ctypes
import json
import os
import re
import statistics
import sys
import time

root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path[:0] = [os.path.join(root, "tests", "e2e"), os.path.join(root, "tests", "caseswitch")]

from harness import Probe, session_environment, start_program, wait_until, WM_CLOSE  # noqa: E402
from test_case_switch_e2e import Tool  # noqa: E402

EM_SETSEL = 0x00B1
EM_SETMODIFY = 0x00B9
PRESS_TIMEOUT_MS = 3000
EARLIER_PRESSES = 7

# The editors pressed in: how each is started, its main window's class and its editor's class.
NOTEPAD = {"name": "Notepad", "exe": "notepad.exe", "window": "Notepad", "editor": "Edit"}
WORDPAD = {"name": "WordPad", "exe": r"C:\Program Files\Windows NT\Accessories\wordpad.exe",
           "window": "WORDPADTOP", "editor": "RichEdit20W"}


class XTest:
    """Ctrl+CapsLock straight through the XTest extension: no process start between the clock and the keys."""

    def __init__(self, display):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.xtst = ctypes.CDLL("libXtst.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XStringToKeysym.restype = ctypes.c_ulong
        self.x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self.xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
        self.x11.XFlush.argtypes = [ctypes.c_void_p]
        self.display = self.x11.XOpenDisplay(display.encode())
        if not self.display:
            raise SystemExit(f"cannot open display {display}")
        self.ctrl = self.x11.XKeysymToKeycode(self.display, self.x11.XStringToKeysym(b"Control_L"))
        self.caps = self.x11.XKeysymToKeycode(self.display, self.x11.XStringToKeysym(b"Caps_Lock"))

    def press_hot_key(self):
        """Returns the time of the CapsLock press, when the hot key fires, on CLOCK_MONOTONIC_RAW."""
        self.xtst.XTestFakeKeyEvent(self.display, self.ctrl, 1, 0)
        self.x11.XFlush(self.display)
        pressed = time.clock_gettime(time.CLOCK_MONOTONIC_RAW)
        self.xtst.XTestFakeKeyEvent(self.display, self.caps, 1, 0)
        self.x11.XFlush(self.display)
        self.xtst.XTestFakeKeyEvent(self.display, self.caps, 0, 0)
        self.xtst.XTestFakeKeyEvent(self.display, self.ctrl, 0, 0)
        self.x11.XFlush(self.display)
        return pressed


# The phases of a press: name, the mark it starts at, the mark it ends at. None is the X key press.
PHASES = [
    ("hot key arrival", None, "hotkey"),
    ("release wait", "hotkey", "released"),
    ("snapshot and copy keys", "released", "copy-keys"),
    ("copy (target)", "copy-keys", "copied"),
    ("convert", "copied", "emptying"),
    ("copy let go (target)", "emptying", "emptied"),
    ("offer and paste keys", "emptied", "paste-keys"),
    ("render request (target)", "paste-keys", "rendered"),
    ("paste closed (target)", "rendered", "pasted"),
    ("restore", "pasted", "restored"),
]
TARGET_PHASES = [name for name, _, _ in PHASES if name.endswith("(target)")]


def phase_marks(log):
    """The program's marks from its Wine log, as [(name, seconds on CLOCK_MONOTONIC_RAW)]."""
    log.seek(0)
    return [(name.decode(), int(ticks) / 1e7)
            for name, ticks in re.findall(rb"CaseSwitch ([a-z-]+) (\d+)", log.read())]


def phase_times(marks, press_times):
    """Per press, each phase's length in ms and the program's own share, from the marks that follow
    the press (up to the next one)."""
    presses = []
    for i, pressed in enumerate(press_times):
        until = press_times[i + 1] if i + 1 < len(press_times) else float("inf")
        seen = {}
        for name, at in marks:
            if pressed <= at < until:
                seen.setdefault(name, at)
        seen[None] = pressed
        if not all(start in seen and end in seen for _, start, end in PHASES):
            continue
        lengths = {name: (seen[end] - seen[start]) * 1000 for name, start, end in PHASES}
        whole = (seen["restored"] - seen["hotkey"]) * 1000
        lengths["program's own share"] = whole - sum(lengths[name] for name in TARGET_PHASES)
        presses.append(lengths)
    return presses


def run(name, exe, window_class, presses, env, probe, tool, xtest, target=NOTEPAD):
    traced = window_class == "FormWindow"
    switcher = start_program(exe=exe, env=dict(env, WINEDEBUG="-all,warn+debugstr") if traced else env)
    switcher_window = probe.wait_window(window_class) if window_class == "FormWindow" else None
    if window_class != "FormWindow":
        wait_until(lambda: probe.find_window(window_class), 15, f"the {name}'s window")
    editor_process = start_program(exe=target["exe"], env=env)
    editor_window = probe.wait_window(target["window"])["hwnd"]
    edit = next(c["hwnd"] for c in probe.children(editor_window) if c["class"] == target["editor"])
    probe.set_foreground(editor_window)
    wait_until(lambda: probe.foreground() == editor_window, 5, f"{target['name']} in the foreground")

    times = []
    press_times = []
    correct = 0
    failures = {}
    memory_at_start = anonymous_kilobytes(switcher)
    memory_after = None
    try:
        for press in range(presses):
            text = ("Hello press %d" if press % 2 == 0 else "HELLO PRESS %d") % press
            expected = text.upper() if text[1].islower() else text.lower()
            earlier = b"earlier %d" % press
            tool.set_text(edit, text)
            # The text only: a rich-text editor's last paragraph mark stays where it is.
            probe.send(edit, EM_SETSEL, 0, len(text))
            tool.put({1: earlier + b"\0"})
            words = ["wait-switch", edit, expected.encode("utf-16-le").hex(), earlier.hex(), PRESS_TIMEOUT_MS]
            tool.process.stdin.write((" ".join(str(w) for w in words) + "\n").encode())
            tool.process.stdin.flush()
            pressed = xtest.press_hot_key()
            press_times.append(pressed)
            answer = json.loads(tool._read_line(PRESS_TIMEOUT_MS / 1000 + 15))
            done = time.clock_gettime(time.CLOCK_MONOTONIC_RAW)
            if answer.get("document") and answer.get("clipboard"):
                correct += 1
                times.append((done - pressed) * 1000)
            else:
                # Let a slow switcher finish before the next press starts; then note what it left.
                time.sleep(0.5)
                clipboard = tool.get(1)
                seen = (tool.text(edit), clipboard.split(b"\0")[0].decode("gbk", "replace") if clipboard else None)
                what = (f"document {seen[0]!r}, clipboard {seen[1]!r} (expected {expected!r}, {earlier.decode()!r}; "
                        f"seen within the bound: document {answer.get('document')}, clipboard {answer.get('clipboard')})")
                failures.setdefault(what.split(" (")[0].replace(str(press), "N"), what)
        memory_after = anonymous_kilobytes(switcher)
    finally:
        probe.call("send", edit, EM_SETMODIFY, 0, 0)
        probe.call("post", editor_window, WM_CLOSE, 0, 0)
        editor_process.wait(timeout=10)
        window = switcher_window["hwnd"] if switcher_window else probe.find_window(window_class)
        probe.call("post", window, WM_CLOSE, 0, 0)
        switcher.wait(timeout=10)
    for what in list(failures.values())[:4]:
        print(f"  {name} failed: {what}")
    print(f"  {name} memory: {memory_at_start} kB anonymous resident after start, {memory_after} kB after {presses} presses")
    if traced:
        phases = phase_times(phase_marks(switcher.log), press_times)
        print(f"  {name}, {target['name']}: median of each phase over {len(phases)} traced presses")
        for phase in [name for name, _, _ in PHASES] + ["program's own share"]:
            values = [press[phase] for press in phases]
            if values:
                print(f"    {phase:<28} {statistics.median(values):7.2f} ms")
    return times, correct


EARLIER_FORMAT = "CaseSwitch.Bench.Earlier"
EARLIER_MIB = (0, 8, 32, 128)


def run_earlier_sizes(program, presses, env, probe, tool, xtest):
    """Presses in Notepad with earlier content of a text and N MiB in a private format: the median
    time to the converted document and to the earlier content back, each press's earlier content
    checked byte for byte afterwards. Content over the program's bound is to be left alone: the
    document keeps its text and the clipboard its content, unwritten."""
    switcher = start_program(exe=program, env=dict(env, WINEDEBUG="-all,warn+debugstr"))
    switcher_window = probe.wait_window("FormWindow")
    editor_process = start_program(exe=NOTEPAD["exe"], env=env)
    editor_window = probe.wait_window(NOTEPAD["window"])["hwnd"]
    edit = next(c["hwnd"] for c in probe.children(editor_window) if c["class"] == NOTEPAD["editor"])
    probe.set_foreground(editor_window)
    wait_until(lambda: probe.foreground() == editor_window, 5, "Notepad in the foreground")
    lines = []
    try:
        for mib in EARLIER_MIB:
            documents, restores, kept, left_alone, press_times = [], [], 0, 0, []
            marks_from = len(phase_marks(switcher.log))
            for press in range(presses):
                text = "Hello press %d" % press
                expected = text.upper()
                earlier = b"earlier %d" % press
                tool.set_text(edit, text)
                probe.send(edit, EM_SETSEL, 0, len(text))
                tool.require("clip-fill", Tool._format(EARLIER_FORMAT), mib << 20, earlier.hex())
                # Read after the close, which adds the synthesised formats.
                seq = tool.seq()
                before = tool.require("clip-digest", Tool._format(EARLIER_FORMAT))
                words = ["wait-switch", edit, expected.encode("utf-16-le").hex(), earlier.hex(), PRESS_TIMEOUT_MS]
                tool.process.stdin.write((" ".join(str(w) for w in words) + "\n").encode())
                tool.process.stdin.flush()
                press_times.append(xtest.press_hot_key())
                answer = json.loads(tool._read_line(PRESS_TIMEOUT_MS / 1000 + 30))
                after = tool.require("clip-digest", Tool._format(EARLIER_FORMAT))
                same = (after.get("size"), after.get("digest")) == (before.get("size"), before.get("digest"))
                if answer.get("document") and answer.get("clipboard"):
                    documents.append(answer["document_us"] / 1000)
                    restores.append(answer["elapsed_us"] / 1000)
                    kept += same
                elif not answer.get("document") and tool.seq() == seq and same and tool.text(edit) == text:
                    left_alone += 1
            figures = (f"converted after {statistics.median(documents):7.1f} ms, earlier content back after "
                       f"{statistics.median(restores):7.1f} ms, kept byte for byte {kept}/{len(documents)}"
                       if documents else "no press converted")
            lines.append(f"{mib:>4} MiB earlier: {figures}; left alone {left_alone}/{presses}")
            print("  " + lines[-1], flush=True)
            phases = phase_times(phase_marks(switcher.log)[marks_from:], press_times)
            for phase in ("snapshot and copy keys", "copy (target)", "restore"):
                values = [press[phase] for press in phases]
                if values:
                    print(f"      {phase:<28} {statistics.median(values):7.2f} ms", flush=True)
    finally:
        probe.call("send", edit, EM_SETMODIFY, 0, 0)
        probe.call("post", editor_window, WM_CLOSE, 0, 0)
        editor_process.wait(timeout=10)
        probe.call("post", switcher_window["hwnd"], WM_CLOSE, 0, 0)
        switcher.wait(timeout=30)
    return lines


def anonymous_kilobytes(process):
    """The process's private resident memory (RssAnon), as Linux sees it: under Wine 8 the Windows
    private-bytes counter of another process reads 0."""
    with open(f"/proc/{process.pid}/status", encoding="ascii") as status:
        for line in status:
            if line.startswith("RssAnon:"):
                return int(line.split()[1])
    return None


def summary(name, times, correct, presses):
    if not times:
        return f"{name:<32} correct {correct}/{presses}"
    ordered = sorted(times)
    p95 = ordered[min(len(ordered) - 1, int(round(0.95 * (len(ordered) - 1))))]
    return (
        f"{name:<32} correct {correct:>3}/{presses}  median {statistics.median(ordered):7.1f} ms  "
        f"p95 {p95:7.1f} ms  max {ordered[-1]:7.1f} ms"
    )


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "build", "win32"))
    presses = int(sys.argv[2]) if len(sys.argv) > 2 else 100
    memory_presses = int(sys.argv[3]) if len(sys.argv) > 3 else 0
    os.environ.setdefault("CASESWITCH_SESSION_ENV", os.path.join(build, "wine-session.env"))
    os.environ.setdefault("CASESWITCH_EXE", os.path.join(build, "bin", "CaseSwitch.exe"))
    env = session_environment()
    probe = Probe(probe=os.path.join(build, "bin", "probe.exe"), env=env)
    tool = Tool(env)
    xtest = XTest(env["DISPLAY"])
    results = []
    program = os.environ.get("CASESWITCH_BENCH_PROGRAM", os.path.join(build, "bin", "CaseSwitch.exe"))
    sizes_only = os.environ.get("CASESWITCH_BENCH_SIZES_ONLY") == "1"
    try:
        print("  CaseSwitch, Notepad, earlier content of a text and N MiB of a private format, "
              f"{EARLIER_PRESSES} presses each:", flush=True)
        sizes = run_earlier_sizes(program, EARLIER_PRESSES, env, probe, tool, xtest)
        if sizes_only:
            return
        for name, exe, window_class, target in [
            ("CaseSwitch", program, "FormWindow", NOTEPAD),
            ("CaseSwitch", program, "FormWindow", WORDPAD),
            ("fixed-delay switcher", os.path.join(build, "bin", "fixed_delay_switcher.exe"), "FixedDelaySwitcher",
             NOTEPAD),
        ]:
            times, correct = run(name, exe, window_class, presses, env, probe, tool, xtest, target)
            results.append(summary(f"{name}, {target['name']}", times, correct, presses))
            print(results[-1], flush=True)
        if memory_presses:
            # The program's memory over a longer run of presses, beside its memory after start.
            times, correct = run("CaseSwitch", program, "FormWindow", memory_presses, env, probe, tool, xtest)
            print(summary("CaseSwitch (memory run)", times, correct, memory_presses), flush=True)
    finally:
        tool.close()
        probe.close()
    print("\nPress to converted text with the clipboard restored, under Wine:")
    for line in results:
        print("  " + line)
    print("Press with earlier content of N MiB, Notepad, under Wine (medians):")
    for line in sizes:
        print("  " + line)


if __name__ == "__main__":
    main()
