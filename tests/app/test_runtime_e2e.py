"""The runtime's start-up, ordered shutdown and fatal reports, seen from outside.

Drives runtime_child.exe (a program of the tests' own over the real runtime and the real main
window content) and reads its error boxes through the probe before dismissing them.
"""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "e2e"))
import harness  # noqa: E402

FATAL_EXIT = harness.exit_code_as_seen(0xFFFFFFFF)


def box_text(message, location_lines):
    """A fatal report's box text as the runtime composes it."""
    text = "运行时出错!\r\n"
    if message:
        text += "\r\n错误信息：" + message + "\r\n"
    for line in location_lines:
        text += "\r\n" + line
    return (text + "\r\n").encode("gbk")


class RuntimeChild(unittest.TestCase):
    def setUp(self):
        self.env = harness.session_environment()
        self.child = harness.required_path("CASESWITCH_RUNTIME_CHILD")
        self.probe = harness.Probe(env=self.env)
        self.addCleanup(self.probe.close)
        handle, self.report = tempfile.mkstemp(prefix="runtime-child-", suffix=".txt")
        os.close(handle)
        os.unlink(self.report)
        self.addCleanup(lambda: os.path.exists(self.report) and os.unlink(self.report))

    def start(self, mode, address_space_limit=None):
        process = harness.start_program(self.child, [mode, self.report], env=self.env,
                                        address_space_limit=address_space_limit)
        self.addCleanup(process.log.close)
        self.addCleanup(lambda: process.poll() is None and process.kill())
        return process

    def report_lines(self):
        if not os.path.exists(self.report):
            return []
        with open(self.report, encoding="utf-8") as report:
            return report.read().splitlines()

    def expect_fatal(self, mode, message, location_lines, address_space_limit=None):
        process = self.start(mode, address_space_limit)
        box = self.probe.wait_messagebox("错误", timeout_ms=15000)
        self.assertEqual(self.probe.messagebox_text(box["hwnd"]).decode("gbk"),
                         box_text(message, location_lines).decode("gbk"))
        self.probe.dismiss(box["hwnd"])
        self.assertEqual(process.wait(timeout=15), FATAL_EXIT, "a fatal report ends with exit code 0xFFFFFFFF")
        self.assertEqual(self.report_lines(), [], "no exit routine may run after a fatal report")

    def test_an_impossible_allocation_reports_its_size(self):
        # 2 GiB in one block: never to be had by a 32-bit process, but a 64-bit one gets it. That one
        # runs with 3 GiB of address space in all, of which Wine has mapped about 1.8 GiB at start.
        limit = 3 << 30 if harness.is_64_bit_program(self.child) else None
        self.expect_fatal("alloc", "分配 2147483647 字节内存失败!", ["0, 0"], address_space_limit=limit)

    def test_a_property_of_a_window_that_is_not_built(self):
        self.expect_fatal("property", "修改组件属性时发现指定窗口尚未载入",
                          ["1375797249, 369164355", '"main-tag"', '""'])

    def test_a_property_of_a_window_without_a_description(self):
        self.expect_fatal("no-window-id", "未载入欲访问窗口组件所在的窗口", ["1375797401, 369164355", "未找到所指定的窗口"])

    def test_a_start_up_window_that_cannot_be_built(self):
        self.expect_fatal("startup", "载入启动窗口失败", ["1375797249, 0", '"main-tag"', '"main-tag"'])

    def test_an_unreadable_window_description_block(self):
        self.expect_fatal("block", "载入窗口模板数据段出错!", ["0, 0"])

    def test_the_tray_icon_of_an_element_the_window_does_not_have(self):
        self.expect_fatal("tray-element", "指定窗口或窗口组件不存在或尚未载入",
                          ["1375797249, 369164441", '"main-tag"', "未找到所指定的窗口组件"])

    def close_normally(self, mode):
        process = self.start(mode)
        window = self.probe.wait_window("FormWindow")
        self.probe.post(window["hwnd"], harness.WM_CLOSE)
        self.assertEqual(process.wait(timeout=15), 0)

    def test_closing_the_window_runs_the_exit_routine_once_before_ole_ends(self):
        self.close_normally("normal")
        self.assertEqual(self.report_lines(), ["exit-routine ole=1"],
                         "registered twice, the exit routine runs once, with OLE still initialised")

    def test_an_exit_routine_registered_during_shutdown_never_runs(self):
        # It would run in the second shutdown, from static destruction, after what it may use is gone.
        self.close_normally("late-exit-routine")
        self.assertEqual(self.report_lines(), ["exit-routine ole=1"])

    def test_a_loop_without_a_window_returns_at_once(self):
        process = self.start("no-window")
        self.assertEqual(process.wait(timeout=15), 0)
        self.assertEqual(self.report_lines(), ["exit-routine ole=1"])


if __name__ == "__main__":
    unittest.main()
