"""Tray residence as a user meets it: the hide button, the icon in Wine's notification area, clicks
on it, its tips, and the icon's end with the window."""

import os
import time
import unittest

import harness

HIDDEN_TIP = "最小化到系统托盘".encode("gbk")
RESTORED_TIP = "最小化".encode("gbk")
SENTINEL_TIP = b"sentinel"
OCCUPIED_TIP = b"occupied"

BUTTON_ID = 110
TRAY_CALLBACK = 0x8064
TRAY_ICON_ID = 100
WM_NULL = 0x0000
WM_CLOSE = 0x0010
WM_SYSCOMMAND = 0x0112
SC_MINIMIZE = 0xF020
BM_CLICK = 0x00F5
WM_LBUTTONUP = 0x0202
WM_LBUTTONDBLCLK = 0x0203
NIN_KEYSELECT = 0x0401


class TrayProbe(harness.Probe):
    """tests/tray/tray_probe.exe, built next to the probe helper."""

    def __init__(self, env):
        path = os.path.join(os.path.dirname(harness.required_path("CASESWITCH_PROBE")), "tray_probe.exe")
        if not os.path.exists(path):
            raise AssertionError(f"{path} does not exist: build the tray_probe target")
        super().__init__(probe=path, env=env)

    def icons(self):
        answer = self.require("icons")
        for icon in answer["icons"]:
            icon["tip"] = bytes.fromhex(icon["tip_hex"]) if icon["tip_hex"] is not None else None
        return answer


def callback(event, x=0, y=0):
    """wParam and lParam of the tray callback as the shell sends it in the fourth callback mode."""
    return (y << 16) | x, (TRAY_ICON_ID << 16) | event


def centre(rect):
    left, top, right, bottom = rect
    return (left + right) // 2, (top + bottom) // 2


def is_tile_blue(rgb):
    red, green, blue = rgb
    return blue > 150 and blue > red + 60


