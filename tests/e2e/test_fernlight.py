"""Fernlight on the virtual desktop: the PNG tree blended pixel by pixel into the wallpaper.

Every expected screen pixel is computed from the committed picture and the probe's wallpaper:
the premultiplied colour times the constant alpha, plus the wallpaper times what the pixel
leaves of it. Levels are chosen from the popup menu with real X input; the long run sends the
menu's own command message, which is what choosing an item produces.
"""
import glob
import os
import re
import subprocess
import time

import harness
from harness import PROFILES, RUN_KEY, WS_EX_LAYERED, wait_until

PROFILE = PROFILES["Fernlight"]
KEY = PROFILE.settings_key
TREE_PNG = os.path.join(harness.ROOT, "resources", "Fernlight", "tree.png")
W, H = PROFILE.size
WM_COMMAND = 0x0111
# The popup menu numbers its items from 100 in the order of the form description: the menu
# itself, About, Download and its four items, the separator, Transparent, then "0%" ... "90%".
FIRST_LEVEL_COMMAND = 109
TOLERANCE = 2


def layer_alpha(level):
    return 255 - 22 * level


def load_tree():
    """The committed picture as rows of (r, g, b, a), straight alpha."""
    raw = subprocess.run(["convert", TREE_PNG, "-depth", "8", "rgba:-"], check=True,
                         stdout=subprocess.PIPE).stdout
    assert len(raw) == W * H * 4, len(raw)
    return [[tuple(raw[(y * W + x) * 4:(y * W + x) * 4 + 4]) for x in range(W)] for y in range(H)]


TREE = load_tree()


def wall_colour(x, y):
    """The probe's wallpaper at a screen point (16-pixel blocks)."""
    bx, by = x // 16, y // 16
    return (40 + (bx * 37 + by * 11) % 180, 40 + (by * 53 + bx * 7) % 180, 40 + ((bx + by) * 29) % 180)


