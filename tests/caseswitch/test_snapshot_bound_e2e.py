"""End-to-end tests of the press's bounded save of the earlier clipboard content, under Wine.

Earlier content larger than the program saves, or whose owner does not render it in time, must make
the press do nothing at all: no keystroke reaches the peer program, its document keeps its text, and
the clipboard is never written (same sequence number, same bytes), rather than a part of the content
being put back or the program hanging with the owner. Large content within the bound, which goes
back to be rendered later, must outlive the program ended without notice soon after the press. The
press is the hot-key service's message to the label, posted, and its end the minimise request posted
behind it (see test_case_switch_e2e).
"""

from harness import program_output, wait_until
from test_case_switch_e2e import CF_TEXT, FEEDBACK_MESSAGE, HOT_KEY_ID, PeerTest, Tool

EARLIER_FORMAT = "CaseSwitch.E2E.Large"
EARLIER_TEXT = b"earlier text"
# Just over the most the program saves (64 MiB, every format together).
OVER_THE_BOUND = (64 << 20) + 1
# An owner that renders this much later than asked hangs as far as the program can tell (it waits 2 s).
SLOW_RENDER_MS = 6000


def pattern_digest(size):
    """FNV-1a of the tool's clip-fill pattern of `size` bytes, as its clip-digest computes it."""
    digest = 0xCBF29CE484222325
    for i in range(size):
        digest = ((digest ^ (((i * 2654435761) & 0xFFFFFFFF) >> 24)) * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
    return f"{digest:016x}"


class SnapshotBoundTest(PeerTest):
    def fill(self, size, *options):
        self.tool.require("clip-fill", *options, Tool._format(EARLIER_FORMAT), size, EARLIER_TEXT.hex())
        self.earlier_seq = self.tool.seq()

    def digest(self):
        return self.tool.require("clip-digest", Tool._format(EARLIER_FORMAT))

    def press_and_see_it_leave_everything(self, peer, edit):
        self.probe.set_foreground(peer)
        self.probe.post(self.label, FEEDBACK_MESSAGE, HOT_KEY_ID, 0)
        self.wait_action_over()
        self.assertEqual(self.counts(peer), (0, 0), "keystrokes were sent")
        self.assertEqual(self.tool.text(edit), "Hello", "the document changed")

    def assert_clipboard_as_it_was(self, digest):
        self.assertEqual(self.tool.seq(), self.earlier_seq, "the clipboard was written")
        self.assertEqual(self.tool.get(CF_TEXT), EARLIER_TEXT + b"\0", "the earlier text changed")
        seen = self.digest()
        self.assertEqual((seen.get("size"), seen.get("digest")), (digest.get("size"), digest.get("digest")),
                         "the large format did not stay byte for byte")

    def test_earlier_content_over_the_bound_is_left_alone(self):
        peer, edit = self.start_peer("Hello")
        self.fill(OVER_THE_BOUND)
        before = self.digest()
        self.press_and_see_it_leave_everything(peer, edit)
        self.assert_clipboard_as_it_was(before)

    def test_an_owner_that_does_not_render_in_time_leaves_the_press_alone(self):
        peer, edit = self.start_peer("Hello")
        self.fill(4096, "--render-after", SLOW_RENDER_MS)
        self.press_and_see_it_leave_everything(peer, edit)
        # The program's reader gives the clipboard back once the owner has rendered for it.
        wait_until(lambda: self.tool.call("clip-digest", Tool._format(EARLIER_FORMAT)).get("present"),
                   SLOW_RENDER_MS / 1000 + 10, "the clipboard to be free again")
        self.assert_clipboard_as_it_was({"size": 4096, "digest": pattern_digest(4096)})
        # And the next press, with content that renders at once, converts.
        self.put_earlier()
        self.press(peer)
        self.wait_text(edit, "HELLO")
        self.wait_restored()


class LargeContentTest(PeerTest):
    fill = SnapshotBoundTest.fill
    digest = SnapshotBoundTest.digest

    def session(self):
        # The program's marks (OutputDebugStringA) in its log: the moment it has rendered what it held.
        return dict(super().session(), WINEDEBUG="-all,warn+debugstr")

    def test_large_earlier_content_outlives_the_program_killed_after_the_press(self):
        peer, edit = self.start_peer("Hello")
        size = 8 << 20
        self.fill(size)
        self.probe.set_foreground(peer)
        self.probe.post(self.label, FEEDBACK_MESSAGE, HOT_KEY_ID, 0)
        self.wait_text(edit, "HELLO")
        # Nothing reads the clipboard meanwhile: a read would have the content rendered for it.
        wait_until(lambda: "CaseSwitch held-rendered" in program_output(self.program), 10,
                   "the program to render the content it put back")
        self.program.kill()
        self.program.wait()
        self.assertEqual(self.tool.get(CF_TEXT), EARLIER_TEXT + b"\0", "the earlier text was lost")
        seen = self.digest()
        self.assertEqual((seen.get("size"), seen.get("digest")), (size, pattern_digest(size)),
                         "the large format did not outlive the program")
