"""The autostart check box as a user meets it: what it shows at start, the notice after a click, and
what the per-machine Run key holds afterwards, also when the registry refuses the change."""

import json
import os
import shutil
import subprocess
import tempfile
import unittest

import harness

CHECK_BOX = 120
BM_GETCHECK = 0x00F0
BST_CHECKED = 1
REG_SZ, REG_DWORD, REG_BINARY = 1, 4, 3

CAPTION = "信息："
ENABLED_NOTICE = "选中开机启动项! 开机将启动!重启计算机即可"
DISABLED_NOTICE = "关闭开机启动项!重启计算机即可"
WRITE_DENIED_NOTICE = "无法写入开机启动项：需要管理员权限。请以管理员身份运行本程序后重试。"
DELETE_DENIED_NOTICE = "无法删除开机启动项：需要管理员权限。请以管理员身份运行本程序后重试。"


class RunKey:
    """The autostart entry under HKLM\\...\\Run, read and written exactly by the run_key_tool helper."""

    def __init__(self, env):
        self.env = env
        self.tool = os.path.join(os.path.dirname(harness.required_path("CASESWITCH_EXE")), "run_key_tool.exe")
        if not os.path.exists(self.tool):
            raise AssertionError(f"{self.tool} is missing: build the run_key_tool target")

    def run(self, *args):
        result = subprocess.run(["wine", self.tool, *args], env=self.env, capture_output=True, timeout=30)
        if result.returncode:
            raise AssertionError(f"run_key_tool {' '.join(args)} failed: {result.stderr.decode(errors='replace')}")
        return result.stdout.decode("ascii")

    def entry(self):
        """(type, data bytes), or None when there is no entry."""
        answer = json.loads(self.run("query"))
        return (answer["type"], bytes.fromhex(answer["hex"])) if answer["present"] else None

    def store(self, value_type, data=b""):
        self.run("set", str(value_type), data.hex() or "-")

    def delete(self):
        self.run("delete")

    def deny_changes(self):
        self.run("deny")

    def allow_changes(self):
        self.run("restore")


def windows_path(unix_path, env):
    """The path as the program's GetModuleFileNameA reports it, as code page 936 bytes."""
    result = subprocess.run(["winepath", "-w", unix_path], env=env, capture_output=True, timeout=30, check=True)
    return result.stdout.decode("utf-8").strip().encode("gbk")


class AutostartTestCase(unittest.TestCase):
    def setUp(self):
        self.env = harness.session_environment()
        self.run_key = RunKey(self.env)
        self.run_key.allow_changes()
        self.run_key.delete()
        self.addCleanup(self.run_key.delete)
        self.addCleanup(self.run_key.allow_changes)
        self.probe = harness.Probe(env=self.env)
        self.addCleanup(self.probe.close)
        self.assertEqual(self.probe.find_window("FormWindow"), 0, "a program window is open before the test")

    def start(self, exe=None):
        self.exe = exe or harness.required_path("CASESWITCH_EXE")
        self.program = harness.start_program(exe=self.exe, env=self.env)
        self.addCleanup(self.end_program, self.program)
        self.main = self.probe.wait_window("FormWindow")
        self.hwnd = self.main["hwnd"]
        boxes = [child for child in self.probe.children(self.hwnd) if child["id"] == CHECK_BOX]
        self.assertEqual(len(boxes), 1, "one autostart check box")
        self.check_box = boxes[0]["hwnd"]

    def end_program(self, program):
        """Closes the program's window and waits for its end; returns the exit status wine reports."""
        if program.poll() is None:
            window = self.probe.find_window("FormWindow")
            if window:
                self.probe.call("post", window, harness.WM_CLOSE, 0, 0)
            try:
                program.wait(timeout=10)
            except subprocess.TimeoutExpired:
                program.kill()
                program.wait()
        program.log.close()
        return program.returncode

    def ticked(self):
        return self.probe.send(self.check_box, BM_GETCHECK) == BST_CHECKED

    def click_and_read_notice(self):
        """Clicks the check box; returns the notice's box once it shows, with its text as bytes."""
        self.probe.click(self.check_box)
        box = self.probe.wait_messagebox(CAPTION)
        return box, self.probe.messagebox_text(box["hwnd"])

    def dismiss(self, box):
        self.probe.dismiss(box["hwnd"])
        self.probe.wait_gone(box["hwnd"])
        # Until the box has returned, the program's window is still disabled.
        harness.wait_until(lambda: self.probe.info(self.hwnd)["enabled"], 5, "the main window enabled again")

    def expected_entry(self):
        return (REG_SZ, windows_path(self.exe, self.env) + b"\0")


