"""The autostart check box as a user meets it: what it shows at start, the notice after a click, and
what the per-machine Run key holds afterwards, also when the registry refuses the change or the
user turned the entry off in Task Manager; and that Windows, running the entry, starts the program."""

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
# Windows' StartupApproved records of the entry as Task Manager writes them.
RECORD_KEYS = ("Run", "Run32")
TURNED_ON = bytes.fromhex("020000000000000000000000")
TURNED_OFF = bytes.fromhex("03000000d40d438dc83bd901")

CAPTION = "信息："
ENABLED_NOTICE = "选中开机启动项! 开机将启动!重启计算机即可"
DISABLED_NOTICE = "关闭开机启动项!重启计算机即可"
WRITE_DENIED_NOTICE = ("无法写入开机启动项：需要管理员权限，而这一更改没有得到管理员的授权"
                       "（Windows 询问时被拒绝，或授权后仍失败）。")
DELETE_DENIED_NOTICE = ("无法删除开机启动项：需要管理员权限，而这一更改没有得到管理员的授权"
                        "（Windows 询问时被拒绝，或授权后仍失败）。")
# Under Wine every file and folder grants the user itself full access, so every location is one
# that users other than administrators may change: each tick first asks whether to go on.
UNUSABLE_PATH_LEAD = "无法写入开机启动项：找不到本程序的文件"
OPEN_LOCATION_REASON = "本程序的文件或它所在的文件夹可以被管理员以外的用户修改。"
REPLACE_QUESTION_LEAD = "开机启动项“我的启动项”现在启动的是另一个程序：\r\n"
MB_ICON_STATIC = 1088  # the message box's icon control
IDYES, IDNO = 6, 7
STM_GETICON = 0x0171
WM_COMMAND = 0x0111


class RunKey:
    """The autostart entry under HKLM\\...\\Run, or with record= its StartupApproved record, read and
    written exactly by the run_key_tool helper; the entry in the program's 32-bit registry view, or
    with view ["64"] in the 64-bit view of a 64-bit prefix."""

    def __init__(self, env, view=()):
        self.env = env
        self.view = list(view)
        self.tool = os.path.join(os.path.dirname(harness.required_path("CASESWITCH_EXE")), "run_key_tool.exe")
        if not os.path.exists(self.tool):
            raise AssertionError(f"{self.tool} is missing: build the run_key_tool target")
        self.saved_security = None

    def run(self, *args):
        # Output through files, not pipes: a program the tool starts inherits Wine's Unix descriptors
        # and would hold a pipe open for as long as it runs.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            status = subprocess.run(["wine", self.tool, *self.view, *args], env=self.env, stdout=out, stderr=err, timeout=30)
            out.seek(0)
            err.seek(0)
            if status.returncode:
                raise AssertionError(f"run_key_tool {' '.join(args)} failed: {err.read().decode(errors='replace')}")
            return out.read().decode("ascii")

    def entry(self, record=None):
        """(type, data bytes), or None when there is none."""
        answer = json.loads(self.run("query", *filter(None, [record])))
        return (answer["type"], bytes.fromhex(answer["hex"])) if answer["present"] else None

    def store(self, value_type, data=b"", record=None):
        self.run("set", str(value_type), data.hex() or "-", *filter(None, [record]))

    def delete(self, record=None):
        self.run("delete", *filter(None, [record]))

    def start_entry(self):
        """Runs the entry as Windows does at log-on; (process id, the file the system chose to run)."""
        answer = json.loads(self.run("start"))
        return answer["pid"], bytes.fromhex(answer["image_hex"])

    def watch(self, name, milliseconds):
        """Starts looking for a process of that file name; the answer's (pid, parent pid) comes from
        the returned function, None when none ran."""
        out = tempfile.TemporaryFile()
        watcher = subprocess.Popen(["wine", self.tool, "watch", name, str(milliseconds)], env=self.env, stdout=out,
                                   stderr=subprocess.DEVNULL)

        def seen():
            status = watcher.wait(timeout=milliseconds / 1000 + 30)
            out.seek(0)
            answer = out.read().decode("ascii")
            out.close()
            return (json.loads(answer)["pid"], json.loads(answer)["parent"]) if status == 0 else None

        return seen

    def deny_changes(self):
        self.saved_security = json.loads(self.run("deny"))["saved"]

    def allow_changes(self):
        """Puts back the Run key's own DACL, if deny_changes took it away."""
        if self.saved_security is not None:
            self.run("restore", self.saved_security)
            self.saved_security = None


