"""End-to-end tests of what a press reads from a copy, and where it sends no keys, under Wine.

The project's peer program (peer/CasePeer.cpp) stands in for the programs concerned: it wears a
terminal's window class or runs under a terminal's file name, and copies as a program that places
its ANSI text before a real Unicode text does. The helpers are the case-switch end-to-end tests'.
"""

import os
import shutil
import tempfile
import unittest

from test_case_switch_e2e import CaseSwitchTestCase, PeerTest, beside_program

# Terminals known by their window class, and one known only by its program's file name.
TERMINAL_CLASSES = ("mintty", "PuTTY", "KiTTY", "VirtualConsoleClass", "org.wezfurlong.wezterm")
TERMINAL_IMAGE = "Xshell.exe"


class CopyContentTest(CaseSwitchTestCase):
    start_peer = PeerTest.start_peer
    counts = PeerTest.counts
    act_and_see_no_keystrokes = PeerTest.act_and_see_no_keystrokes

    def peer_named(self, name):
        """The peer program under another file name, in a folder of the test's own."""
        folder = tempfile.mkdtemp(prefix="casepeer-")
        self.addCleanup(shutil.rmtree, folder, True)
        path = os.path.join(folder, name)
        shutil.copy(beside_program("casepeer.exe"), path)
        return path

    def test_terminal_windows_get_no_keystrokes(self):
        # Ctrl+C there interrupts the running program, and a pasted line runs at the prompt.
        kinds = [(window_class, None) for window_class in TERMINAL_CLASSES] + [("CaseSwitchPeer", TERMINAL_IMAGE)]
        for window_class, image in kinds:
            with self.subTest(window_class=window_class, image=image):
                peer, _ = self.start_peer(window_class=window_class, exe=image and self.peer_named(image))
                self.put_earlier()
                self.act_and_see_no_keystrokes(peer)
                self.assertEqual(self.counts(peer), (0, 0), "keystrokes reached a terminal window")
                self.assert_clipboard_untouched()

    def test_text_placed_before_a_real_unicode_text_keeps_its_emoji(self):
        # The ANSI form reads "x?yz": read from it, the emoji would come back as a question mark.
        peer, edit = self.start_peer("x\U0001F600yz", "--copy-as", "text-first")
        self.put_earlier()
        self.press(peer)
        self.wait_text(edit, "X\U0001F600YZ")
        self.wait_restored()


if __name__ == "__main__":
    unittest.main()
