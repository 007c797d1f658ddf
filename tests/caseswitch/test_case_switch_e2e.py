"""End-to-end tests of the case-switch action under Wine.

Ctrl+CapsLock is pressed from the X side while Wine's Notepad, Wine's WordPad, Wine's console or
the project's peer program (peer/CasePeer.cpp: an edit control whose copy and paste can be delayed
or refused, which can hold the clipboard open, copy like a spreadsheet or a code editor, wear a
console's window class and log what a paste finds) is in the foreground; the document is read back
and the clipboard checked with the project's tool (peer/CaseTool.cpp) from inside Wine.

When an action ends is seen from outside: after a conversion the clipboard lists its earlier formats
again with a new sequence number; where the action must change nothing, a minimise request posted
to the program's window after the press is carried out only once the action has returned, since the
action handles no posted message while it runs.
"""

import os
import re
import subprocess
import tempfile
import unittest

from harness import Probe, ProgramTestCase, start_program, wait_until, WM_CLOSE

WM_SYSCOMMAND = 0x0112
SC_MINIMIZE = 0xF020
SC_RESTORE = 0xF120
EM_SETSEL = 0x00B1
EM_GETMODIFY = 0x00B8
EM_SETMODIFY = 0x00B9
FEEDBACK_MESSAGE = 0x8075
PEER_HOLD_CLIPBOARD = 0x8000 + 1
PEER_RELEASE_CLIPBOARD = 0x8000 + 2
PEER_COPIES = 0x8000 + 3
PEER_PASTES = 0x8000 + 4
PEER_FOCUS_SECOND = 0x8000 + 5
PEER_EDIT_ID = 100
PEER_PASTE_LOG_ID = 101
PEER_SECOND_EDIT_ID = 102
VK_CAPITAL = 0x14
WM_QUERYENDSESSION = 0x0011
WM_ENDSESSION = 0x0016
END_PROGRAM_MESSAGE = 0x83E7
HOT_KEY_NOTE_LABEL_ID = 100
HOT_KEY_ID = 33001

CF_TEXT = 1
CF_DIB = 8
CF_UNICODETEXT = 13
CF_LOCALE = 16
WM_COPY = 0x0301

# The marks that keep content out of clipboard history, cloud sync and clipboard monitors, old and
# new: the program puts them beside its offer and beside the content it gives back.
PRIVACY_MARKS = ("ExcludeClipboardContentFromMonitorProcessing", "CanIncludeInClipboardHistory",
                 "Clipboard Viewer Ignore")

# What the clipboard holds before each press: a text and a format of its own, so that its format
# list differs from that of any copy or offer made during the action.
EARLIER = {CF_TEXT: b"earlier content\0", "CaseSwitch.E2E.Earlier": bytes(range(256))}


WORDPAD = r"C:\Program Files\Windows NT\Accessories\wordpad.exe"


def beside_program(name):
    return os.path.join(os.path.dirname(os.environ["CASESWITCH_EXE"]), name)


class Tool(Probe):
    """peer/CaseTool.cpp, spoken to like the probe."""

    def __init__(self, env):
        super().__init__(probe=beside_program("casetool.exe"), env=env)

    @staticmethod
    def _format(format):
        return "@" + format.encode("ascii").hex() if isinstance(format, str) else str(format)

    def text(self, hwnd):
        return bytes.fromhex(self.require("text", hwnd)["text_hex"]).decode("utf-16-le")

    def set_text(self, hwnd, text):
        self.require("set-text", hwnd, text.encode("utf-16-le").hex() or "-")

    def put(self, formats):
        words = [f"{self._format(format)}={data.hex()}" for format, data in formats.items()]
        return self.require("clip-put", *words)["seq"]

    def get(self, format, owned=False):
        """One format's bytes, read without a window or, `owned`, with a window of the tool's."""
        answer = self.require("clip-get", *(["--owned"] if owned else []), self._format(format))
        return bytes.fromhex(answer["hex"]) if answer["present"] else None

    def format_number(self, name):
        return self.require("clip-get", self._format(name))["format"]

    def put_owned(self, formats):
        """Puts the formats as a program with a window copies: the tool's own window owns them."""
        words = [f"{self._format(format)}={data.hex()}" for format, data in formats.items()]
        return self.require("clip-put", "--owned", *words)["seq"]

    def key_down(self, vk, count):
        self.require("key-down", vk, count)

    def formats(self):
        return self.require("clip-formats")["formats"]

    def seq(self):
        return self.require("clip-seq")["seq"]

    def key_log(self):
        """Keyboard events since the last call, as (vk, up, injected, time)."""
        values = self.require("key-log")["events"]
        return [tuple(values[i : i + 4]) for i in range(0, len(values), 4)]

    def windows(self, pid):
        answer = self.require("windows", pid)
        return {"top_level": answer["top_level"], "message_only": answer["message_only"]}