def expected_pixel(x, y, left, top, constant):
    """What the screen shows at (x, y) with the tree's layer at (left, top) and constant alpha."""
    r, g, b, a = TREE[y - top][x - left]
    wall = wall_colour(x, y)
    coverage = a * constant / 255.0
    return tuple((c * a // 255) * constant / 255.0 + w * (255 - coverage) / 255.0
                 for c, w in zip((r, g, b), wall))


def blend_errors(shot, left, top, constant):
    """(number of tree pixels off by more than TOLERANCE in a channel, largest difference)."""
    bad, worst = 0, 0.0
    for y in range(top, top + H):
        for x in range(left, left + W):
            got = shot.pixel(x, y)
            want = expected_pixel(x, y, left, top, constant)
            d = max(abs(g - w) for g, w in zip(got, want))
            worst = max(worst, d)
            if d > TOLERANCE:
                bad += 1
    return bad, worst


def solid_point():
    """A tree pixel of alpha 255 near the middle of the tree (local coordinates)."""
    cx, cy = W // 2, H // 2
    for radius in range(0, 60):
        for y in range(cy - radius, cy + radius + 1):
            for x in range(cx - radius, cx + radius + 1):
                if TREE[y][x][3] == 255:
                    return x, y
    raise AssertionError("no solid pixel near the middle")


SOLID = solid_point()
CLEAR = (3, H // 2)    # inside the transparent margin left of the tree


def unix_path(windows_path, prefix):
    """Maps a path on drive C: of the prefix to the Unix file system, matching case loosely."""
    m = re.match(r"^([A-Za-z]):\\(.*)$", windows_path)
    assert m, windows_path
    path = os.path.join(prefix, "drive_" + m.group(1).lower())
    for part in [p for p in m.group(2).split("\\") if p]:
        direct = os.path.join(path, part)
        if not os.path.exists(direct) and os.path.isdir(path):
            for name in os.listdir(path):
                if name.lower() == part.lower():
                    direct = os.path.join(path, name)
                    break
        path = direct
    return path


def vm_kib(pid, field):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith(field + ":"):
                return int(line.split()[1])
    raise AssertionError(f"{field} not in /proc/{pid}/status")


class Fernlight(harness.TreeTestCase):
    def start(self, level=None, left=40, top=40):
        """A fresh tree at (left, top) with the stored level; returns (tree, window)."""
        self.desk.reset_settings("Fernlight")
        self.probe.reg_set_dword(KEY, "Left", left)
        self.probe.reg_set_dword(KEY, "Top", top)
        self.probe.reg_set_dword(KEY, "OnTop", 1)
        if level is not None:
            self.probe.reg_set_dword(KEY, "TrVal", level)
        self.desk.park_mouse()
        tree = self.desk.start_tree("Fernlight")
        window = tree.main_window()
        self.addCleanup(self.probe.reg_delete_value, RUN_KEY, PROFILE.run_value)
        return tree, window

    def temp_dir(self):
        return unix_path(self.probe.call("temp")["path"], self.desk.env["WINEPREFIX"])

    def temp_files(self):
        return set(glob.glob(os.path.join(self.temp_dir(), "TMP*")))

    def rect(self, tree, hwnd):
        return tuple(tree.window(hwnd)["rect"])

    def menu_open(self, tree):
        return any(w["class"] == "#32768" and w["visible"] for w in tree.windows())

    def choose_level(self, tree, window, level):
        """Right click on the tree, then Down to Transparent, Right into it, Down to the level, Return."""
        left, top = tree.window(window["hwnd"])["rect"][:2]
        self.desk.right_click(left + SOLID[0], top + SOLID[1])
        wait_until(lambda: self.menu_open(tree), 10, what="the popup menu")
        self.desk.key("Down", "Down", "Down", "Right", *(["Down"] * level), "Return")
        wait_until(lambda: not self.menu_open(tree), 10, what="the menu to close")
        self.desk.park_mouse()

    def command_level(self, window, level, post=False):
        call = self.probe.post if post else self.probe.send
        call(window["hwnd"], WM_COMMAND, FIRST_LEVEL_COMMAND + level, 0)

    def assert_blend(self, tree, window, constant, name):
        """Waits until the whole tree area shows the blend for `constant`; fails with the figures."""
        left, top = tree.window(window["hwnd"])["rect"][:2]
        last = {}

        def matches():
            last["shot"] = self.desk.screenshot(name)
            last["errors"] = blend_errors(last["shot"], left, top, constant)
            return last["errors"][0] == 0

        try:
            wait_until(matches, 10, 0.2, what=f"the blend at constant alpha {constant}")
        except harness.Timeout:
            bad, worst = last["errors"]
            self.fail(f"{bad} of {W * H} pixels off by more than {TOLERANCE} (worst {worst:.1f}) "
                      f"at constant alpha {constant}; see {last['shot'].path}")
        return last["shot"]

    # ------------------------------------------------------------------ tests

    def test_right_after_creation_the_window_has_the_trees_size_and_shows_nothing(self):
        # A stored level outside 0..9 applies none: the tree stays as its creation left it.
        tree, window = self.start(level=10, left=100, top=120)
        self.assertEqual(self.size_of(window), (W, H))
        self.assertTrue(window["exstyle"] & WS_EX_LAYERED)
        self.assertFalse(window["layered"]["ok"], "the alpha travels only in the layer, not as attributes")
        shot = self.desk.screenshot("fernlight-created")
        l, t = window["rect"][:2]
        off = [(x, y) for y in range(t, t + H) for x in range(l, l + W)
               if max(abs(a - b) for a, b in zip(shot.pixel(x, y), wall_colour(x, y))) > 1]
        self.assertEqual(off, [], f"the invisible tree changed {len(off)} pixels; see {shot.path}")

    def test_stored_level_shows_at_start_and_every_level_from_the_menu_gives_its_alpha(self):
        tree, window = self.start(level=3)
        self.assert_blend(tree, window, layer_alpha(3), "fernlight-start-30")
        for level in (0, 5, 9, 1, 2, 4, 6, 7, 8, 3):
            with self.subTest(level=level):
                self.choose_level(tree, window, level)
                self.assert_blend(tree, window, layer_alpha(level), f"fernlight-level-{level}")
        self.assertEqual(tree.message_boxes(), [])

    def test_the_transparent_margin_shows_the_wallpaper_and_lets_clicks_through(self):
        tree, window = self.start(level=0, left=300, top=200)
        self.assert_blend(tree, window, 255, "fernlight-margin")
        l, t = window["rect"][:2]
        # The margin is clear in the picture itself.
        self.assertEqual(TREE[CLEAR[1]][CLEAR[0]][3], 0)
        x, y = l + CLEAR[0], t + CLEAR[1]
        self.probe.clicks()
        self.desk.right_click(x, y)
        clicks = wait_until(lambda: self.probe.clicks(), 10, what="the click to reach the wallpaper")
        self.assertIn({"event": "rdown", "x": x, "y": y}, clicks)
        self.assertFalse(self.menu_open(tree), "a right click on the clear margin opened the menu")

        self.desk.drag(x, y, x + 120, y + 90)
        clicks = wait_until(lambda: self.probe.clicks(), 10, what="the drag to reach the wallpaper")
        self.assertIn({"event": "ldown", "x": x, "y": y}, clicks)
        self.desk.park_mouse()
        self.assertEqual(self.rect(tree, window["hwnd"])[:2], (l, t), "a drag on the margin moved the tree")

        # Over the tree itself the same right click opens the menu.
        self.desk.right_click(l + SOLID[0], t + SOLID[1])
        wait_until(lambda: self.menu_open(tree), 10, what="the popup menu over the tree")
        self.desk.key("Escape")
        wait_until(lambda: not self.menu_open(tree), 10, what="the menu to close")

    def test_after_a_drag_a_new_level_keeps_the_tree_where_it_was_dragged(self):
        tree, window = self.start(level=0, left=60, top=80)
        l, t = window["rect"][:2]
        self.desk.drag(l + SOLID[0], t + SOLID[1], l + SOLID[0] + 400, t + SOLID[1] + 250, steps=12)
        self.desk.park_mouse()
        moved = wait_until(lambda: self.rect(tree, window["hwnd"])[:2] == (l + 400, t + 250) and
                           self.rect(tree, window["hwnd"]), 10, what="the tree to follow the drag")
        self.choose_level(tree, window, 5)
        self.assertEqual(self.rect(tree, window["hwnd"]), moved)
        self.assert_blend(tree, window, 145, "fernlight-dragged-50")

    def test_temporary_file_one_per_process_identical_to_the_picture_and_left_after_exit(self):
        with open(TREE_PNG, "rb") as f:
            picture = f.read()
        before = self.temp_files()
        first, _ = self.start(level=0)
        made = wait_until(lambda: self.temp_files() - before, 10, what="the temporary file")
        self.assertEqual(len(made), 1, made)
        second = self.desk.start_tree("Fernlight", "add")
        second.main_window()
        both = wait_until(lambda: len(self.temp_files() - before) == 2 and self.temp_files() - before, 10,
                          what="a second temporary file")
        for path in both:
            self.addCleanup(lambda p=path: os.path.exists(p) and os.remove(p))
            name = os.path.basename(path)
            self.assertTrue(name.startswith("TMP"), name)
            self.assertEqual(os.path.dirname(path), self.temp_dir())
            with open(path, "rb") as f:
                self.assertEqual(f.read(), picture, name)
        self.assertEqual(first.close(), 0)
        self.assertEqual(second.close(), 0)
        for path in both:
            self.assertTrue(os.path.exists(path), f"{path} was removed at exit")

    def test_a_deleted_temporary_file_shows_the_error_at_the_next_level_and_keeps_the_picture(self):
        before = self.temp_files()
        tree, window = self.start(level=0, left=20, top=20)
        (path,) = wait_until(lambda: self.temp_files() - before, 10, what="the temporary file")
        with open(path, "rb") as f:
            picture = f.read()
        self.assert_blend(tree, window, 255, "fernlight-before-delete")
        os.remove(path)

        self.choose_level(tree, window, 5)
        box = tree.wait_message_box()
        self.assertEqual(box["title"], "Fernlight")
        text = " ".join(tree.box_text(box))
        self.assertIn("Cannot open file", text)
        self.assertIn(os.path.basename(path), text)
        self.assert_blend(tree, window, 255, "fernlight-error-box")
        tree.dismiss_box(box)
        self.assertEqual(self.size_of(tree.window(window["hwnd"])), (W, H))
        self.assert_blend(tree, window, 255, "fernlight-after-error")

        # The next level tries the file again.
        with open(path, "wb") as f:
            f.write(picture)
        self.addCleanup(os.remove, path)
        self.choose_level(tree, window, 9)
        self.assert_blend(tree, window, 57, "fernlight-file-back")
        self.assertEqual(tree.message_boxes(), [])

    def test_a_thousand_level_changes_keep_gdi_objects_and_memory_flat(self):
        tree, window = self.start(level=0, left=500, top=300)
        hwnd = window["hwnd"]
        count_message = self.probe.call("message-id", "PlatLiveGdiObjects")["id"]

        def gdi_objects():
            answer = self.probe.send(hwnd, count_message)
            self.assertTrue(answer["ok"])
            return answer["result"]

        # The command of "50%" is the menu's: the screen shows alpha 145.
        self.command_level(window, 5)
        self.assert_blend(tree, window, 145, "fernlight-command-50")

        samples = []
        for n in range(1, 1001):
            self.command_level(window, n % 10)
            if n % 100 == 0:
                samples.append((n, gdi_objects(), vm_kib(tree.proc.pid, "VmRSS"), vm_kib(tree.proc.pid, "VmData")))
        print("\n  changes  GDI objects  VmRSS KiB  VmData KiB")
        for n, gdi, rss, data in samples:
            print(f"  {n:7d}  {gdi:11d}  {rss:9d}  {data:10d}")
        self.assertEqual(tree.message_boxes(), [])
        gdi_counts = {gdi for _, gdi, _, _ in samples}
        self.assertEqual(len(gdi_counts), 1, f"GDI objects changed over the run: {samples}")
        self.assertGreater(samples[0][1], 0)
        # From the first hundred on, memory stays within 2 MiB (each composition allocates
        # about 400 KiB and gives it back).
        warm_rss, warm_data = samples[0][2], samples[0][3]
        self.assertLessEqual(max(rss for _, _, rss, _ in samples) - warm_rss, 2048, samples)
        self.assertLessEqual(max(data for _, _, _, data in samples) - warm_data, 2048, samples)
        self.assert_blend(tree, window, layer_alpha(0), "fernlight-after-soak")
