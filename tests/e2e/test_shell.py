"""The shell every tree shares, end to end: placement, stored settings, the popup menu driven
by real right clicks and keys, dragging, the close paths, extra trees and the web links."""
import os
import shutil

import harness
from harness import PROFILES, RUN_KEY, WM_CLOSE, WM_QUERYENDSESSION, wait_until

MENU_CLASS = "#32768"

# Keys that reach an item of the popup menu from a fresh right click. Down selects the
# next item that is not a separator; Right opens a submenu on its first item.
ABOUT = ["Down"]
HEADING = ["Down", "Down", "Right"]              # the disabled heading of Download
DIALCRAFT = HEADING + ["Down"]                   # the separator below it is skipped
CLOCK_INFO = DIALCRAFT + ["Down"]
TRANSPARENT = ["Down", "Down", "Down", "Right"]  # opens the submenu on "0%"
ON_TOP = ["Down"] * 4
START_UP = ["Down"] * 5
ADD_TREE = ["Down"] * 6
EXIT = ["Down"] * 7


def level_keys(level):
    return TRANSPARENT + ["Down"] * level


def windows_path(unix_path):
    """The path a program started from unix_path sees for itself under Wine."""
    return "Z:" + os.path.abspath(unix_path).replace("/", "\\")


def link_base():
    base = os.environ.get("TREE_LINK_BASE")
    if base:
        return base
    cache = os.path.join(os.path.dirname(harness.bin_dir()), "CMakeCache.txt")
    with open(cache) as f:
        for line in f:
            if line.startswith("TREE_LINK_BASE:"):
                return line.split("=", 1)[1].strip()
    raise RuntimeError("TREE_LINK_BASE not found in " + cache)


def alpha_of(window):
    """The window's constant layer alpha, or None when it is not alpha-blended."""
    if not window["exstyle"] & harness.WS_EX_LAYERED or not window["layered"]["ok"]:
        return None
    return window["layered"]["alpha"]