def anonymous_memory(unix_pid):
    """Resident anonymous memory of a Unix process in bytes: where Wine's heaps live. (Wine reports
    no private bytes and no GDI or USER object counts for a process.)"""
    with open(f"/proc/{unix_pid}/status") as status:
        for line in status:
            if line.startswith("RssAnon:"):
                return int(line.split()[1]) * 1024
    raise AssertionError(f"no RssAnon in /proc/{unix_pid}/status")


class CaseSwitchTestCase(ProgramTestCase):
    def setUp(self):
        super().setUp()
        self.tool = Tool(self.env)
        self.addCleanup(self.tool.close)
        # Under Wine the X server toggles Caps Lock on every press of the hot key: put it back.
        caps_at_start = self.x.caps_lock_on()
        self.addCleanup(lambda: self.x.caps_lock_on() != caps_at_start and self.x.key("Caps_Lock"))
        self.label = next(c["hwnd"] for c in self.probe.children(self.hwnd) if c["id"] == HOT_KEY_NOTE_LABEL_ID)
        self.marks = [self.tool.format_number(name) for name in PRIVACY_MARKS]

    # Programs of the test's own
    def start_window_program(self, exe, window_class, editor_class=None, args=()):
        """Starts a program (Notepad, WordPad, a console); its window and, for an editor, its editor
        control. It is closed at the end, unsaved."""
        process = start_program(exe=exe, args=list(args), env=self.env)
        found = {}
        self.addCleanup(lambda: self.close_program(process, found.get("window"), found.get("editor")))
        found["window"] = self.probe.wait_window(window_class)["hwnd"]
        if editor_class:
            found["editor"] = next(c["hwnd"] for c in self.probe.children(found["window"])
                                   if c["class"] == editor_class)
        return found["window"], found.get("editor")

    def close_program(self, process, window, editor=None):
        """Ends a program of the test's through its window; an editor's document is marked unchanged
        first, so that nothing asks to save it."""
        if process.poll() is None:
            if window:
                if editor:
                    self.probe.call("send", editor, EM_SETMODIFY, 0, 0)
                self.probe.call("post", window, WM_CLOSE, 0, 0)
            try:
                process.wait(timeout=10 if window else 0)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        if getattr(process, "log", None):
            process.log.close()

    # The clipboard before and after
    def put_earlier(self, formats=None):
        self.earlier = dict(formats or EARLIER)
        self.tool.put(self.earlier)
        # Read after the close: closing adds the synthesised formats, which counts as a change.
        self.earlier_seq = self.tool.seq()
        self.earlier_formats = self.tool.formats()

    def wait_restored(self, timeout=5):
        """Once the press no longer needs the clipboard (after the converted text is in, or when nothing
        is to be pasted): looking opens the clipboard, and a program that finds it open when it copies
        or pastes does neither. Until the clipboard lists the earlier formats, marked to stay out of history, under a new
        sequence number (listing reads no data, so it never takes the offered text in a paste's
        place); then every byte must match."""
        # The sequence number is read without opening the clipboard: first the copy must be there.
        wait_until(lambda: self.tool.seq() != self.earlier_seq, timeout, "the clipboard to change")
        marks = self.marks
        try:
            wait_until(
                lambda: self.tool.seq() != self.earlier_seq
                and sorted(self.tool.formats()) == sorted(self.earlier_formats + marks),
                timeout,
                f"the clipboard to list its earlier formats {self.earlier_formats} again, with the marks {marks}",
            )
        except AssertionError as error:
            raise AssertionError(f"{error}; it lists {self.tool.formats()}, its text is {self.tool.get(CF_TEXT)!r}")
        self.assert_clipboard_is_earlier()
        self.assertEqual(self.tool.get(PRIVACY_MARKS[1])[:4], bytes(4), "the content given back may go to history")

    def assert_clipboard_is_earlier(self):
        for format, data in self.earlier.items():
            seen = self.tool.get(format)
            self.assertIsNotNone(seen, f"format {format} is gone from the clipboard")
            self.assertEqual(seen[: len(data)], data, f"format {format} did not come back byte for byte")

    def assert_clipboard_untouched(self):
        self.assertEqual(self.tool.seq(), self.earlier_seq, "the clipboard was written")
        self.assert_clipboard_is_earlier()

    # Pressing and waiting
    def press(self, foreground):
        self.probe.set_foreground(foreground)
        wait_until(lambda: self.probe.foreground() == foreground, 5, "the target window in the foreground")
        self.x.key("ctrl+Caps_Lock")

    def wait_action_over(self):
        """Posts a minimise request behind the press and waits until the program has carried it out."""
        self.probe.post(self.hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0)
        wait_until(lambda: self.probe.info(self.hwnd)["iconic"], 10, "the program's window to minimise")
        self.probe.post(self.hwnd, WM_SYSCOMMAND, SC_RESTORE, 0)
        wait_until(lambda: not self.probe.info(self.hwnd)["iconic"], 10, "the program's window to restore")

    def wait_text(self, edit, expected, timeout=5):
        seen = {}

        def arrived():
            seen["text"] = self.tool.text(edit)
            return seen["text"] == expected

        try:
            wait_until(arrived, timeout, "the converted text")
        except AssertionError:
            raise AssertionError(f"expected the document to read {expected!r}, it reads {seen['text']!r}") from None