def windows_path(unix_path, env):
    """The path as the program's GetModuleFileNameA reports it, as code page 936 bytes."""
    result = subprocess.run(["winepath", "-w", unix_path], env=env, capture_output=True, timeout=30, check=True)
    return result.stdout.decode("utf-8").strip().encode("gbk")


class AutostartTestCase(unittest.TestCase):
    def setUp(self):
        self.env = harness.session_environment()
        self.run_key = RunKey(self.env)
        for record in (None, *RECORD_KEYS):
            self.run_key.delete(record)
            self.addCleanup(self.run_key.delete, record)
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

    def copy_program(self, folder_prefix):
        """(folder, FOLDER/开机 启动/CaseSwitch.exe): a copy of the program in a new temporary folder."""
        folder = tempfile.mkdtemp(prefix=folder_prefix)
        self.addCleanup(shutil.rmtree, folder, True)
        target = os.path.join(folder, "开机 启动", "CaseSwitch.exe")
        os.makedirs(os.path.dirname(target))
        shutil.copy2(harness.required_path("CASESWITCH_EXE"), target)
        return folder, target

    def close_windows(self):
        """Ends programs that are not the test's children through their windows."""
        for window in self.probe.list_windows("FormWindow"):
            self.probe.post(window["hwnd"], harness.WM_CLOSE)
            self.probe.wait_gone(window["hwnd"])

    def ticked(self):
        return self.probe.send(self.check_box, BM_GETCHECK) == BST_CHECKED

    def click_and_read_notice(self, location_answer=IDYES):
        """Clicks the check box; returns the notice's box once it shows, with its text as bytes. The
        question about the program's location, which a tick asks first under Wine, gets
        `location_answer`."""
        self.probe.click(self.check_box)
        box = self.probe.wait_messagebox(CAPTION)
        text = self.probe.messagebox_text(box["hwnd"])
        if text.startswith(OPEN_LOCATION_REASON.encode("gbk")):
            box = self.answer(box, location_answer)
            text = self.probe.messagebox_text(box["hwnd"]) if box else None
        return box, text

    def has_icon(self, box):
        icons = [child["hwnd"] for child in self.probe.children(box["hwnd"]) if child["id"] == MB_ICON_STATIC]
        return any(self.probe.send(icon, STM_GETICON) for icon in icons)

    def answer(self, box, button):
        """Answers a question box; the next box, if one follows within a second, else None."""
        self.probe.post(box["hwnd"], WM_COMMAND, button, 0)
        self.probe.wait_gone(box["hwnd"])
        try:
            return self.probe.wait_messagebox(CAPTION, timeout_ms=1000)
        except AssertionError:
            return None

    def dismiss(self, box):
        self.probe.dismiss(box["hwnd"])
        self.probe.wait_gone(box["hwnd"])
        # Until the box has returned, the program's window is still disabled.
        harness.wait_until(lambda: self.probe.info(self.hwnd)["enabled"], 5, "the main window enabled again")

    def expected_entry(self):
        """The path, quoted when it holds a blank: Windows reads the entry as a command line."""
        path = windows_path(self.exe, self.env)
        return (REG_SZ, (b'"' + path + b'"' if b" " in path else path) + b"\0")


