"""The main window as a user meets it: where it opens, what it holds, the keyboard, and how it closes."""

import os
import subprocess
import unittest

import harness

CAPTION = "切换大小写-Toolbox"
WIDTH, HEIGHT = 380, 185
MAIN_STYLE = 0x16CA0000  # as created, 0x02CA0000, plus WS_VISIBLE and the WS_CLIPSIBLINGS the system adds
MAIN_EXSTYLE = 0x100  # WS_EX_WINDOWEDGE, added by the system

HOT_KEY_LABEL, BUTTON, CHECK_BOX, AUTHOR_LABEL = 100, 110, 120, 130
HOT_KEY_TEXT = "快捷键：Ctrl+CapsLock \r\n\r\n无需设置，打开本软件后即可使用快捷键切换选中文本的大小写"

# Topmost first: id, class, style once shown, left and top in the client area, width, height, text.
CHILDREN = [
    (AUTHOR_LABEL, "FormLabel", 0x54000000, (24, 120, 112, 24), "作者：CapsKit"),
    (CHECK_BOX, "BUTTON", 0x54012D03, (247, 64, 104, 24), "开机自动启动"),
    (BUTTON, "BUTTON", 0x54012F00, (247, 32, 104, 24), "最小化至系统托盘"),
    (HOT_KEY_LABEL, "FormLabel", 0x54000000, (24, 32, 192, 64), HOT_KEY_TEXT),
]

# Client point that no control covers: a click there only activates the window.
EMPTY_CLIENT_POINT = (300, 130)

HTCLOSE = 20
WM_NCHITTEST = 0x0084
WM_GETOBJECT = 0x003D
OBJID_QUERYCLASSNAMEIDX = 0xFFFFFFF4
STATIC_CLASS_INDEX = 65536 + 3  # the standard static control's answer to the class query
COLOR_BTNFACE, COLOR_BTNTEXT = 15, 18


def client_box(child, main):
    """A child's left, top, width and height in its parent's client coordinates."""
    left, top, right, bottom = child["rect"]
    origin_x, origin_y = main["client_origin"]
    return (left - origin_x, top - origin_y, right - left, bottom - top)


def scaled(value, dpi=144):
    """A 96-DPI length at dpi, rounded as MulDiv rounds."""
    return (value * dpi + 48) // 96


def is_dark(rgb):
    return sum(rgb) < 3 * 128


def label_box_in(image_origin, box):
    """A client box (left, top, width, height) as a rectangle of the window's screenshot."""
    left, top, width, height = box
    return (image_origin[0] + left, image_origin[1] + top, image_origin[0] + left + width, image_origin[1] + top + height)


