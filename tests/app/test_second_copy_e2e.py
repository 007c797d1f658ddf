"""A second copy of the program started while the first holds the hot key: it finds the first, says
so, and brings the first's window back from the notification area, instead of blaming another
program for the hot key."""

import unittest

from harness import ProgramTestCase, start_program, wait_until, WM_CLOSE

HIDE_BUTTON_ID = 110
CAPTION = "信息："
ALREADY_RUNNING = "切换大小写已在运行，Ctrl+CapsLock 由它使用。点“确定”后显示它的窗口。"


class SecondCopyTest(ProgramTestCase):
    def test_a_second_copy_brings_the_hidden_first_back_and_says_it_is_running(self):
        button = next(child["hwnd"] for child in self.probe.children(self.hwnd) if child["id"] == HIDE_BUTTON_ID)
        self.probe.click(button)
        self.probe.wait_hidden(self.hwnd)

        second = start_program(env=self.env)
        self.addCleanup(self.end_second, second)
        box = self.probe.wait_messagebox(CAPTION, timeout_ms=15000)
        text = self.probe.messagebox_text(box["hwnd"])
        self.assertEqual(text, ALREADY_RUNNING.encode("gbk"), f"the notice reads {text.decode('gbk', 'replace')!r}")
        self.assertNotEqual(box["pid"], self.main["pid"], "the notice is the second copy's")
        self.probe.dismiss(box["hwnd"])
        self.probe.wait_visible(self.hwnd)
        wait_until(lambda: not self.probe.info(self.hwnd)["iconic"], 5, "the first copy's window un-minimised")

    def end_second(self, second):
        for window in self.probe.list_windows(self.main_class):
            if window["hwnd"] != self.hwnd:
                self.probe.post(window["hwnd"], WM_CLOSE)
        try:
            second.wait(timeout=10)
        except Exception:
            second.kill()
            second.wait()
        second.log.close()


if __name__ == "__main__":
    unittest.main()