class AutostartAtStartTest(AutostartTestCase):
    def test_only_an_entry_naming_this_program_ticks_the_box_before_the_window_first_shows(self):
        path = windows_path(harness.required_path("CASESWITCH_EXE"), self.env)
        for value_type, data, ours in [(REG_BINARY, b"", False), (REG_DWORD, b"\0\0\0\0", False),
                                       (REG_SZ, b"\0", False), (REG_SZ, b"C:\\x\0", False),
                                       (REG_SZ, path + b"\0", True), (REG_SZ, b'"' + path.upper() + b'"\0', True)]:
            with self.subTest(type=value_type, data=data):
                self.run_key.store(value_type, data)
                self.start()
                # The first sight of the window already has the tick: it is set before the window is shown.
                self.assertEqual(self.ticked(), ours, f"an entry of type {value_type} with {data!r}")
                self.assertEqual(self.probe.find_window("#32770", CAPTION), 0, "no notice at start")
                self.assertEqual(self.run_key.entry(), (value_type, data), "the start leaves the entry alone")
                self.assertEqual(self.end_program(self.program), 0, "closing ends the program with exit code 0")

    def test_no_entry_leaves_the_box_cleared(self):
        self.start()
        self.assertFalse(self.ticked())
        self.assertIsNone(self.run_key.entry(), "the start writes nothing")