class AutostartAtStartTest(AutostartTestCase):
    def test_an_entry_of_any_type_ticks_the_box_before_the_window_first_shows(self):
        for value_type, data in [(REG_BINARY, b""), (REG_DWORD, b"\0\0\0\0"), (REG_SZ, b"\0"), (REG_SZ, b"C:\\x\0")]:
            with self.subTest(type=value_type, data=data):
                self.run_key.store(value_type, data)
                self.start()
                # The first sight of the window already has the tick: it is set before the window is shown.
                self.assertTrue(self.ticked(), f"an entry of type {value_type} with {data!r}: box not ticked")
                self.assertEqual(self.probe.find_window("#32770", CAPTION), 0, "no notice at start")
                self.assertEqual(self.run_key.entry(), (value_type, data), "the start leaves the entry alone")
                self.assertEqual(self.end_program(self.program), 0, "closing ends the program with exit code 0")

    def test_no_entry_leaves_the_box_cleared(self):
        self.start()
        self.assertFalse(self.ticked())
        self.assertIsNone(self.run_key.entry(), "the start writes nothing")


class AutostartToggleTest(AutostartTestCase):
    def test_ticking_writes_the_unquoted_path_then_shows_the_notice(self):
        # A folder with blanks and Chinese letters: the entry is the bare path, no quotes.
        folder = tempfile.mkdtemp(prefix="caseswitch ")
        self.addCleanup(shutil.rmtree, folder, True)
        target = os.path.join(folder, "开机 启动", "CaseSwitch.exe")
        os.makedirs(os.path.dirname(target))
        shutil.copy2(harness.required_path("CASESWITCH_EXE"), target)
        self.start(target)
        self.assertFalse(self.ticked())

        box, text = self.click_and_read_notice()
        self.assertEqual(text, ENABLED_NOTICE.encode("gbk"), f"notice reads {text.decode('gbk', 'replace')!r}")
        self.assertEqual(box["owner"], 0, "the notice has no owner")
        self.assertFalse(self.probe.info(self.hwnd)["enabled"], "task-modal: the main window is disabled meanwhile")
        # The registry was changed before the notice was shown.
        self.assertEqual(self.run_key.entry(), self.expected_entry())
        self.dismiss(box)
        self.assertTrue(self.ticked())
        self.assertEqual(self.run_key.entry(), self.expected_entry())

    def test_ticking_overwrites_an_entry_left_elsewhere(self):
        self.start()
        # Changed behind the program's back while it runs, e.g. by a copy of it elsewhere.
        self.run_key.store(REG_SZ, b"D:\\old\\CaseSwitch.exe\0")
        box, text = self.click_and_read_notice()
        self.assertEqual(text, ENABLED_NOTICE.encode("gbk"))
        self.dismiss(box)
        self.assertEqual(self.run_key.entry(), self.expected_entry())

    def test_clearing_deletes_the_entry_then_shows_the_notice(self):
        self.run_key.store(REG_SZ, b"C:\\somewhere\\CaseSwitch.exe\0")
        self.start()
        self.assertTrue(self.ticked())
        box, text = self.click_and_read_notice()
        self.assertEqual(text, DISABLED_NOTICE.encode("gbk"), f"notice reads {text.decode('gbk', 'replace')!r}")
        self.assertIsNone(self.run_key.entry(), "the entry is gone before the notice shows")
        self.dismiss(box)
        self.assertFalse(self.ticked())

    def test_clearing_an_entry_that_is_already_gone_is_no_failure(self):
        self.start()
        box, _ = self.click_and_read_notice()
        self.dismiss(box)
        self.assertTrue(self.ticked())
        self.run_key.delete()
        box, text = self.click_and_read_notice()
        self.assertEqual(text, DISABLED_NOTICE.encode("gbk"), f"notice reads {text.decode('gbk', 'replace')!r}")
        self.dismiss(box)
        self.assertFalse(self.ticked())
        self.assertIsNone(self.run_key.entry())


class AutostartRefusedTest(AutostartTestCase):
    def test_a_refused_write_says_why_and_clears_the_box_again(self):
        self.start()
        self.run_key.deny_changes()
        box, text = self.click_and_read_notice()
        self.assertEqual(text, WRITE_DENIED_NOTICE.encode("gbk"), f"notice reads {text.decode('gbk', 'replace')!r}")
        self.assertEqual(box["owner"], 0)
        self.dismiss(box)
        self.assertFalse(self.ticked(), "the box shows what the registry holds: no entry")
        self.assertIsNone(self.run_key.entry())

    def test_a_refused_deletion_says_why_and_ticks_the_box_again(self):
        self.run_key.store(REG_SZ, b"C:\\x.exe\0")
        self.start()
        self.run_key.deny_changes()
        box, text = self.click_and_read_notice()
        self.assertEqual(text, DELETE_DENIED_NOTICE.encode("gbk"), f"notice reads {text.decode('gbk', 'replace')!r}")
        self.dismiss(box)
        self.assertTrue(self.ticked(), "the entry is still there, so the box is ticked")
        self.assertEqual(self.run_key.entry(), (REG_SZ, b"C:\\x.exe\0"))


if __name__ == "__main__":
    unittest.main()
