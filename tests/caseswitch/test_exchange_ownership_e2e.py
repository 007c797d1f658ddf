"""End-to-end tests of what a press may take for its own copy and paste, under Wine: a press while
the copy is awaited copies again, the user's own copy stays the user's, a read that is not the
target's paste does not end the exchange early or stall it, and the exchange window outlives a
close request from outside. The programs and the tool are those of test_case_switch_e2e."""

import unittest

from harness import wait_until, WM_CLOSE
from test_case_switch_e2e import CF_TEXT, EM_SETSEL, CaseSwitchTestCase, PeerTest


class ExchangeOwnershipTest(CaseSwitchTestCase):
    start_peer = PeerTest.start_peer
    counts = PeerTest.counts
    press_until_keystroke = PeerTest.press_until_keystroke

    def empty_press_then_select(self):
        """A press with nothing selected in the peer, its copy keystroke arrived and copying nothing;
        then the text selected (by message: no input of the user's)."""
        peer, edit = self.start_peer("Hello")
        self.probe.send(edit, EM_SETSEL, 2, 2)
        self.put_earlier()
        self.press_until_keystroke(peer, "copy")
        self.probe.send(edit, EM_SETSEL, 0, -1)
        return peer, edit

    def test_a_second_press_while_the_copy_is_awaited_converts(self):
        peer, edit = self.empty_press_then_select()
        self.press(peer)
        self.wait_text(edit, "HELLO")
        self.wait_restored()
        self.assertEqual(self.counts(peer), (2, 1), "expected two copy keystrokes and one paste")

    def test_the_users_own_copy_after_an_empty_press_stays_the_users(self):
        peer, edit = self.empty_press_then_select()
        self.x.key("ctrl+c")
        wait_until(lambda: self.tool.get(CF_TEXT) == b"Hello\0", 5, "the user's copy on the clipboard")
        copied_seq = self.tool.seq()
        # The copy wait (5 s) and the late-copy watch after it (10 s) are over within 16 s: the one
        # observation of the clipboard over that time, which must not change.
        with self.assertRaises(AssertionError, msg="the clipboard was written over the user's copy"):
            wait_until(lambda: self.tool.seq() != copied_seq, 16, "the clipboard to change")
        self.assertEqual(self.tool.get(CF_TEXT), b"Hello\0")
        self.assertEqual(self.tool.text(edit), "Hello", "the user's copy was pasted back converted")
        self.assertEqual(self.counts(peer)[1], 0, "a paste keystroke was sent")

    def test_a_reader_without_a_window_before_a_slow_paste_is_not_the_paste(self):
        # Reads the offer the moment it is made, as a program without a window reads (as Wine's OLE
        # clipboard does in the target's own paste); here another process, 100 ms before the paste.
        self.tool.require("clip-reader", "CaseSwitchClipboardExchange")
        peer, edit = self.start_peer("Hello", "--paste-delay", "100")
        self.put_earlier()
        self.press(peer)
        self.wait_text(edit, "HELLO")
        self.wait_restored()

    def test_a_paste_that_opens_the_clipboard_twice_gets_the_offer_both_times(self):
        peer, edit = self.start_peer("Hello", "--paste-twice")
        self.put_earlier()
        self.press(peer)
        self.wait_text(edit, "HELLO")
        self.wait_restored()

    def test_a_clipboard_manager_reading_every_content_stalls_no_press(self):
        # It takes every offer first, so the target finds the text rendered and asks nothing. It holds
        # the clipboard for each read, which on a loaded machine can span the moment of the paste: the
        # target asks a busy clipboard again, or its paste would be lost to the stand-in, not to the press.
        self.tool.require("clip-manager")
        peer, edit = self.start_peer("Hello", "--paste-delay", "100", "--paste-retry")
        self.put_earlier()
        self.press(peer)
        self.wait_text(edit, "HELLO")
        self.wait_restored(timeout=3)
        self.probe.send(edit, EM_SETSEL, 0, -1)
        self.put_earlier()
        self.press(peer)
        self.wait_text(edit, "hello")
        self.wait_restored(timeout=3)

    def test_the_exchange_window_outlives_a_close_request(self):
        # Closed while a press awaits its copy, the exchange would never end and no later press act.
        refusing, _ = self.start_peer("Refused", "--refuse-copy")
        peer, edit = self.start_peer("Hello")
        self.put_earlier()
        self.press_until_keystroke(refusing, "copy")
        self.probe.post(self.probe.find_window("CaseSwitchClipboardExchange"), WM_CLOSE)
        self.wait_action_over()
        self.press(peer)
        self.wait_text(edit, "HELLO")
        self.wait_restored()

if __name__ == "__main__":
    unittest.main()