class NotepadTest(CaseSwitchTestCase):
    def setUp(self):
        super().setUp()
        self.notepad, self.edit = self.start_window_program("notepad.exe", "Notepad", "Edit")

    def switch(self, text, expected):
        """Puts `text` in Notepad, selects it, presses the hot key; the document must read `expected`
        and the clipboard hold its earlier content."""
        self.tool.set_text(self.edit, text)
        self.probe.send(self.edit, EM_SETSEL, 0, -1)
        self.probe.send(self.edit, EM_SETMODIFY, 0, 0)
        self.put_earlier()
        self.press(self.notepad)
        # Edited is pasted, also where the text does not change ("H" stays "H").
        wait_until(lambda: self.probe.send(self.edit, EM_GETMODIFY), 5, "the paste")
        self.assertEqual(self.tool.text(self.edit), expected, f"switching {text!r}")
        self.wait_restored()

    def test_second_byte_decides_the_direction(self):
        for text, expected in [
            ("Hello", "HELLO"),
            ("HELLO", "hello"),
            ("hELLO", "hello"),
            ("HeLLO", "HELLO"),
            ("h", "H"),
            ("H", "H"),
            ("Hello, World 123", "HELLO, WORLD 123"),
        ]:
            with self.subTest(text=text):
                self.switch(text, expected)

    def test_text_beginning_with_a_double_byte_character(self):
        # 中 is D6 D0: its second byte is no capital, so upper case; 丄 is 81 41 ("A"), so lower
        # case. Neither character changes.
        self.switch("中a文B", "中A文B")
        self.switch("丄Abc乑", "丄abc乑")

    def test_characters_outside_code_page_936_survive(self):
        # The emoji and the Thai letter have no GBK form; its ANSI form reads "x?y?", so upper case.
        self.switch("x\U0001F600yก z", "X\U0001F600Yก Z")