class ShellCase(harness.TreeTestCase):
    def metrics(self):
        m = self.probe.metrics()
        l, t, r, b = m["workarea"]
        return r - l, b - t, m["screen"][0], m["screen"][1]

    def store(self, name, **values):
        key = PROFILES[name].settings_key
        for value, number in values.items():
            self.probe.reg_set_dword(key, value, number)

    def stored(self, name, value):
        """A stored REG_DWORD as the signed number the program wrote, or None."""
        v = self.probe.reg_dword(PROFILES[name].settings_key, value)
        return v - (1 << 32) if v is not None and v >= 1 << 31 else v

    def run_value(self, name):
        v = self.probe.reg_get(RUN_KEY, PROFILES[name].run_value)
        return v.get("text", v.get("sz")) if v["exists"] else None

    def start_stored(self, name, left=300, top=300, *args, **values):
        """Starts a tree with a stored position (so not a first run) and the given values."""
        self.desk.reset_settings(name)
        self.store(name, Left=left, Top=top, **values)
        tree = self.desk.start_tree(name, *args)
        return tree, tree.main_window()

    def current(self, tree):
        return tree.window(tree.main_window()["hwnd"])

    def app_window(self, tree):
        return next(w for w in tree.windows() if w["class"] == "TApplication")

    # The popup menu ------------------------------------------------------------
    def menus(self, tree):
        return [w for w in tree.windows() if w["class"] == MENU_CLASS and w["visible"]]

    def open_menu(self, tree, window=None):
        window = window or self.current(tree)
        l, t, r, b = window["rect"]
        self.desk.right_click((l + r) // 2, (t + b) // 2)
        return wait_until(lambda: (self.menus(tree) or [None])[0], what="the popup menu")

    def choose(self, tree, keys, window=None):
        """Right-clicks the tree and chooses an item with the keyboard."""
        self.open_menu(tree, window)
        for key in keys:
            before = len(self.menus(tree))
            self.desk.key(key)
            if key == "Right":
                wait_until(lambda: len(self.menus(tree)) > before, what="the submenu")
        self.desk.key("Return")
        wait_until(lambda: not self.menus(tree), what="the menu to close")

    def marks(self, shot, menu, rows):
        """Indexes of the rows of a menu of `rows` equal items that show a check mark.

        Rows are found by dividing the menu's height; a row counts as marked when its check
        column holds dark pixels on the light menu background."""
        l, t, r, b = menu["rect"]
        pitch = (b - t - 4) / rows
        marked = []
        for i in range(rows):
            y0, y1 = int(t + 2 + i * pitch + 2), int(t + 2 + (i + 1) * pitch - 2)
            background = shot.pixel(r - 6, (y0 + y1) // 2)
            if sum(background) < 600:  # the highlighted row: left out
                continue
            if any(sum(shot.pixel(x, y)) < 300 for y in range(y0, y1) for x in range(l + 2, l + 20)):
                marked.append(i)
        return marked


class FirstRun(ShellCase):
    def test_empty_key_places_bottom_right_registers_and_applies_the_defaults(self):
        wa_w, wa_h, _, _ = self.metrics()
        for name, profile in PROFILES.items():
            with self.subTest(tree=name):
                tree, window = self.start_fresh(name)
                l, t, r, b = window["rect"]
                width, height = self.size_of(window)
                self.assertEqual((width, height), profile.size)
                # Placed with the stored height; the animated ones take the view's height after.
                self.assertEqual(r, wa_w - 5)
                self.assertEqual(t, wa_h - profile.stored_height)
                self.assertEqual(b, wa_h - profile.stored_height + profile.size[1])
                run = self.probe.reg_get(RUN_KEY, profile.run_value)
                self.assertEqual(run["type"], 1)  # REG_SZ
                self.assertEqual(run["text"], windows_path(tree.exe_path))
                # The bytes an ANSI write of the path with its zero gives.
                self.assertEqual(bytes.fromhex(run["ansi_hex"]), windows_path(tree.exe_path).encode() + b"\0")
                self.assertTrue(window["topmost"])
                if profile.animated:
                    self.assertEqual(alpha_of(window), 230)  # level 1
                # No taskbar button, owned by the desktop.
                self.assertFalse(self.app_window(tree)["visible"])
                self.assertEqual(window["owner"], window["desktop"])
                self.assertEqual(tree.close(), 0)
                # StartUp came up marked and level 1 was applied: both are saved so.
                self.assertEqual(self.stored(name, "TrVal"), 1)
                self.assertEqual(self.stored(name, "OnTop"), 1)
                self.assertEqual((self.stored(name, "Left"), self.stored(name, "Top")), (l, t))
                self.assertEqual(self.run_value(name), windows_path(tree.exe_path))

    def test_only_top_stored_is_a_first_run_and_registers_again(self):
        wa_w, wa_h, _, _ = self.metrics()
        self.desk.reset_settings("Fernlight")
        self.store("Fernlight", Top=40)
        tree = self.desk.start_tree("Fernlight")
        l, t, r, b = tree.main_window()["rect"]
        self.assertEqual((r, b), (wa_w - 5, wa_h))
        self.assertEqual(self.run_value("Fernlight"), windows_path(tree.exe_path))


class StoredPosition(ShellCase):
    def test_bounds_table_for_left_and_top_independently(self):
        _, _, sw, sh = self.metrics()
        cases = [
            # (stored left, stored top) -> (left, top)
            ((-70, 200), (-70, 200)), ((-71, 200), (550, 200)),
            ((sw - 30, 200), (sw - 30, 200)), ((sw - 29, 200), (550, 200)),
            ((200, -140), (200, -140)), ((200, -141), (200, 350)),
            ((200, sh - 30), (200, sh - 30)), ((200, sh - 29), (200, 350)),
            ((sw + 100, sh + 100), (550, 350)),  # saved on a monitor beyond the primary one
        ]
        for stored, expected in cases:
            with self.subTest(stored=stored):
                tree, window = self.start_stored("Fernlight", *stored)
                self.assertEqual(tuple(window["rect"][:2]), expected)
                self.assertIsNone(self.run_value("Fernlight"))  # not a first run
                self.assertEqual(tree.close(), 0)


class StoredLevels(ShellCase):
    def test_trval_selects_a_level_by_its_low_eight_bits(self):
        # The animated trees show the level as their window alpha; 225 is the design blend.
        for trval, alpha in [(9, 30), (256, None), (10, 225), (255, 225), (0, None), (5, 130)]:
            with self.subTest(TrVal=trval):
                tree, window = self.start_stored("Vudododoz", TrVal=trval)
                self.assertEqual(alpha_of(window), alpha)
                self.assertEqual(tree.close(), 0)
                # A stored value that selects no level leaves the design mark on 10 %.
                self.assertEqual(self.stored("Vudododoz", "TrVal"), {256: 0, 10: 1, 255: 1}.get(trval, trval))

    def test_on_top_zero_and_missing(self):
        tree, window = self.start_stored("Fernlight", OnTop=0)
        self.assertFalse(window["topmost"])
        tree.close()
        tree, window = self.start_stored("Fernlight")
        self.assertTrue(window["topmost"])


class ExtraTreeArgument(ShellCase):
    def test_add_places_at_random_and_leaves_the_run_value(self):
        wa_w, wa_h, _, _ = self.metrics()
        tree, window = self.start_stored("Vudododoz", 300, 300, "add", TrVal=9, OnTop=0)
        l, t, _, _ = window["rect"]
        # Placed with the view's width and the stored height.
        self.assertTrue(0 <= l < wa_w - 190 - 5, l)
        self.assertTrue(0 <= t < wa_h - 223, t)
        self.assertNotEqual((l, t), (300, 300))
        self.assertIsNone(self.run_value("Vudododoz"))
        self.assertEqual(alpha_of(window), 30)     # "TrVal" still read
        self.assertFalse(window["topmost"])         # "OnTop" still read

    def test_other_spellings_give_a_normal_start(self):
        for args in (["ADD"], ["addx"], ["x", "add"]):
            with self.subTest(args=args):
                tree, window = self.start_stored("Fernlight", 300, 300, *args)
                self.assertEqual(tuple(window["rect"][:2]), (300, 300))
                self.assertEqual(tree.close(), 0)


class WrongTypes(ShellCase):
    def test_a_short_string_stops_the_load_with_the_invalid_type_error(self):
        self.check_load_error("abc", "Invalid data type for 'TrVal'")

    def test_a_longer_string_stops_the_load_with_the_get_data_error(self):
        self.check_load_error("abcdefgh", "Failed to get data for 'TrVal'")

    def check_load_error(self, text, message):
        self.desk.reset_settings("Vudododoz")
        self.store("Vudododoz", Left=300, Top=300, OnTop=0)
        self.probe.reg_set_sz(PROFILES["Vudododoz"].settings_key, "TrVal", text)
        tree = self.desk.start_tree("Vudododoz")
        box = tree.wait_message_box()
        self.assertEqual(box["title"], "Vudododoz")
        self.assertEqual(tree.box_text(box), [message])
        tree.dismiss_box(box)
        window = tree.main_window()
        # The window appears all the same, with what ran before the error: the view's width
        # (before the load), but not placed, not sized to the view, still owned by the
        # application window, whose taskbar button stays.
        self.assertEqual(tuple(window["rect"][:2]), (0, 0))
        self.assertEqual(self.size_of(window), (190, 223))
        app = self.app_window(tree)
        self.assertTrue(app["visible"])
        self.assertEqual(window["owner"], app["hwnd"])
        self.assertEqual(alpha_of(window), 225)
        # The mark of OnTop was read before the error and is what the close saves.
        self.assertEqual(tree.close(), 0)
        self.assertEqual(self.stored("Vudododoz", "OnTop"), 0)


class Menu(ShellCase):
    def test_design_marks_on_top_and_start_up(self):
        tree, window = self.start_fresh("Vudododoz")
        menu = self.open_menu(tree)
        shot = self.desk.screenshot("menu")
        self.desk.key("Escape")
        # Items: About, Download, -, Transparent, OnTop, StartUp, Add, -, Exit. The two
        # separators are thinner than items: measure marks between them.
        l, t, r, b = menu["rect"]
        seps = [y for y in range(t + 2, b - 2)
                if shot.pixel((l + r) // 2, y) != (255, 255, 255)
                and all(shot.pixel(x, y) == shot.pixel((l + r) // 2, y) for x in range(l + 4, r - 4, 7))]
        self.assertEqual(len(seps), 2, seps)
        pitch = (seps[1] - seps[0]) / 4.5
        rows = []
        for y in range(seps[0] + 1, seps[1]):
            if any(sum(shot.pixel(x, y)) < 300 for x in range(l + 2, l + 20)):
                rows.append(int((y - seps[0]) / pitch))
        self.assertEqual(sorted(set(rows)), [1, 2])  # OnTop and StartUp, below Transparent
        self.assertFalse(any(sum(shot.pixel(x, y)) < 300 for y in range(t + 2, seps[0] - 1)
                             for x in range(l + 2, l + 20)))

    def test_on_top_toggles_both_ways(self):
        tree, window = self.start_stored("Fernlight")
        self.assertTrue(window["topmost"])
        self.choose(tree, ON_TOP)
        wait_until(lambda: not self.current(tree)["topmost"], what="not topmost")
        self.choose(tree, ON_TOP)
        wait_until(lambda: self.current(tree)["topmost"], what="topmost")

    def test_start_up_only_flips_its_mark_and_the_run_value_changes_at_close(self):
        tree, window = self.start_fresh("Fernlight")
        path = windows_path(tree.exe_path)
        self.choose(tree, START_UP)
        self.assertEqual(self.run_value("Fernlight"), path)  # untouched until the close
        self.choose(tree, EXIT)
        self.assertEqual(tree.wait_exit(), 0)
        self.assertIsNone(self.run_value("Fernlight"))
        # Later starts do not add it again; marking it again registers it at the close.
        tree = self.desk.start_tree("Fernlight")
        tree.main_window()
        self.assertIsNone(self.run_value("Fernlight"))
        self.choose(tree, START_UP)
        self.assertIsNone(self.run_value("Fernlight"))
        self.choose(tree, EXIT)
        self.assertEqual(tree.wait_exit(), 0)
        self.assertEqual(self.run_value("Fernlight"), path)

    def test_levels_from_the_menu(self):
        tree, window = self.start_stored("Vudododoz")
        self.choose(tree, level_keys(0))
        wait_until(lambda: alpha_of(self.current(tree)) is None, what="opaque at 0 %")
        self.choose(tree, level_keys(5))
        wait_until(lambda: alpha_of(self.current(tree)) == 130, what="blended at 130")
        self.choose(tree, level_keys(9))
        wait_until(lambda: alpha_of(self.current(tree)) == 30, what="blended at 30")
        self.choose(tree, EXIT)
        self.assertEqual(tree.wait_exit(), 0)
        self.assertEqual(self.stored("Vudododoz", "TrVal"), 9)

    def test_choosing_the_marked_level_leaves_none_marked_and_keeps_that_level(self):
        tree, window = self.start_stored("Vudododoz", TrVal=4)
        self.assertEqual(alpha_of(window), 155)

        def submenu_marks():
            self.open_menu(tree)
            for key in TRANSPARENT:
                self.desk.key(key)
            wait_until(lambda: len(self.menus(tree)) == 2, what="the Transparent submenu")
            menus = sorted(self.menus(tree), key=lambda w: w["rect"][0])
            shot = self.desk.screenshot("transparent")
            self.desk.key("Escape", "Escape")
            wait_until(lambda: not self.menus(tree), what="the menu to close")
            return self.marks(shot, menus[-1], 10)

        self.assertEqual(submenu_marks(), [4])
        self.choose(tree, level_keys(4))
        self.assertEqual(submenu_marks(), [])
        self.assertEqual(alpha_of(self.current(tree)), 155)
        self.choose(tree, EXIT)
        self.assertEqual(tree.wait_exit(), 0)
        self.assertEqual(self.stored("Vudododoz", "TrVal"), 4)  # the level applied now

    def test_the_disabled_heading_cannot_be_chosen(self):
        tree, window = self.start_stored("Quorrisk")
        before = len(self.desk.browser_calls())
        # Return on the heading closes the menu and does nothing; the next link is the only one.
        self.choose(tree, HEADING)
        self.choose(tree, ABOUT)
        calls = wait_until(lambda: self.desk.browser_calls()[before:], what="a link")
        self.assertEqual(calls, [link_base().rstrip("/") + "/tockwise.html?q=quorr1"])
        self.assertTrue(self.current(tree)["visible"])


class Dragging(ShellCase):
    def test_a_left_drag_moves_the_tree_and_exit_saves_the_place(self):
        tree, window = self.start_stored("Fernlight", 300, 300)
        self.desk.drag(400, 420, 600, 520)
        wait_until(lambda: tuple(self.current(tree)["rect"][:2]) == (500, 400), what="the tree at its new place")
        self.choose(tree, EXIT)
        self.assertEqual(tree.wait_exit(), 0)
        self.assertEqual((self.stored("Fernlight", "Left"), self.stored("Fernlight", "Top")), (500, 400))

    def test_a_right_drag_does_not_move_the_tree_and_still_opens_the_menu(self):
        tree, window = self.start_stored("Vudododoz", 300, 300)
        self.desk.xdotool("mousemove", 390, 410, "mousedown", 3)
        for step in range(1, 6):
            self.desk.move(390 + 10 * step, 410 + 8 * step)
        self.desk.xdotool("mouseup", 3)
        wait_until(lambda: self.menus(tree), what="the popup menu")
        self.desk.key("Escape")
        self.assertEqual(tuple(self.current(tree)["rect"][:2]), (300, 300))


class ClosePaths(ShellCase):
    def moved_tree(self):
        """A tree with a stored position that then is moved by the program's own placement."""
        tree, window = self.start_stored("Vudododoz", -71, 300)  # pulled back to 550
        self.assertEqual(tuple(window["rect"][:2]), (550, 300))
        return tree, window

    def test_exit_saves(self):
        tree, window = self.moved_tree()
        self.choose(tree, EXIT)
        self.assertEqual(tree.wait_exit(), 0)
        self.assertEqual(self.stored("Vudododoz", "Left"), 550)

    def test_wm_close_saves(self):
        tree, window = self.moved_tree()
        self.probe.post(window["hwnd"], WM_CLOSE)
        self.assertEqual(tree.wait_exit(), 0)
        self.assertEqual(self.stored("Vudododoz", "Left"), 550)

    def test_the_log_off_question_saves_and_lets_the_log_off_go_on(self):
        tree, window = self.moved_tree()
        answer = self.probe.send(window["hwnd"], WM_QUERYENDSESSION)
        self.assertTrue(answer["ok"])
        self.assertEqual(answer["result"], 1)
        self.assertEqual(self.stored("Vudododoz", "Left"), 550)
        self.assertTrue(self.current(tree)["visible"])  # a question only: still running

    def test_a_failed_write_shows_the_error_and_the_tree_keeps_running(self):
        tree, window = self.moved_tree()
        key = PROFILES["Vudododoz"].settings_key
        self.probe.reg_access(key, "read")
        try:
            self.choose(tree, EXIT)
            box = tree.wait_message_box()
            self.assertEqual(box["title"], "Vudododoz")
            self.assertEqual(tree.box_text(box), ["Failed to set data for 'OnTop'"])
            tree.dismiss_box(box)
            self.assertTrue(self.current(tree)["visible"])
            self.assertEqual(self.stored("Vudododoz", "Left"), -71)  # nothing written
        finally:
            self.probe.reg_access(key, "full")
        # Once the key can be written again, the close goes through.
        self.choose(tree, EXIT)
        self.assertEqual(tree.wait_exit(), 0)
        self.assertEqual(self.stored("Vudododoz", "Left"), 550)


class AddTree(ShellCase):
    def test_add_from_a_folder_with_blanks_starts_a_second_tree_at_random(self):
        folder = os.path.join(self.desk.workdir, "My Trees")
        os.makedirs(folder, exist_ok=True)
        exe = os.path.join(folder, "Fernlight.exe")
        shutil.copy(os.path.join(harness.bin_dir(), "Fernlight.exe"), exe)
        self.desk.reset_settings("Fernlight")
        self.store("Fernlight", Left=300, Top=300)
        tree = self.desk.start_tree("Fernlight", exe_path=exe)
        first = tree.main_window()

        self.choose(tree, ADD_TREE)

        def second():
            for w in self.probe.windows("Fernlight.exe"):
                if w["pid"] != first["pid"] and w["visible"] and w["class"] == first["class"]:
                    return w
            return None
        other = wait_until(second, 30, what="the second tree")
        try:
            self.assertNotEqual(tuple(other["rect"][:2]), (300, 300))  # "add": placed at random
            self.assertIsNone(self.run_value("Fernlight"))
            # Each tree saves at its own close.
            self.probe.post(other["hwnd"], WM_CLOSE)
            wait_until(lambda: other["pid"] not in self.probe.pids("Fernlight.exe"), what="the second tree to end")
            self.assertEqual((self.stored("Fernlight", "Left"), self.stored("Fernlight", "Top")),
                             tuple(other["rect"][:2]))
        finally:
            if other["pid"] in self.probe.pids("Fernlight.exe"):
                self.probe.post(other["hwnd"], WM_CLOSE)
        self.assertEqual(tree.close(), 0)
        self.assertEqual((self.stored("Fernlight", "Left"), self.stored("Fernlight", "Top")), (300, 300))


class Links(ShellCase):
    def test_the_three_links_open_the_product_page_with_each_trees_tags(self):
        base = link_base().rstrip("/")
        for name, profile in PROFILES.items():
            with self.subTest(tree=name):
                tree, window = self.start_stored(name)
                for keys, tag in ((ABOUT, profile.about_tag), (DIALCRAFT, profile.download_tag),
                                  (CLOCK_INFO, profile.download_tag)):
                    before = len(self.desk.browser_calls())
                    self.choose(tree, keys)
                    calls = wait_until(lambda: self.desk.browser_calls()[before:], what="the browser")
                    self.assertEqual(calls, [f"{base}/tockwise.html?q={tag}"])
                self.assertEqual(tree.close(), 0)
