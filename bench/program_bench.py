"""Whole-program figures under Wine: start-up time beside a minimal Win32 program, idle CPU shown
and hidden to the tray, private memory after presses of the hot key, and the release executable.

Run by tools/bench.sh, which builds everything and starts the Wine session. Prints one line per
figure, `name: value`, so that the README's table can be read off a run.
"""

import argparse
import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "e2e"))
import harness  # noqa: E402

TICKS_PER_SECOND = os.sysconf("SC_CLK_TCK")


def cpu_milliseconds(pid):
    with open(f"/proc/{pid}/stat", encoding="ascii") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    user, system = int(fields[11]), int(fields[12])
    return (user + system) * 1000 // TICKS_PER_SECOND


def start_and_wait(probe, env, exe, window_class):
    started = time.perf_counter()
    process = harness.start_program(exe, env=env)
    info = probe.wait_window(window_class, timeout_ms=30000)
    return process, info, time.perf_counter() - started


def close(probe, process, hwnd):
    probe.post(hwnd, harness.WM_CLOSE)
    process.wait(timeout=30)
    process.log.close()


def startup(probe, env, program, minimal, runs):
    figures = {}
    for name, exe, window_class in (("program", program, "FormWindow"), ("minimal", minimal, "MinimalWindow")):
        times = []
        for _ in range(runs):
            process, info, seconds = start_and_wait(probe, env, exe, window_class)
            times.append(seconds * 1000)
            close(probe, process, info["hwnd"])
        figures[name] = statistics.median(times)
        print(f"startup_{name}_median_ms: {figures[name]:.1f}  (runs {runs}, min {min(times):.1f}, max {max(times):.1f})")
    print(f"startup_ratio_program_to_minimal: {figures['program'] / figures['minimal']:.2f}")


def idle(probe, env, program, minimal, seconds):
    process, info, _ = start_and_wait(probe, env, minimal, "MinimalWindow")
    probe.wait_idle(info["hwnd"])
    before = cpu_milliseconds(process.pid)
    time.sleep(seconds)
    print(f"idle_cpu_minimal_shown_ms: {cpu_milliseconds(process.pid) - before}  (over {seconds} s)")
    close(probe, process, info["hwnd"])

    process, info, _ = start_and_wait(probe, env, program, "FormWindow")
    probe.wait_idle(info["hwnd"])
    before = cpu_milliseconds(process.pid)
    time.sleep(seconds)
    print(f"idle_cpu_program_shown_ms: {cpu_milliseconds(process.pid) - before}  (over {seconds} s)")
    button = next(child for child in probe.children(info["hwnd"]) if child["id"] == 110)
    probe.click(button["hwnd"])
    probe.wait_hidden(info["hwnd"])
    probe.wait_idle(info["hwnd"])
    before = cpu_milliseconds(process.pid)
    time.sleep(seconds)
    print(f"idle_cpu_program_hidden_ms: {cpu_milliseconds(process.pid) - before}  (over {seconds} s)")
    close(probe, process, info["hwnd"])


def executable(release_exe):
    size = os.path.getsize(release_exe)
    objdump = "x86_64-w64-mingw32-objdump" if harness.is_64_bit_program(release_exe) else "i686-w64-mingw32-objdump"
    dump = subprocess.run([objdump, "-p", release_exe], capture_output=True, text=True, check=True).stdout
    dlls = sorted({line.split(":", 1)[1].strip() for line in dump.splitlines() if "DLL Name:" in line})
    print(f"release_exe_bytes: {size}  ({size / 1024:.1f} KiB)")
    print(f"release_exe_imports: {' '.join(dlls)}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--minimal", required=True)
    parser.add_argument("--release-exe")
    parser.add_argument("--startup-runs", type=int, default=10)
    parser.add_argument("--idle-seconds", type=int, default=30)
    arguments = parser.parse_args()
    env = harness.session_environment()
    probe = harness.Probe(env=env)
    try:
        startup(probe, env, arguments.program, arguments.minimal, arguments.startup_runs)
        idle(probe, env, arguments.program, arguments.minimal, arguments.idle_seconds)
    finally:
        probe.close()
    if arguments.release_exe:
        executable(arguments.release_exe)


if __name__ == "__main__":
    main()