class PeerTest(CaseSwitchTestCase):
    def start_peer(self, text="Hello", *options, window_class="CaseSwitchPeer", exe=None):
        if window_class != "CaseSwitchPeer":
            options = (*options, "--class", window_class)
        process = start_program(
            exe=exe or beside_program("casepeer.exe"),
            args=[*options, "--text", text.encode("utf-16-le").hex()],
            env=self.env,
        )
        found = {}
        self.addCleanup(lambda: self.close_program(process, found.get("peer")))
        known = getattr(self, "peers", [])
        peer = found["peer"] = wait_until(
            lambda: next((w["hwnd"] for w in self.probe.list_windows(window_class) if w["visible"]
                          and w["hwnd"] not in known), None),
            15,
            "the peer's window",
        )
        self.peers = known + [peer]

        def children():
            found = {child["id"]: child["hwnd"] for child in self.probe.children(peer)}
            return found if PEER_EDIT_ID in found else None

        self.peer_children = wait_until(children, 5, "the peer's edit control")
        return peer, self.peer_children[PEER_EDIT_ID]

    def counts(self, peer):
        return self.probe.send(peer, PEER_COPIES), self.probe.send(peer, PEER_PASTES)

    def press_until_keystroke(self, peer, which):
        """Presses the hot key in the peer and waits until its copy or paste keystroke has arrived."""
        index = ("copy", "paste").index(which)
        self.press(peer)
        wait_until(lambda: self.counts(peer)[index] == 1, 5, f"the {which} keystroke to reach the peer")

    def test_slow_copies_and_a_clipboard_held_at_restore_time_still_convert(self):
        # A copy after 1.5 s; a clipboard that another program holds for 2 s right after the paste.
        for options in (["--copy-delay", "300", "--paste-delay", "300"], ["--copy-delay", "1500"],
                        ["--hold-after-paste", "2000"]):
            with self.subTest(options=options):
                peer, edit = self.start_peer("Hello", *options)
                self.put_earlier()
                self.press(peer)
                self.wait_text(edit, "HELLO")
                self.wait_restored(timeout=10)
                self.assertEqual(self.counts(peer), (1, 1), "expected one copy and one paste keystroke")

    def test_a_held_hot_key_converts_once(self):
        # The keyboard repeats a held key; Wine posts a hot-key message for each repeat, even for a
        # hot key registered without repeats. A second conversion would turn HELLO back into hello.
        peer, edit = self.start_peer("Hello")
        self.put_earlier()
        self.probe.set_foreground(peer)
        wait_until(lambda: self.probe.foreground() == peer, 5, "the peer in the foreground")
        self.x.run("keydown", "ctrl", "Caps_Lock")
        try:
            self.tool.key_down(VK_CAPITAL, 5)
        finally:
            self.x.run("keyup", "Caps_Lock", "ctrl")
        self.wait_text(edit, "HELLO")
        self.wait_restored()
        self.wait_action_over()
        self.assertEqual(self.counts(peer), (1, 1), "expected one copy and one paste keystroke")
        self.assertEqual(self.tool.text(edit), "HELLO")

    def test_a_slow_paste_gets_the_text_and_the_clipboard_comes_back_after_it(self):
        for delay in (3000, 10000):
            with self.subTest(paste_delay=delay):
                peer, edit = self.start_peer("Hello", "--paste-delay", str(delay))
                self.put_earlier()
                self.press_until_keystroke(peer, "paste")
                # The program's window carries out posted requests while the paste is awaited.
                self.wait_action_over()
                self.assertEqual(self.tool.text(edit), "Hello", "the paste came before the window answered")
                self.wait_text(edit, "HELLO", timeout=delay / 1000 + 5)
                self.wait_restored()

    def test_another_programs_write_during_the_copy_wait_is_neither_copy_nor_lost(self):
        peer, edit = self.start_peer("Hello", "--copy-delay", "1000")
        self.put_earlier()
        self.press_until_keystroke(peer, "copy")
        # A password manager or clipboard synchroniser writes while the copy is on its way: what it
        # wrote is what the user has now, so it is what comes back. A format of its own, as with
        # EARLIER: text alone would list exactly as the offer does, and the offer would pass for it.
        self.earlier = {CF_TEXT: b"third program\0", "CaseSwitch.E2E.Third": b"third"}
        self.earlier_seq = self.tool.put_owned(self.earlier)
        self.earlier_formats = self.tool.formats()
        self.wait_text(edit, "HELLO")
        self.wait_restored()

    def test_a_reader_in_another_process_does_not_count_as_the_paste(self):
        peer, edit = self.start_peer("Hello", "--paste-delay", "1000")
        self.put_earlier()
        self.press_until_keystroke(peer, "paste")
        # A clipboard viewer reads what is offered before the target pastes.
        self.assertEqual(self.tool.get(CF_TEXT, owned=True), b"HELLO\0", "the reader was not given the offered text")
        self.wait_text(edit, "HELLO")
        self.wait_restored()

    def test_focus_moved_to_another_field_of_the_target_gets_no_paste(self):
        peer, edit = self.start_peer("Hello", "--copy-delay", "500")
        self.put_earlier()
        self.press_until_keystroke(peer, "copy")
        self.probe.send(peer, PEER_FOCUS_SECOND)
        self.wait_restored()
        self.wait_action_over()
        self.assertEqual(self.counts(peer)[1], 0, "a paste keystroke was sent")
        self.assertEqual(self.tool.text(edit), "Hello")
        self.assertEqual(self.tool.text(self.peer_children[PEER_SECOND_EDIT_ID]), "Second")

    def test_ending_during_an_awaited_paste_gives_the_clipboard_back_first(self):
        for ending in ("close", "end-program", "end-session"):
            with self.subTest(ending=ending):
                if self.program.poll() is not None:
                    self.program.log.close()
                    self.program = start_program(env=self.env)
                    self.hwnd = self.probe.wait_window(self.main_class)["hwnd"]
                peer, edit = self.start_peer("Hello", "--paste-delay", "30000")
                self.put_earlier()
                self.press_until_keystroke(peer, "paste")
                if ending == "close":
                    self.probe.post(self.hwnd, WM_CLOSE)
                elif ending == "end-program":
                    self.probe.post(self.probe.find_window("FormHiddenOwner"), END_PROGRAM_MESSAGE)
                else:
                    exchange_window = self.probe.find_window("CaseSwitchClipboardExchange")
                    self.probe.send(exchange_window, WM_QUERYENDSESSION, 0, 0)
                    self.probe.send(exchange_window, WM_ENDSESSION, 1, 0)
                if ending != "end-session":
                    self.assertEqual(self.wait_exit(), 0)
                self.wait_restored()

    def test_refused_copy_changes_nothing(self):
        peer, edit = self.start_peer("Hello", "--refuse-copy")
        self.put_earlier()
        self.press_until_keystroke(peer, "copy")
        self.wait_action_over()
        self.assertEqual(self.tool.text(edit), "Hello", "the document changed")
        self.assertEqual(self.counts(peer)[1], 0, "a paste keystroke was sent although nothing was copied")
        self.assert_clipboard_untouched()

    def test_empty_selection_changes_nothing(self):
        peer, edit = self.start_peer("Hello")
        self.probe.send(edit, EM_SETSEL, 2, 2)
        self.put_earlier()
        self.press_until_keystroke(peer, "copy")
        self.wait_action_over()
        self.assertEqual(self.tool.text(edit), "Hello", "the document changed")
        self.assertEqual(self.counts(peer)[1], 0, "a paste keystroke was sent for an empty selection")
        self.assert_clipboard_untouched()

    def test_dib_rich_text_and_custom_format_come_back(self):
        dib_header = (40).to_bytes(4, "little") + (2).to_bytes(4, "little") + (2).to_bytes(4, "little")
        dib_header += (1).to_bytes(2, "little") + (24).to_bytes(2, "little") + bytes(4) + (16).to_bytes(4, "little")
        dib_header += bytes(16)
        dib = dib_header + bytes([0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0, 0, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC, 0, 0])
        peer, edit = self.start_peer("Hello")
        self.put_earlier(
            {
                CF_UNICODETEXT: "earlier \U0001F600 text\0".encode("utf-16-le"),
                "Rich Text Format": b"{\\rtf1\\ansi {\\b earlier} rich text}\0",
                CF_DIB: dib,
                "CaseSwitch.E2E.Custom": bytes(range(255, -1, -1)),
            }
        )
        self.press(peer)
        self.wait_text(edit, "HELLO")
        self.wait_restored()

    def test_busy_clipboard_changes_nothing(self):
        peer, edit = self.start_peer("Hello")
        self.put_earlier()
        self.assertEqual(self.probe.send(peer, PEER_HOLD_CLIPBOARD), 1, "the peer could not open the clipboard")
        self.addCleanup(self.probe.call, "send", peer, PEER_RELEASE_CLIPBOARD, 0, 0)
        self.probe.set_foreground(peer)
        # What the hot-key service sends the label for a press, posted here so that the action has
        # surely run before the minimise request posted behind it (a key press from the X side
        # reaches the program when it does).
        self.probe.post(self.label, FEEDBACK_MESSAGE, HOT_KEY_ID, 0)
        self.wait_action_over()
        self.assertEqual(self.counts(peer), (0, 0), "keystrokes were sent although the clipboard was busy")
        self.assertEqual(self.tool.text(edit), "Hello", "the document changed")
        self.probe.send(peer, PEER_RELEASE_CLIPBOARD)
        self.assert_clipboard_untouched()

    def test_paste_goes_only_where_the_copy_came_from(self):
        peer, edit = self.start_peer("Hello", "--copy-delay", "300")
        other, other_edit = self.start_peer("Other")
        self.put_earlier()
        self.press_until_keystroke(peer, "copy")
        # The copy is still 300 ms away: another window comes to the front meanwhile.
        self.probe.set_foreground(other)
        self.wait_restored()
        self.wait_action_over()
        self.assertEqual(self.counts(peer)[1] + self.counts(other)[1], 0, "a paste keystroke was sent")
        self.assertEqual(self.tool.text(edit), "Hello")
        self.assertEqual(self.tool.text(other_edit), "Other")

    def test_feedback_event_for_another_id_touches_nothing(self):
        peer, edit = self.start_peer("Hello")
        self.put_earlier()
        self.probe.set_foreground(peer)
        for wrong_id in (0, 33002, 1):
            self.probe.post(self.label, FEEDBACK_MESSAGE, wrong_id, 0)
        self.wait_action_over()
        self.assertEqual(self.counts(peer), (0, 0), "keystrokes were sent for another id")
        self.assert_clipboard_untouched()
        # The real hot key still works afterwards.
        self.press(peer)
        self.wait_text(edit, "HELLO")
        self.wait_restored()

    def test_second_copy_shows_the_taken_hot_key_notice_and_the_first_keeps_working(self):
        second = start_program(env=self.env)
        self.addCleanup(second.log.close)
        box = self.probe.wait_messagebox("信息：", timeout_ms=10000)
        self.assertIn("Ctrl+CapsLock", self.probe.messagebox_text(box["hwnd"]).decode("gbk"))
        self.probe.dismiss(box["hwnd"])
        second_window = wait_until(
            lambda: next((w["hwnd"] for w in self.probe.list_windows("FormWindow") if w["hwnd"] != self.hwnd
                          and w["visible"]), None),
            10,
            "the second copy's window",
        )
        self.probe.post(second_window, WM_CLOSE, 0, 0)
        second.wait(timeout=10)

        peer, edit = self.start_peer("Hello")
        self.put_earlier()
        self.press(peer)
        self.wait_text(edit, "HELLO")
        self.wait_restored()


    def assert_left_alone(self, peer, edit, text):
        """After a press whose copy must not be converted: no paste, the document as it was, and the
        clipboard given back its earlier content."""
        wait_until(lambda: self.counts(peer)[0] == 1, 5, "the copy keystroke to reach the peer")
        self.wait_restored()
        self.wait_action_over()
        self.assertEqual(self.counts(peer)[1], 0, "a paste keystroke was sent")
        self.assertEqual(self.tool.text(edit), text, "the document changed")

    def test_spreadsheet_cells_are_left_alone(self):
        # A cell showing 2 whose formula is =A1*2: pasting its text back would lose the formula.
        peer, edit = self.start_peer("2", "--copy-as", "spreadsheet")
        self.put_earlier()
        self.press(peer)
        self.assert_left_alone(peer, edit, "2")

    def test_code_editor_line_copies_are_left_alone(self):
        # Nothing selected: the editor copies the whole line, marked as such; pasting it would add
        # a converted duplicate line at the caret.
        for profile in ("editor", "vscode"):
            with self.subTest(profile=profile):
                peer, edit = self.start_peer("Hello", "--copy-as", profile)
                self.probe.send(edit, EM_SETSEL, 2, 2)
                self.put_earlier()
                self.press(peer)
                self.assert_left_alone(peer, edit, "Hello")
        # The same editor's copy of a selection converts: the editor data decides, not its presence.
        peer, edit = self.start_peer("Hello", "--copy-as", "vscode")
        self.put_earlier()
        self.press(peer)
        self.wait_text(edit, "HELLO")
        self.wait_restored()

    def act_and_see_no_keystrokes(self, window):
        """Runs the action with `window` in front (the hot-key service's feedback message, posted so
        that the action has surely run before the minimise request behind it): nothing may be
        injected."""
        self.probe.set_foreground(window)
        wait_until(lambda: self.probe.foreground() == window, 5, "the window in the foreground")
        self.tool.key_log()
        self.probe.post(self.label, FEEDBACK_MESSAGE, HOT_KEY_ID, 0)
        self.wait_action_over()
        # Only the tap that puts back the Caps Lock toggle of the press (test_caps_lock_e2e.py).
        injected = [event for event in self.tool.key_log() if event[2] and event[0] != VK_CAPITAL]
        self.assertEqual(injected, [], "keystrokes were injected")

    def test_console_windows_get_no_keystrokes(self):
        for window_class in ("ConsoleWindowClass", "CASCADIA_HOSTING_WINDOW_CLASS"):
            with self.subTest(window_class=window_class):
                peer, edit = self.start_peer("Hello", window_class=window_class)
                self.put_earlier()
                self.act_and_see_no_keystrokes(peer)
                self.assertEqual(self.counts(peer), (0, 0), "keystrokes reached a console window")
                self.assert_clipboard_untouched()

        # Wine's own console, running cmd.
        console, _ = self.start_window_program("wineconsole", "WineConsoleClass", args=["cmd"])
        self.put_earlier()
        self.act_and_see_no_keystrokes(console)
        self.assert_clipboard_untouched()

    def test_the_offer_carries_unicode_text_and_its_locale(self):
        # 中 and 文 are GBK D6 D0 and CE C4: the Unicode text is code page 936's reading of the
        # converted bytes, named so by CF_LOCALE 0x0804, whatever the input language.
        peer, edit = self.start_peer("中a文B", "--log-paste")
        self.put_earlier()
        self.press(peer)
        self.wait_text(edit, "中A文B")
        self.wait_restored()
        fields = dict(field.split("=", 1) for field in self.tool.text(self.peer_children[PEER_PASTE_LOG_ID]).split(";"))
        formats = [int(number) for number in fields["formats"].split(",") if number]
        self.assertIn(CF_UNICODETEXT, formats)
        self.assertIn(CF_TEXT, formats)
        self.assertIn(CF_LOCALE, formats)
        self.assertEqual(bytes.fromhex(fields["locale"])[:4], (0x0804).to_bytes(4, "little"), "CF_LOCALE")
        self.assertEqual(bytes.fromhex(fields["unicode"]), "中A文B\0".encode("utf-16-le"), "CF_UNICODETEXT")
        self.assertEqual(bytes.fromhex(fields["text"]).split(b"\0")[0], "中A文B".encode("gbk"), "CF_TEXT")


