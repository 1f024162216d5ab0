#!/usr/bin/env python3
"""Makes docs/screenshot.png: the four trees side by side on the test wallpaper."""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "tests", "e2e"))
import harness  # noqa: E402

PLACES = {"Fernlight": (40, 40), "Glimmerlode": (280, 60), "Quorrisk": (500, 60), "Vudododoz": (880, 50)}


def main():
    desk = harness.Desktop(os.path.join(harness.ROOT, "build", "run")).start()
    try:
        for name, (x, y) in PLACES.items():
            p = harness.PROFILES[name]
            desk.reset_settings(name)
            for value, number in (("Left", x), ("Top", y), ("TrVal", 0), ("OnTop", 1)):
                desk.probe.reg_set_dword(p.settings_key, value, number)
            desk.start_tree(name).main_window()
        desk.park_mouse()
        shot = desk.screenshot("readme")
        out = os.path.join(harness.ROOT, "docs", "screenshot.png")
        os.makedirs(os.path.dirname(out), exist_ok=True)
        subprocess.run(["convert", shot.path, "-crop", "1120x330+20+20", "+repage", out], check=True)
        print(out)
    finally:
        desk.stop_all_trees()
        desk.stop()


if __name__ == "__main__":
    main()