class MainWindowLayoutTest(harness.ProgramTestCase):
    def test_opens_centred_on_the_primary_screen_at_exactly_380_by_185(self):
        screen = self.probe.screen()
        left = (screen["cx"] - WIDTH) // 2
        top = (screen["cy"] - HEIGHT) // 2
        self.assertEqual(
            self.main["rect"],
            [left, top, left + WIDTH, top + HEIGHT],
            f"expected the outer rectangle centred on the {screen['cx']}x{screen['cy']} screen",
        )

    def test_is_a_visible_fixed_frame_top_level_window_with_its_caption(self):
        info = self.main
        self.assertEqual(info["class"], "FormWindow")
        self.assertEqual(
            hex(info["style"]), hex(MAIN_STYLE), "style: caption, system menu, minimise box, no sizing frame"
        )
        self.assertEqual(hex(info["exstyle"]), hex(MAIN_EXSTYLE))
        self.assertTrue(info["visible"] and info["enabled"], f"expected visible and enabled: {info}")
        self.assertEqual((info["parent"], info["owner"]), (0, 0), "a taskbar window has neither parent nor owner")
        self.assertEqual(
            harness.text_bytes(info), CAPTION.encode("gbk"), f"caption as UTF-8 reads {info['text']!r}"
        )

    def test_holds_its_four_controls_in_stacking_order_with_their_texts(self):
        children = self.probe.children(self.hwnd)
        # Class names compare without case; Wine answers "Button".
        seen = [(child["id"], child["class"].upper()) for child in children]
        self.assertEqual(seen, [(c[0], c[1].upper()) for c in CHILDREN], "children, topmost first")
        for child, (control_id, _, style, box, text) in zip(children, CHILDREN):
            with self.subTest(control=control_id):
                self.assertEqual(hex(child["style"]), hex(style))
                self.assertEqual(client_box(child, self.main), box, "left, top, width, height")
                self.assertEqual(harness.text_bytes(child), text.encode("gbk"), f"text reads {child['text']!r}")
                self.assertEqual(child["parent"], self.hwnd)
        self.assertEqual(len(HOT_KEY_TEXT.encode("gbk")), 82)

    def test_screenshot_shows_the_labels_drawn(self):
        labels = [c for c in CHILDREN if c[1] == "FormLabel"]
        self.probe.wait_idle(self.hwnd)
        path = os.path.join(harness.screenshot_dir(), "main-window.png")
        image = harness.screenshot(path, self.main["rect"], self.env)
        self.assertEqual((image.width, image.height), (WIDTH, HEIGHT))
        origin = [o - r for o, r in zip(self.main["client_origin"], self.main["rect"][:2])]
        for control_id, _, _, box, _ in labels:
            with self.subTest(control=control_id):
                box = label_box_in(origin, box)
                dark = image.count(box, is_dark)
                # One line of 12 px text darkens well over 40 pixels; a label that draws nothing, none.
                self.assertGreater(dark, 40, f"dark (text) pixels in control {control_id} at {box} of {path}")

    def test_screen_readers_meet_the_labels_as_static_text_named_by_their_text(self):
        children = {child["id"]: child for child in self.probe.children(self.hwnd)}
        for control_id, _, _, _, text in [c for c in CHILDREN if c[1] == "FormLabel"]:
            with self.subTest(control=control_id):
                label = children[control_id]["hwnd"]
                # Windows' oleacc serves its static-text object (role 41) for a window that answers
                # as the static control does; Wine's oleacc gives every window the client role.
                answer = self.probe.send(label, WM_GETOBJECT, 0, OBJID_QUERYCLASSNAMEIDX)
                self.assertEqual(answer, STATIC_CLASS_INDEX, f"class query answered {answer}")
                try:
                    accessible = self.probe.accessible(label)
                except harness.ProbeError:
                    # 64-bit Wine 8's oleacc makes no object for any window in a fresh prefix.
                    if harness.prefix_arch(harness.session_environment()) != "win64":
                        raise
                    continue
                self.assertEqual(harness.text_bytes(accessible, "name"), text.encode("gbk"))


class MainWindowColourTest(harness.ProgramTestCase):
    def setUp(self):
        # High Contrast Black's face and text colours, set for the session before the program starts
        # (a Wine process reads them once) and put back afterwards.
        probe = harness.Probe(env=harness.session_environment())
        self.addCleanup(probe.close)
        for index, value in [(COLOR_BTNFACE, 0x000000), (COLOR_BTNTEXT, 0xFFFFFF)]:
            before = probe.sys_colour(index, value)
            self.addCleanup(probe.sys_colour, index, before)
        super().setUp()

    def test_in_high_contrast_the_note_is_drawn_in_the_scheme_text_colour(self):
        self.probe.wait_idle(self.hwnd)
        path = os.path.join(harness.screenshot_dir(), "main-window-high-contrast.png")
        image = harness.screenshot(path, self.main["rect"], self.env)
        origin = [o - r for o, r in zip(self.main["client_origin"], self.main["rect"][:2])]
        box = label_box_in(origin, CHILDREN[-1][3])
        face = image.pixel(box[0] + 1, box[1] + 1)
        text = image.count(box, lambda rgb: rgb != face)
        self.assertEqual(face, (0, 0, 0), f"the note's background at {box} of {path}")
        self.assertGreater(text, 40, f"pixels of the note at {box} of {path} that are not the face colour")


class MainWindowKeyboardTest(harness.ProgramTestCase):
    def setUp(self):
        super().setUp()
        self.wait_focus_id(BUTTON, "the focus on the hide-to-tray button at first showing")
        self.bring_to_front(EMPTY_CLIENT_POINT)

    def test_first_showing_puts_the_focus_on_the_button(self):
        focus = self.probe.focus(self.hwnd)
        self.assertEqual(focus["active"], self.hwnd, f"the main window is the active window: {focus}")

    def test_tab_and_shift_tab_move_the_focus_between_button_and_check_box(self):
        for keys, expected in [
            ("Tab", CHECK_BOX),
            ("Tab", BUTTON),
            ("shift+Tab", CHECK_BOX),
            ("shift+Tab", BUTTON),
        ]:
            self.x.key(keys)
            self.wait_focus_id(expected, f"{keys} moving the focus to control {expected}")

    def test_enter_on_the_focused_button_hides_the_window_to_the_tray(self):
        self.x.key("Return")
        self.probe.wait_hidden(self.hwnd)

    def test_escape_closes_the_window_and_ends_with_exit_code_0(self):
        self.x.key("Escape")
        self.assertEqual(self.wait_exit(), 0)

    def test_escape_on_the_check_box_closes_too(self):
        self.x.key("Tab")
        self.wait_focus_id(CHECK_BOX, "Tab moving the focus to the check box")
        self.x.key("Escape")
        self.assertEqual(self.wait_exit(), 0)

    def test_alt_f4_closes(self):
        self.x.key("alt+F4")
        self.assertEqual(self.wait_exit(), 0)


