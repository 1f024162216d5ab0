"""The animated trees: a window of the GIF's size cut to the mask's outline, the first-run
placement, the animation on screen frame by frame, the opacity levels, the countdown hint
and the drop-shadow class style, for each of Glimmerlode, Quorrisk and Vudododoz."""
import datetime
import os
import statistics
import subprocess
import time

import harness
from harness import CS_DROPSHADOW, PROFILES, WS_EX_LAYERED, wait_until
from screen import ScreenReader

TREES = ("Glimmerlode", "Quorrisk", "Vudododoz")
# Bottom edge on a first run, against the work area's height: the placement uses the
# height the form stores, and the window then takes the GIF's height.
FIRST_RUN_BOTTOM = {"Glimmerlode": -8, "Quorrisk": +1, "Vudododoz": +2}
FRAME_MS = {"Glimmerlode": 100, "Quorrisk": 200, "Vudododoz": 70}


def resource(name, file):
    return os.path.join(harness.ROOT, "resources", name, file)


def gif_screen(name):
    with open(resource(name, "tree.gif"), "rb") as f:
        head = f.read(10)
    return int.from_bytes(head[6:8], "little"), int.from_bytes(head[8:10], "little")


class Mask:
    """The mask read from its 1-bit BMP: inside[y][x] is True for black (inside) pixels."""

    def __init__(self, name):
        with open(resource(name, "mask.bmp"), "rb") as f:
            b = f.read()
        offset = int.from_bytes(b[10:14], "little")
        self.width = int.from_bytes(b[18:22], "little")
        self.height = int.from_bytes(b[22:26], "little")
        stride = (self.width + 31) // 32 * 4
        self.inside = []
        for y in range(self.height):
            row = b[offset + (self.height - 1 - y) * stride:]
            self.inside.append([not (row[x // 8] >> (7 - x % 8)) & 1 for x in range(self.width)])
        self.black = sum(sum(r) for r in self.inside)
        # Runs of inside pixels, row by row: (y, x0, x1).
        self.runs = []
        for y, r in enumerate(self.inside):
            x = 0
            while x < self.width:
                if r[x]:
                    x0 = x
                    while x < self.width and r[x]:
                        x += 1
                    self.runs.append((y, x0, x))
                else:
                    x += 1

    def key(self, pixels, rows=None):
        """B, G, R of the inside pixels of a 4-byte-per-pixel picture of the mask's width,
        in its first `rows` rows (all by default)."""
        parts = bytearray()
        for y, x0, x1 in self.runs:
            if rows is not None and y >= rows:
                break
            start = (y * self.width + x0) * 4
            parts += pixels[start:start + (x1 - x0) * 4]
        del parts[3::4]
        return bytes(parts)

    def a_pixel(self, inside):
        """A pixel in the middle of the longest inside run, or the first outside pixel of a row."""
        if inside:
            y, x0, x1 = max(self.runs, key=lambda r: (r[2] - r[1], -abs(r[0] - self.height // 2)))
            return (x0 + x1) // 2, y
        for y in range(self.height):
            for x in range(self.width):
                if not self.inside[y][x]:
                    return x, y
        raise AssertionError("the mask has no outside pixel")


def composed_frames(name, width, height):
    """Every frame of the GIF composed by ImageMagick, independently of our composer: B, G, R, A."""
    raw = subprocess.run(["convert", resource(name, "tree.gif"), "-coalesce", "bgra:-"], check=True,
                         stdout=subprocess.PIPE).stdout
    size = width * height * 4
    return [raw[i:i + size] for i in range(0, len(raw), size)]


def expected_hint(now):
    """The countdown as the tree computes it, or None when the hint is off."""
    days = (datetime.datetime(now.year, 12, 26) - now) / datetime.timedelta(days=1)
    left = int(days)  # truncated toward zero
    if left < 0:
        return None
    if left == 0:
        return "Merry Vudododoz!!!"
    return f"{left} {'day' if left == 1 else 'days'}\rtill Vudododoz"


class AnimatedTrees(harness.TreeTestCase):
    def choose_level(self, tree, window, item):
        """Right-click on the tree, then Transparent and its item number `item` (0 is "0%")."""
        mask = Mask(tree.name)
        x, y = mask.a_pixel(inside=True)
        left, top = window["rect"][:2]
        self.desk.right_click(left + x, top + y)
        wait_until(lambda: any(w["class"] == "#32768" and w["visible"] for w in self.probe.windows(tree.exe)),
                   10, what="the popup menu")
        self.desk.key("Down", "Down", "Down", "Right", *(["Down"] * item), "Return")
        wait_until(lambda: not any(w["class"] == "#32768" and w["visible"] for w in self.probe.windows(tree.exe)),
                   10, what="the popup menu to close")

    def test_window_outline_placement_shadow_clicks_levels_and_hint(self):
        for name in TREES:
            with self.subTest(tree=name):
                mask = Mask(name)
                width, height = gif_screen(name)
                tree, w = self.start_fresh(name)
                left, top, right, bottom = w["rect"]

                # The GIF's size, whatever size the form stores, and the mask has it too.
                self.assertEqual((right - left, bottom - top), (width, height))
                self.assertNotEqual(PROFILES[name].stored_height, height)
                self.assertEqual((mask.width, mask.height), (width, height))
                work = self.probe.metrics()["workarea"]
                self.assertEqual(bottom, work[3] - work[1] + FIRST_RUN_BOTTOM[name])
                self.assertTrue(w["classstyle"] & CS_DROPSHADOW)

                # The outline: exactly the mask's black pixels.
                region = w["region"]
                self.assertEqual(region["area"], mask.black)
                for rl, rt, rr, rb in region["rects"]:
                    for yy in range(rt, rb):
                        self.assertTrue(all(mask.inside[yy][rl:rr]), (rl, rt, rr, rb))

                # A click on a cut-away part reaches the wallpaper; one on the tree does not.
                self.probe.clicks()
                ox, oy = mask.a_pixel(inside=False)
                self.desk.left_click(left + ox, top + oy)
                clicks = wait_until(self.probe.clicks, 10, what="the click to reach the wallpaper")
                self.assertIn({"event": "ldown", "x": left + ox, "y": top + oy}, clicks)
                ix, iy = mask.a_pixel(inside=True)
                self.desk.left_click(left + ix, top + iy)
                self.desk.park_mouse()
                self.assertEqual([c for c in self.probe.clicks() if c["event"] == "ldown"], [])

                # Resting on the tree shows the countdown.
                want = expected_hint(datetime.datetime.now())
                self.desk.move(left + ix, top + iy - 1)
                self.desk.move(left + ix, top + iy)

                def hint_window():
                    for h in tree.windows():
                        if h["class"] == "THintWindow" and h["visible"]:
                            return h
                    return None
                if want is None:  # after the holidays: no hint at all
                    with self.assertRaises(harness.Timeout):
                        wait_until(hint_window, 2.0, what="no hint")
                else:
                    shown = wait_until(hint_window, 10, what="the hint")
                    self.assertEqual(shown["title"], want)
                    if "\r" in want:  # two lines: taller than it is for one line of text
                        hl, ht, hr, hb = shown["rect"]
                        self.assertGreater(hb - ht, 24)
                    wait_until(lambda: hint_window() is None, 10, what="the hint to hide")
                self.desk.park_mouse()

                # "0%": opaque and not layered; then "50%": layered at 130.
                self.choose_level(tree, w, 0)
                now = wait_until(lambda: (lambda x: x if not x["exstyle"] & WS_EX_LAYERED else None)(
                    tree.window(w["hwnd"])), 10, what="the window to stop being layered")
                self.assertFalse(now["layered"]["ok"] and now["layered"]["alpha"] < 255)
                self.choose_level(tree, w, 5)
                now = wait_until(lambda: (lambda x: x if x["exstyle"] & WS_EX_LAYERED else None)(
                    tree.window(w["hwnd"])), 10, what="the window to be layered again")
                self.assertEqual((now["layered"]["alpha"], now["layered"]["flags"]), (130, 2))
                self.assertEqual(tree.close(), 0)

    def test_a_stored_level_outside_the_menu_leaves_the_creation_alpha(self):
        for name in TREES:
            with self.subTest(tree=name):
                self.desk.reset_settings(name)
                self.probe.reg_set_dword(PROFILES[name].settings_key, "TrVal", 10)
                tree = self.desk.start_tree(name)
                w = tree.main_window()
                self.assertTrue(w["exstyle"] & WS_EX_LAYERED)
                self.assertEqual((w["layered"]["alpha"], w["layered"]["flags"]), (225, 2))
                self.assertEqual(tree.close(), 0)

    def test_the_frames_run_in_order_from_frame_0_at_the_frame_period(self):
        for name in TREES:
            with self.subTest(tree=name):
                self.check_animation(name)

    def check_animation(self, name):
        mask = Mask(name)
        width, height = gif_screen(name)
        frames = composed_frames(name, width, height)
        period = FRAME_MS[name] / 1000
        watch = max(2 * len(frames) * period, 2.0)

        # Opaque from the start ("0%" stored), placed as on a first run: where it will
        # appear is known before it starts, so its very first frame can be caught.
        self.desk.reset_settings(name)
        self.probe.reg_set_dword(PROFILES[name].settings_key, "TrVal", 0)
        work = self.probe.metrics()["workarea"]
        left = work[2] - work[0] - width - 5
        top = work[3] - work[1] - PROFILES[name].stored_height
        visible_rows = min(height, self.desk_height() - top)  # a tree may reach past the screen
        # What the screen can tell apart: runs of frames that look the same inside the
        # outline are one state, shown for all of their periods together.
        states = []  # [key, number of frames]
        for f in frames:
            k = mask.key(f, visible_rows)
            if states and states[-1][0] == k:
                states[-1][1] += 1
            else:
                states.append([k, 1])
        if len(states) > 1 and states[-1][0] == states[0][0]:
            states[0][1] += states.pop()[1]
        keys = {}
        for i, (k, _) in enumerate(states):
            self.assertNotIn(k, keys, "one picture at two places in the cycle")
            keys[k] = i
        reader = ScreenReader(self.desk.display)
        samples = []  # (time, pixels), only when the picture changed
        try:
            tree = self.desk.start_tree(name)
            deadline = time.monotonic() + 30
            first = None
            last = None
            while time.monotonic() < deadline:
                pixels = reader.grab(left, top, width, visible_rows)
                t = time.monotonic()
                if pixels != last:
                    samples.append((t, pixels))
                    last = pixels
                    if first is None and self.identify(mask, keys, pixels, visible_rows) is not None:
                        first = t
                if first is not None and t - first > watch:
                    break
                time.sleep(0.004)
        finally:
            reader.close()
        w = tree.main_window()
        self.assertEqual(w["rect"][:2], [left, top])
        self.assertFalse(w["exstyle"] & WS_EX_LAYERED)

        shown = []  # (time the frame appeared, frame)
        unknown = 0
        for t, pixels in samples:
            frame = self.identify(mask, keys, pixels, visible_rows)
            if frame is None:
                unknown += shown != []
                continue
            if not shown or shown[-1][1] != frame:
                shown.append((t, frame))
        self.assertTrue(shown, "no frame of the animation seen on screen")
        order = [f for _, f in shown]
        self.assertEqual(order[0], 0, order)
        steps = [(b - a) % len(states) for a, b in zip(order, order[1:])]
        # Forward, one picture at a time; a missed sample may hide one now and then.
        self.assertTrue(all(1 <= s <= 2 for s in steps), order)
        self.assertGreaterEqual(steps.count(1), 0.9 * len(steps), order)
        self.assertEqual(set(order), set(range(len(states))), order)
        intervals = [(b[0] - a[0]) / states[a[1]][1] for a, b, s in zip(shown, shown[1:], steps) if s == 1]
        median = statistics.median(intervals)
        self.assertGreater(median, 0.8 * period, intervals)
        self.assertLess(median, 1.5 * period + 0.03, intervals)
        print(f"  {name}: {len(shown)} pictures seen in order, median {median * 1000:.0f} ms per frame "
              f"(GIF: {FRAME_MS[name]} ms), {unknown} pictures between frames")
        self.assertEqual(tree.close(), 0)

    def desk_height(self):
        return self.probe.metrics()["screen"][1]

    @staticmethod
    def identify(mask, keys, pixels, rows):
        return keys.get(mask.key(pixels, rows))