def rtf_runs(rtf):
    """The text of an RTF document as runs of equal formatting, read the way a reader shows it:
    [(text, (bold, italic, colour as (r, g, b) or None, font name))]. Enough of RTF for what
    WordPad writes: groups, the font and colour tables, skipped destinations, \\b \\i \\cf \\f
    \\plain, \\'hh bytes (code page 936), \\uN with its fallback, \\par and \\tab."""
    token = re.compile(rb"\\([a-zA-Z]+)(-?\d+)? ?|\\'([0-9a-fA-F]{2})|\\(.)|([{}])|([^\\{}\r\n]+)|[\r\n]+", re.S)
    fonts, colours = {}, []
    state = {"b": False, "i": False, "cf": 0, "f": 0, "dest": None}
    stack, runs = [], []
    colour = None  # the colour table's entry being read; none for the automatic colour
    skip = 0

    def add(text):
        formatting = (state["b"], state["i"], colours[state["cf"]] if state["cf"] < len(colours) else None,
                      fonts.get(state["f"], b"").split(b";")[0].decode("gbk"))
        if runs and runs[-1][1] == formatting:
            runs[-1][0].append(text)
        else:
            runs.append(([text], formatting))

    for match in token.finditer(rtf.split(b"\0")[0]):
        word, parameter, hex_byte, symbol, brace, literal = match.groups()
        if brace == b"{":
            stack.append(dict(state))
        elif brace == b"}":
            state = stack.pop() if stack else state
        elif state["dest"] == "fonttbl":
            if word == b"f":
                state["font"] = int(parameter)
            elif literal or hex_byte:
                fonts[state["font"]] = fonts.get(state["font"], b"") + (literal or bytes.fromhex(hex_byte.decode()))
        elif state["dest"] == "colortbl":
            if word in (b"red", b"green", b"blue"):
                colour = colour or [0, 0, 0]
                colour[(b"red", b"green", b"blue").index(word)] = int(parameter)
            elif literal and b";" in literal:
                colours.append(tuple(colour) if colour else None)
                colour = None
        elif state["dest"] == "skip":
            continue
        elif word in (b"fonttbl", b"colortbl"):
            state["dest"] = word.decode()
        elif word in (b"generator", b"info", b"stylesheet", b"pict") or symbol == b"*":
            state["dest"] = "skip"
        elif word in (b"b", b"i"):
            state[word.decode()] = parameter != b"0"
        elif word in (b"cf", b"f"):
            state[word.decode()] = int(parameter or 0)
        elif word == b"plain":
            state.update(b=False, i=False, cf=0)
        elif word in (b"par", b"tab"):
            add(b"\n" if word == b"par" else b"\t")
        elif word == b"u":
            add(chr(int(parameter) % 65536).encode("gbk", "replace"))
            skip = 1
        elif hex_byte or literal or symbol in (b"\\", b"{", b"}"):
            data = bytes.fromhex(hex_byte.decode()) if hex_byte else (literal or symbol)
            if skip:
                data, skip = data[1:], 0
            if data:
                add(data)
    return [(b"".join(pieces).decode("gbk"), formatting) for pieces, formatting in runs]