class TrayResidenceTest(harness.ProgramTestCase):
    def setUp(self):
        super().setUp()
        self.tray = TrayProbe(self.env)
        self.addCleanup(self.tray.close)
        self.button = next(child["hwnd"] for child in self.probe.children(self.hwnd) if child["id"] == BUTTON_ID)
        self.assertEqual(self.tray.icons()["icons"], [], "the program starts without an icon")

    # What the notification area shows, once it shows what is expected.
    def wait_icons(self, tips, what):
        seen = {}

        def arrived():
            seen["icons"] = self.tray.icons()
            return sorted(icon["tip"] for icon in seen["icons"]["icons"]) == sorted(tips)

        try:
            harness.wait_until(arrived, 5, what)
        except AssertionError:
            raise AssertionError(f"{what}: expected icons with tips {tips}, saw {seen['icons']}") from None
        return seen["icons"]

    def program_icon(self, icons):
        return next(icon for icon in icons["icons"] if icon["tip"] != SENTINEL_TIP)

    def hide(self):
        self.probe.click(self.button)
        self.probe.wait_hidden(self.hwnd)

    def hide_minimised(self):
        self.probe.post(self.hwnd, WM_SYSCOMMAND, SC_MINIMIZE)
        harness.wait_until(lambda: self.probe.info(self.hwnd)["iconic"], 5, "the window to be minimised")
        self.hide()
        self.assertTrue(self.probe.info(self.hwnd)["iconic"], "hidden, the window stays minimised")

    def restore_by_message(self):
        self.probe.post(self.hwnd, TRAY_CALLBACK, *callback(WM_LBUTTONDBLCLK))
        self.probe.wait_visible(self.hwnd)

    def assert_restored_in_front(self, what):
        self.probe.wait_visible(self.hwnd)

        def in_front():
            return not self.probe.info(self.hwnd)["iconic"] and self.probe.foreground() == self.hwnd

        try:
            harness.wait_until(in_front, 5, what)
        except AssertionError:
            raise AssertionError(f"{what}: {self.probe.info(self.hwnd)}; {self.desktop()}") from None

    def wait_balloon(self):
        return harness.wait_until(
            lambda: (lambda balloon: balloon["hwnd"] and balloon)(self.tray.require("balloon")),
            10,
            "the balloon (Wine makes it two seconds after the request)",
        )

    def assert_running_hidden(self, what):
        self.assertIsNone(self.program.poll(), f"{what}: the program ended")
        self.assertFalse(self.probe.info(self.hwnd)["visible"], f"{what}: the window is shown")

    def memory_in_use(self, pid):
        """Private bytes where the system counts them; Wine reports 0 there and counts the working set."""
        memory = self.probe.memory(pid)
        return memory["private_bytes"] or memory["working_set"]

    def test_the_hide_button_hides_the_window_and_shows_the_icon_with_its_tip(self):
        self.hide()
        icons = self.wait_icons([HIDDEN_TIP], "after the hide button")
        self.assertTrue(icons["tray_visible"], "Wine's tray window shows the icon")
        self.assert_running_hidden("after the hide button")

    def test_single_and_right_clicks_change_nothing_and_a_double_click_restores(self):
        self.hide_minimised()
        self.tray.require("sentinel-add")
        icons = self.wait_icons([HIDDEN_TIP, SENTINEL_TIP], "the program's icon and the sentinel")
        program_x, program_y = centre(self.program_icon(icons)["rect"])
        sentinel = next(icon for icon in icons["icons"] if icon["tip"] == SENTINEL_TIP)

        self.x.click(program_x, program_y, button=1)
        self.x.click(program_x, program_y, button=3)
        # The shell relays clicks in the order they happen: once it has relayed a click on the
        # sentinel icon, the program's two clicks are in the program's queue, and a message sent to
        # the program returns only after it has handled them.
        self.x.click(*centre(sentinel["rect"]), button=1)
        harness.wait_until(
            lambda: WM_LBUTTONUP in self.tray.require("sentinel-seen")["messages"], 5, "the click on the sentinel"
        )
        self.probe.send(self.hwnd, WM_NULL)
        self.assert_running_hidden("after a single left click and a right click")
        self.wait_icons([HIDDEN_TIP, SENTINEL_TIP], "the tip after the single clicks")

        self.x.click(program_x, program_y, button=1, repeat=2)
        self.assert_restored_in_front("after the double-click on the icon")
        self.wait_icons([RESTORED_TIP, SENTINEL_TIP], "the icon stays after the restore, with its other tip")
        self.probe.send(self.hwnd, WM_NULL)
        self.assertTrue(self.probe.info(self.hwnd)["visible"], "the window stays shown after the double-click")

    def test_enter_on_the_focused_icon_restores_a_minimised_window_to_the_front(self):
        self.hide_minimised()
        icon = self.program_icon(self.wait_icons([HIDDEN_TIP], "after hiding"))
        # The keyboard's focus is in the notification area; Wine's has no keyboard navigation, so
        # the test sends what the shell sends for Enter or Space on the focused icon.
        self.probe.set_foreground(self.probe.find_window("__winex11_standalone_tray"))
        self.probe.post(self.hwnd, TRAY_CALLBACK, *callback(NIN_KEYSELECT, *centre(icon["rect"])))
        self.assert_restored_in_front("after Enter on the icon")

    def test_a_refused_icon_leaves_the_window_shown(self):
        # The shell refuses a second icon under the program's window and icon id.
        self.tray.require("occupy", self.hwnd)
        self.wait_icons([OCCUPIED_TIP], "the probe's icon in the program's place")
        self.probe.send(self.button, BM_CLICK)  # returns once the handler has run
        self.assertTrue(self.probe.info(self.hwnd)["visible"], "hidden without an icon to come back by")
        # Once the shell takes the icon, the button hides the window.
        self.tray.require("forget", self.hwnd)
        self.wait_icons([], "after the probe's icon went")
        self.hide()
        self.wait_icons([HIDDEN_TIP], "the program's icon")

    def test_the_first_hide_shows_a_balloon_and_later_ones_do_not(self):
        self.hide()
        balloon = self.wait_balloon()
        # Where the icon is, and how to bring the window back.
        text = bytes.fromhex(balloon["text_hex"]).decode("gbk")
        for words in ("通知区域", "^", "双击", "回车"):
            self.assertIn(words, text)
        self.restore_by_message()
        # A second request would replace the balloon (Wine destroys the shown one at once); it lasts
        # at least ten seconds, longer than this takes.
        self.probe.send(self.button, BM_CLICK)
        self.assertFalse(self.probe.info(self.hwnd)["visible"])
        self.assertEqual(self.tray.require("balloon")["hwnd"], balloon["hwnd"], "the second hide asked for a balloon")

    def test_hiding_again_brings_back_the_hidden_tip(self):
        self.hide()
        self.wait_icons([HIDDEN_TIP], "after hiding")
        self.restore_by_message()
        self.wait_icons([RESTORED_TIP], "after restoring")
        # A double-click while the window is shown leaves it shown.
        self.probe.post(self.hwnd, TRAY_CALLBACK, *callback(WM_LBUTTONDBLCLK))
        self.probe.send(self.hwnd, WM_NULL)
        self.assertTrue(self.probe.info(self.hwnd)["visible"])
        self.wait_icons([RESTORED_TIP], "after a double-click on the shown window")
        self.hide()
        self.wait_icons([HIDDEN_TIP], "after hiding again")

    def test_closing_the_window_removes_the_icon(self):
        self.hide()
        self.wait_icons([HIDDEN_TIP], "after hiding")
        self.restore_by_message()
        self.probe.post(self.hwnd, WM_CLOSE)
        self.assertEqual(self.wait_exit(), 0)
        icons = self.wait_icons([], "after the window closed")
        self.assertFalse(icons["tray_visible"], "Wine's tray window goes with its last icon")

    def test_closing_the_hidden_window_removes_the_icon(self):
        self.hide()
        self.wait_icons([HIDDEN_TIP], "after hiding")
        self.probe.post(self.hwnd, WM_CLOSE)
        self.assertEqual(self.wait_exit(), 0)
        self.wait_icons([], "after the hidden window closed")

    def test_a_recreated_taskbar_gets_the_icon_again(self):
        self.hide()
        self.wait_icons([HIDDEN_TIP], "after hiding")
        # A restarted taskbar knows no icons, and says so with its broadcast.
        self.tray.require("forget", self.hwnd)
        self.wait_icons([], "after the taskbar forgot the icon")
        self.tray.require("taskbar-created")
        self.wait_icons([HIDDEN_TIP], "after the TaskbarCreated broadcast")
        # And the icon that came back still brings the window back.
        self.restore_by_message()
        self.wait_icons([RESTORED_TIP], "after restoring through the icon that came back")

    def test_1000_hide_and_restore_cycles_leave_handles_and_memory_where_they_were(self):
        pid = self.main["pid"]
        for _ in range(3):  # the first cycles make what is kept for the whole run
            self.hide()
            self.restore_by_message()
        before = (self.tray.require("handle-level")["user"], self.memory_in_use(pid))
        gui_before = self.probe.gui_resources(pid)
        started = time.monotonic()
        for _ in range(1000):
            self.hide()
            self.restore_by_message()
        seconds = time.monotonic() - started
        after = (self.tray.require("handle-level")["user"], self.memory_in_use(pid))
        print(
            f"\n1000 hide/restore cycles in {seconds:.1f} s; user handle level {before[0]} -> {after[0]}, "
            f"memory in use {before[1]} -> {after[1]} bytes"
        )
        # Each cycle makes two icons; keeping either would raise the level by 1000 or more.
        self.assertLessEqual(after[0], before[0] + 32, f"user handle level {before[0]} -> {after[0]}")
        self.assertLess(after[1] - before[1], 4 << 20, f"memory in use {before[1]} -> {after[1]} bytes")
        # Windows counts each process's GDI and USER objects (Wine answers 0 for both).
        gui_after = self.probe.gui_resources(pid)
        for kind in ("gdi", "user"):
            self.assertLessEqual(gui_after[kind], gui_before[kind] + 32, f"{kind} objects {gui_before} -> {gui_after}")
        self.wait_icons([RESTORED_TIP], "after the cycles")

    def test_screenshot_of_the_icon_in_the_notification_area(self):
        self.hide()
        icon = self.program_icon(self.wait_icons([HIDDEN_TIP], "after hiding"))
        tray = self.probe.info(self.probe.find_window("__winex11_standalone_tray"))
        # The first hide's balloon points at the icon.
        balloon = self.probe.info(self.wait_balloon()["hwnd"])
        screen = self.probe.screen()
        shown = [tray["rect"], balloon["rect"]]
        rect = [
            max(min(r[0] for r in shown), 0),
            max(min(r[1] for r in shown), 0),
            min(max(r[2] for r in shown), screen["cx"]),
            min(max(r[3] for r in shown), screen["cy"]),
        ]
        path = os.path.join(harness.screenshot_dir(), "tray-icon.png")
        image = harness.screenshot(path, rect, env=self.env)
        left, top, right, bottom = icon["rect"]
        box = [left - rect[0], top - rect[1], right - rect[0], bottom - rect[1]]
        self.assertGreater(image.count(box, is_tile_blue), 20, f"the blue tile of the icon at {icon['rect']} ({path})")

if __name__ == "__main__":
    unittest.main()