class AutostartToggleTest(AutostartTestCase):
    def test_ticking_writes_the_path_then_shows_the_notice(self):
        # Folders with blanks and Chinese letters: the entry is the path in quotes.
        _, target = self.copy_program("caseswitch ")
        self.start(target)
        self.assertFalse(self.ticked())

        box, text = self.click_and_read_notice()
        self.assertEqual(text, ENABLED_NOTICE.encode("gbk"), f"notice reads {text.decode('gbk', 'replace')!r}")
        self.assertEqual(box["owner"], 0, "the notice has no owner")
        self.assertFalse(self.has_icon(box), "the notice of a success carries an icon")
        self.assertFalse(self.probe.info(self.hwnd)["enabled"], "task-modal: the main window is disabled meanwhile")
        # The registry was changed before the notice was shown.
        self.assertEqual(self.run_key.entry(), self.expected_entry())
        self.dismiss(box)
        self.assertTrue(self.ticked())
        self.assertEqual(self.run_key.entry(), self.expected_entry())

    def test_the_entry_of_a_path_with_a_blank_starts_the_program_itself(self):
        folder, target = self.copy_program("caseswitch-")
        # What the path cut at its blank names: an unquoted entry would run this instead.
        shutil.copy2(self.run_key.tool, os.path.join(folder, "开机.exe"))
        self.start(target)
        box, _ = self.click_and_read_notice()
        self.dismiss(box)
        self.assertEqual(self.end_program(self.program), 0)

        self.addCleanup(self.close_windows)
        pid, image = self.run_key.start_entry()
        self.assertEqual(image, windows_path(target, self.env), "the file Windows runs for the entry")
        started = self.probe.wait_window("FormWindow")
        self.assertEqual(started["pid"], pid, "the window is the started program's")

    def test_ticking_replaces_another_programs_entry_only_when_the_user_says_so(self):
        self.start()
        other = b"D:\\old\\CaseSwitch.exe\0"
        for button, expected in ((IDNO, (REG_SZ, other)), (IDYES, None)):
            with self.subTest(answer=button):
                # Left by a copy of the program elsewhere, or by another program under the same name.
                self.run_key.store(REG_SZ, other)
                box, text = self.click_and_read_notice()
                self.assertEqual(text, (REPLACE_QUESTION_LEAD + "D:\\old\\CaseSwitch.exe\r\n\r\n要改为启动本程序吗？")
                                 .encode("gbk"), f"question reads {text.decode('gbk', 'replace')!r}")
                self.assertEqual(self.run_key.entry(), (REG_SZ, other), "replaced before the answer")
                box = self.answer(box, button)
                if expected:
                    self.assertIsNone(box, "a notice after the answer No")
                    self.assertFalse(self.ticked(), "another program's entry ticks the box")
                    self.assertEqual(self.run_key.entry(), expected)
                else:
                    self.assertEqual(self.probe.messagebox_text(box["hwnd"]), ENABLED_NOTICE.encode("gbk"))
                    self.dismiss(box)
                    self.assertEqual(self.run_key.entry(), self.expected_entry())

    def test_clearing_leaves_another_programs_entry_alone(self):
        self.start()
        box, _ = self.click_and_read_notice()
        self.dismiss(box)
        # Another program takes the name while this one runs.
        other = (REG_SZ, b"C:\\other\\tool.exe\0")
        self.run_key.store(*other)
        box, text = self.click_and_read_notice()
        self.assertEqual(text, DISABLED_NOTICE.encode("gbk"), f"notice reads {text.decode('gbk', 'replace')!r}")
        self.dismiss(box)
        self.assertEqual(self.run_key.entry(), other, "another program's entry was deleted")
        self.assertFalse(self.ticked())

    def test_a_location_other_users_may_change_is_refused_unless_the_user_insists(self):
        # A folder every user may write to (under Wine a Unix mode gives its DACL an Everyone ACE).
        folder, target = self.copy_program("caseswitch-open-")
        os.chmod(os.path.dirname(target), 0o777)
        self.start(target)
        self.probe.click(self.check_box)
        box = self.probe.wait_messagebox(CAPTION)
        text = self.probe.messagebox_text(box["hwnd"]).decode("gbk")
        self.assertTrue(text.startswith(OPEN_LOCATION_REASON), f"question reads {text!r}")
        self.assertIn("C:\\Program Files", text, "the question says where to put the program")
        self.assertTrue(self.has_icon(box), "the question carries no warning icon")
        self.assertIsNone(self.answer(box, IDNO), "a notice after the answer No")
        self.assertIsNone(self.run_key.entry(), "the entry was written")
        self.assertFalse(self.ticked(), "the box shows what the registry holds")

    def test_a_path_the_code_page_cannot_hold_is_refused_with_a_warning(self):
        # The program's own path reaches it through code page 936, where the emoji turns into "?".
        folder = tempfile.mkdtemp(prefix="caseswitch-\U0001F600-")
        self.addCleanup(shutil.rmtree, folder, True)
        target = os.path.join(folder, "CaseSwitch.exe")
        shutil.copy2(harness.required_path("CASESWITCH_EXE"), target)
        self.start(target)
        box, text = self.click_and_read_notice()
        self.assertTrue(text.decode("gbk").startswith(UNUSABLE_PATH_LEAD), f"notice reads {text.decode('gbk')!r}")
        self.assertTrue(self.has_icon(box), "a failure notice without the warning icon")
        self.dismiss(box)
        self.assertIsNone(self.run_key.entry(), "an entry naming another file was written")
        self.assertFalse(self.ticked())

    def test_clearing_deletes_the_entry_then_shows_the_notice(self):
        self.exe = harness.required_path("CASESWITCH_EXE")
        self.run_key.store(*self.expected_entry())
        self.run_key.store(REG_BINARY, TURNED_ON, "Run32")
        self.start()
        self.assertTrue(self.ticked())
        box, text = self.click_and_read_notice()
        self.assertEqual(text, DISABLED_NOTICE.encode("gbk"), f"notice reads {text.decode('gbk', 'replace')!r}")
        self.assertIsNone(self.run_key.entry(), "the entry is gone before the notice shows")
        self.assertIsNone(self.run_key.entry("Run32"), "Windows' record of it goes with it")
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


