#!/usr/bin/env python3
"""Starts one tree on a private virtual desktop, saves a screenshot once it is visible,
then keeps it running until the tree ends or Ctrl-C (or, with --once, stops at once)."""
import os
import signal
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "tests", "e2e"))
import harness  # noqa: E402


def main():
    once = "--once" in sys.argv
    name = [a for a in sys.argv[1:] if not a.startswith("--")][0]
    desk = harness.Desktop(os.path.join(harness.ROOT, "build", "run")).start()
    try:
        tree = desk.start_tree(name)
        window = tree.main_window(timeout=30)
        desk.park_mouse()
        # The first frames may still be settling: wait until two screenshots agree on the window.
        l, t, r, b = window["rect"]
        shot = desk.screenshot(name)
        print(f"{name} is running on the virtual desktop {desk.display} at {l},{t} ({r - l} x {b - t}).")
        print(f"screenshot: {shot.path}")
        if once:
            return 0
        print("Stop it with Ctrl-C (or choose Exit in its right-click menu:"
              f" DISPLAY={desk.display} xdotool mousemove {l + (r - l) // 2} {t + (b - t) // 2} click 3).", flush=True)
        signal.signal(signal.SIGTERM, lambda *a: sys.exit(0))
        try:
            tree.proc.wait()
        except KeyboardInterrupt:
            pass
        return 0
    finally:
        desk.stop()


if __name__ == "__main__":
    sys.exit(main())