class MainWindowCloseTest(harness.ProgramTestCase):
    def test_close_message_ends_with_exit_code_0(self):
        self.probe.post(self.hwnd, harness.WM_CLOSE)
        self.assertEqual(self.wait_exit(), 0)

    def test_clicking_the_close_button_ends_with_exit_code_0(self):
        screen = self.probe.screen()
        left, top, right, _ = self.main["rect"]
        x = right - screen["frame_x"] - screen["caption_button_cx"] // 2 - 1
        y = top + screen["frame_y"] + screen["caption_button_cy"] // 2
        hit = self.probe.send(self.hwnd, WM_NCHITTEST, 0, (y << 16) | x)
        self.assertEqual(hit, HTCLOSE, f"hit test at ({x}, {y}) of the caption")
        self.x.click(x, y)
        self.assertEqual(self.wait_exit(), 0)


class MainWindowAt144DpiTest(harness.ProgramTestCase):
    """The program in a Wine prefix of its own whose screen is set to 144 DPI (150 %)."""

    @classmethod
    def setUpClass(cls):
        cls.base_env = harness.session_environment()
        session_file = harness.required_path("CASESWITCH_SESSION_ENV")
        directory = os.path.join(os.path.dirname(session_file), "dpi144")
        tool = os.path.join(os.path.dirname(__file__), "..", "..", "tools", "wine-session.sh")
        arch = harness.prefix_arch(cls.base_env)
        # A copy of the session's prefix, kept in the build tree; on the session's display.
        if not os.path.isdir(os.path.join(directory, "wineprefix")):
            os.makedirs(directory, exist_ok=True)
            subprocess.run(["cp", "-a", cls.base_env["WINEPREFIX"], os.path.join(directory, "wineprefix")], check=True)
        start = [tool, "start", "--dir", directory, "--arch", arch, "--probe", harness.required_path("CASESWITCH_PROBE")]
        # Its output goes nowhere: the wineserver it leaves running would hold a pipe open.
        subprocess.run(start, env=cls.base_env, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        stop = [tool, "stop", "--dir", directory]
        cls.addClassCleanup(subprocess.run, stop, env=cls.base_env, stdout=subprocess.DEVNULL, timeout=120)
        cls.dpi_env = harness.session_environment(os.path.join(directory, "wine-session.env"))
        add = ["wine", "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD", "/d", "144", "/f"]
        subprocess.run(add, env=cls.dpi_env, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)

    def session(self):
        return self.dpi_env

    def client_size_at_96_dpi(self):
        program = harness.start_program(env=self.base_env)
        probe = harness.Probe(env=self.base_env)
        try:
            window = probe.wait_window(self.main_class)
            probe.post(window["hwnd"], harness.WM_CLOSE)
            self.assertEqual(program.wait(timeout=10), 0)
            return window["client"][2:]
        finally:
            probe.close()
            program.log.close()

    def test_the_client_area_and_every_control_are_one_and_a_half_times_as_large(self):
        client = self.client_size_at_96_dpi()
        self.assertEqual(self.main["client"][2:], [scaled(c) for c in client], f"client area; 96 DPI: {client}")
        for child, (control_id, _, _, box, _) in zip(self.probe.children(self.hwnd), CHILDREN):
            with self.subTest(control=control_id):
                self.assertEqual(client_box(child, self.main), tuple(scaled(v) for v in box))
        self.probe.wait_idle(self.hwnd)
        harness.screenshot(os.path.join(harness.screenshot_dir(), "main-window-144dpi.png"), self.main["rect"], self.env)

    def test_no_label_text_is_cut(self):
        labels = {child["id"]: child for child in self.probe.children(self.hwnd) if child["class"] == "FormLabel"}
        # The author line stays on one line; the note wraps within the label's width.
        for control_id, wraps in [(AUTHOR_LABEL, False), (HOT_KEY_LABEL, True)]:
            with self.subTest(control=control_id):
                label = labels[control_id]
                _, _, width, height = client_box(label, self.main)
                text_width, text_height = self.probe.text_extent(label["hwnd"], width if wraps else 0)
                self.assertLessEqual(text_height, height, f"text {text_width}x{text_height} in a {width}x{height} label")
                self.assertLessEqual(text_width, width, f"text {text_width}x{text_height} in a {width}x{height} label")


if __name__ == "__main__":
    unittest.main()
