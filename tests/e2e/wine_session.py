"""The Wine session the end-to-end tests run in, the program started in it, and the bounded waits.

Every wait here is bounded and polls a condition; none sleeps a fixed time before it looks.
"""

import os
import resource
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