class WordPadTest(CaseSwitchTestCase):
    """Wine's WordPad, a rich-text editor nobody here wrote: its paste takes the offered RTF."""

    # Bold, italic, two colours, both at once, and Chinese in a Chinese font.
    DOCUMENT = (rb"{\rtf1\ansi\ansicpg936\deff0{\fonttbl{\f0\fswiss\fcharset0 Arial;}"
                rb"{\f1\fnil\fcharset134 \'cb\'ce\'cc\'e5;}}{\colortbl ;\red255\green0\blue0;\red0\green0\blue255;}"
                rb"\pard\f0\fs24 Plain \b Bold\b0  \i Italic\i0  \cf1 Red\cf0  \cf2\b\i BlueBoth\b0\i0\cf0  "
                rb"\f1\'d6\'d0\'ce\'c4\f0  End\par}")

    def setUp(self):
        super().setUp()
        folder = tempfile.mkdtemp()
        self.addCleanup(lambda: os.path.exists(path) and os.remove(path) or os.rmdir(folder))
        path = os.path.join(folder, "formatted.rtf")
        with open(path, "wb") as document:
            document.write(self.DOCUMENT)
        self.wordpad, self.editor = self.start_window_program(WORDPAD, "WORDPADTOP", "RichEdit20W",
                                                      ["Z:" + path.replace("/", "\\")])
        wait_until(lambda: self.tool.text(self.editor).strip(), 10, "the document in WordPad")

    def copy_rtf(self, length):
        """The first `length` characters as WordPad copies them: its RTF."""
        self.probe.send(self.editor, EM_SETSEL, 0, length)
        self.probe.send(self.editor, WM_COPY, 0, 0)
        return self.tool.get("Rich Text Format")

    def test_the_text_changes_case_and_every_run_keeps_its_formatting(self):
        text = self.tool.text(self.editor).rstrip("\r\n")
        before = rtf_runs(self.copy_rtf(len(text)))
        formats = {formatting for _, formatting in before}
        self.assertGreaterEqual(len(formats), 6, f"the document's runs were not all read: {before}")

        self.probe.send(self.editor, EM_SETSEL, 0, len(text))
        self.put_earlier()
        self.press(self.wordpad)
        wait_until(lambda: self.tool.text(self.editor).rstrip("\r\n") == text.upper(), 5, "the converted text")
        self.wait_restored()
        after = rtf_runs(self.copy_rtf(len(text)))
        self.assertEqual(after, [(run.upper(), formatting) for run, formatting in before])


