#!/usr/bin/env python3
"""Runs a command on a fresh virtual desktop (Xvfb, compositor, Wine prefix, wallpaper).

usage: desktop.py -- COMMAND [ARGS...]   the command gets DISPLAY, WINEPREFIX and the Wine settings
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402


def main():
    argv = sys.argv[1:]
    if argv and argv[0] == "--":
        argv = argv[1:]
    if not argv:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    desk = harness.Desktop().start()
    try:
        return subprocess.run(argv, env=desk.env).returncode
    finally:
        desk.stop()


if __name__ == "__main__":
    sys.exit(main())
