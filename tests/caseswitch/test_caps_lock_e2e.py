"""Caps Lock after a press, as the target of the press sees the keys.

Windows flips the Caps Lock toggle of a press before it looks for hot keys, so every press of
Ctrl+CapsLock must put it back: once the hot key's keys are up, one tap of the key that turns it
back (Caps Lock, or Shift where Windows is set to release Caps Lock with Shift), ahead of the copy
keys in the same injected sequence, and alone for a press that then does nothing. Under Wine the X
server keeps its own lock state, so what is checked is the injected keys in the target's key log,
not the light.
"""

import subprocess
import unittest

from harness import wait_until
from test_case_switch_e2e import PeerTest, VK_CAPITAL

VK_SHIFT, VK_CONTROL, VK_LSHIFT, VK_C = 0x10, 0x11, 0xA0, 0x43
KEYBOARD_LAYOUT = r"HKCU\Keyboard Layout"
KLF_SHIFTLOCK = 0x10000


class CapsLockTest(PeerTest):
    def press_and_log(self, window, over):
        """Presses the hot key from the X side with `window` in front; once `over` holds, the key log
        as (vk, up, injected) and the injected part alone as (vk, up)."""
        self.tool.key_log()
        self.press(window)
        over()
        events = [(vk, bool(up), bool(injected)) for vk, up, injected, _ in self.tool.key_log()]
        return events, [(vk, up) for vk, up, injected in events if injected]

    def shift_releases_caps_lock(self):
        """Sets Windows' "press Shift to turn off Caps Lock" for the user, until the test ends."""
        def reg(*args):
            subprocess.run(["wine", "reg", *args], env=self.env, capture_output=True, timeout=30)

        reg("add", KEYBOARD_LAYOUT, "/v", "Attributes", "/t", "REG_DWORD", "/d", str(KLF_SHIFTLOCK), "/f")
        self.addCleanup(reg, "delete", KEYBOARD_LAYOUT, "/v", "Attributes", "/f")

    def test_a_press_taps_caps_lock_once_after_its_keys_are_up_and_before_its_copy(self):
        peer, edit = self.start_peer("Hello")
        self.put_earlier()
        events, injected = self.press_and_log(peer, lambda: (self.wait_text(edit, "HELLO"), self.wait_restored()))
        tap_and_copy = [(VK_CAPITAL, False), (VK_CAPITAL, True), (VK_CONTROL, False), (VK_C, False), (VK_CONTROL, True),
                        (VK_C, True)]
        self.assertEqual(injected[:6], tap_and_copy, f"the injected keys begin otherwise: {injected}")
        self.assertEqual([key for key in injected if key == (VK_CAPITAL, False)], [(VK_CAPITAL, False)],
                         f"expected one Caps Lock tap: {injected}")
        first_injected = next(index for index, event in enumerate(events) if event[2])
        self.assertTrue(all(event[2] for event in events[first_injected:]),
                        f"a key of the hot key was still going up after the tap: {events}")
        self.assertIn((VK_CAPITAL, True, False), events[:first_injected], f"the hot key's Caps Lock went up: {events}")

    def test_a_press_that_does_nothing_still_puts_caps_lock_back(self):
        for shift_lock in (False, True):
            with self.subTest(shift_releases_caps_lock=shift_lock):
                if shift_lock:
                    self.shift_releases_caps_lock()
                console, _ = self.start_peer("Hello", window_class="ConsoleWindowClass")
                self.put_earlier()
                _, injected = self.press_and_log(console, self.wait_action_over)
                taps = {(VK_SHIFT,), (VK_LSHIFT,)} if shift_lock else {(VK_CAPITAL,)}
                self.assertEqual(len(injected), 2, f"expected one tap and nothing else: {injected}")
                self.assertIn((injected[0][0],), taps, f"the tap is of the wrong key: {injected}")
                self.assertEqual([up for _, up in injected], [False, True], f"not one tap: {injected}")
                self.assertEqual(self.counts(console), (0, 0), "keystrokes reached a console window")
                self.assert_clipboard_untouched()


if __name__ == "__main__":
    unittest.main()