class SoakTest(CaseSwitchTestCase):
    PRESSES = 200

    def test_every_press_converts_and_restores_without_growing(self):
        notepad, edit = self.start_window_program("notepad.exe", "Notepad", "Edit")
        pid = self.main["pid"]
        self.tool.set_text(edit, "Hello soak")
        expected = "HELLO SOAK"
        self.probe.set_foreground(notepad)
        wait_until(lambda: self.probe.foreground() == notepad, 5, "Notepad in the foreground")
        failures = []
        for press in range(self.PRESSES):
            if press == 20:
                # After a warm-up: the runtime's caches, Wine's message and clipboard tables.
                windows_before = self.tool.windows(pid)
                memory_before = anonymous_memory(self.program.pid)
            self.probe.send(edit, EM_SETSEL, 0, -1)
            # Placed afresh each time, so that every save meets formats the system synthesised.
            self.put_earlier()
            self.tool.key_log()
            self.x.key("ctrl+Caps_Lock")
            try:
                self.wait_text(edit, expected)
                self.wait_restored()
            except AssertionError as error:
                failures.append(f"press {press}: {error}; keys {self.tool.key_log()}")
                if len(failures) > 3:
                    break
            expected = "hello soak" if expected == "HELLO SOAK" else "HELLO SOAK"
        self.assertEqual(failures, [], f"{len(failures)} of the presses failed")

        windows_after = self.tool.windows(pid)
        self.assertEqual(windows_after, windows_before, "the program's windows changed in number")
        growth = anonymous_memory(self.program.pid) - memory_before
        print(f"\nsoak: windows {windows_after}, anonymous memory grew by {growth} bytes over "
              f"{self.PRESSES - 20} presses")
        self.assertLess(growth, 128 * 1024, f"anonymous memory grew by {growth} bytes over {self.PRESSES - 20} presses")


if __name__ == "__main__":
    unittest.main()