class AutostartTurnedOffInTaskManagerTest(AutostartTestCase):
    def test_the_box_shows_cleared_and_ticking_turns_the_entry_on_again(self):
        for record in RECORD_KEYS:
            with self.subTest(record=record):
                self.exe = harness.required_path("CASESWITCH_EXE")
                self.run_key.store(*self.expected_entry())
                self.run_key.store(REG_BINARY, TURNED_OFF, record)
                self.start()
                try:
                    self.assertFalse(self.ticked(), f"an entry turned off in StartupApproved\\{record}: box ticked")
                    box, text = self.click_and_read_notice()
                    self.assertEqual(text, ENABLED_NOTICE.encode("gbk"), f"notice {text.decode('gbk', 'replace')!r}")
                    self.dismiss(box)
                    self.assertTrue(self.ticked())
                    self.assertEqual(self.run_key.entry(record), (REG_BINARY, TURNED_ON))
                    self.assertEqual(self.run_key.entry(), self.expected_entry())
                finally:
                    self.end_program(self.program)
                    self.run_key.delete(record)


class AutostartRefusedTest(AutostartTestCase):
    """Under Wine the program already runs with an administrator's full rights, and reg.exe started
    with the runas verb runs with the same ones, so the Run key's test DACL refuses it as well: what
    is seen is that the refused change starts the system's reg.exe, and that the box and the notice
    then tell what the registry holds."""

    def change_refused(self, expected_notice):
        self.run_key.deny_changes()
        seen = self.run_key.watch("reg.exe", 15000)
        box, text = self.click_and_read_notice()
        started = seen()
        self.assertIsNotNone(started, "no reg.exe ran for the refused change")
        self.assertEqual(started[1], self.main["pid"], "reg.exe was not the program's")
        self.assertEqual(text, expected_notice.encode("gbk"), f"notice reads {text.decode('gbk', 'replace')!r}")
        self.assertEqual(box["owner"], 0)
        self.assertTrue(self.has_icon(box), "a failure notice without the warning icon")
        self.dismiss(box)

    def test_a_refused_write_asks_for_rights_then_shows_what_the_registry_holds(self):
        self.start()
        self.change_refused(WRITE_DENIED_NOTICE)
        self.assertFalse(self.ticked(), "the box shows what the registry holds: no entry")
        self.assertIsNone(self.run_key.entry())

    def test_a_refused_deletion_asks_for_rights_then_shows_what_the_registry_holds(self):
        self.exe = harness.required_path("CASESWITCH_EXE")
        self.run_key.store(*self.expected_entry())
        self.start()
        self.change_refused(DELETE_DENIED_NOTICE)
        self.assertTrue(self.ticked(), "the entry is still there, so the box is ticked")
        self.assertEqual(self.run_key.entry(), self.expected_entry())


class AutostartRegistryViewTest(AutostartTestCase):
    """Only a 64-bit prefix has two views of the Run key: a 32-bit one, which the 32-bit program sees, and
    a 64-bit one. In a 32-bit prefix there is one view, which the tests above cover."""

    def setUp(self):
        if harness.prefix_arch(harness.session_environment()) != "win64":
            self.skipTest("a 32-bit prefix has one registry view")
        super().setUp()
        self.view64 = RunKey(self.env, ["64"])
        self.view64.delete()
        self.addCleanup(self.view64.delete)

    def test_either_build_finds_and_changes_the_entry_of_the_other(self):
        # As the 32-bit program leaves it; then this build (32- or 64-bit) must see that very entry.
        self.exe = harness.required_path("CASESWITCH_EXE")
        self.run_key.store(*self.expected_entry())
        self.start()
        self.assertTrue(self.ticked(), "the box shows the entry that starts the program at log-on")
        for expected in (None, self.expected_entry()):
            box, _ = self.click_and_read_notice()
            self.dismiss(box)
            self.assertEqual(self.run_key.entry(), expected)
            self.assertIsNone(self.view64.entry(), "a second entry in the 64-bit view")


if __name__ == "__main__":
    unittest.main()
