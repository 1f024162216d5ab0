"""End-to-end harness: a virtual desktop, the Win32 probe, tree processes, X input, screenshots.

Everything waits for a condition with a deadline; nothing sleeps a fixed time and hopes.
One desktop serves a whole run (see run.py); tests reach it through `desktop()`.
"""
import json
import os
import shutil
import signal
import subprocess
import tempfile
import time
import unittest
from dataclasses import dataclass

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

WS_POPUP = 0x80000000
WS_VISIBLE = 0x10000000
WS_CAPTION = 0x00C00000
WS_THICKFRAME = 0x00040000
WS_EX_LAYERED = 0x00080000
WS_EX_TOPMOST = 0x00000008
CS_DROPSHADOW = 0x00020000
WM_CLOSE = 0x0010
WM_QUERYENDSESSION = 0x0011
WM_ENDSESSION = 0x0016
RUN_KEY = r"Software\Microsoft\Windows\CurrentVersion\Run"


@dataclass(frozen=True)
class Profile:
    name: str
    settings_key: str
    run_value: str
    about_tag: str
    download_tag: str
    size: tuple          # window size once shown
    stored_height: int   # client height in the form description (placement uses it)
    animated: bool

    @property
    def exe(self):
        return self.name + ".exe"


PROFILES = {
    "Fernlight": Profile("Fernlight", r"Software\Brisling", "Brisling", "png", "png", (200, 250), 250, False),
    "Glimmerlode": Profile("Glimmerlode", r"Software\Glimmerlode", "Glimmerlode", "glimlode", "glimlode", (182, 211), 219, True),
    "Quorrisk": Profile("Quorrisk", r"Software\deskQuorrisk", "deskQuorrisk", "quorr1", "quorr2", (342, 211), 210, True),
    "Vudododoz": Profile("Vudododoz", r"Software\Ambrett", "Ambrett", "ambr1", "ambr2", (190, 225), 223, True),
}


class Timeout(AssertionError):
    pass


def wait_until(condition, timeout=15.0, interval=0.05, what="condition"):
    """Calls condition() until it returns a truthy value; returns that value."""
    deadline = time.monotonic() + timeout
    last = None
    while True:
        last = condition()
        if last:
            return last
        if time.monotonic() > deadline:
            raise Timeout(f"timed out after {timeout:.1f} s waiting for {what} (last: {last!r})")
        time.sleep(interval)


def wine_loader():
    """The Wine loader for the programs the tests run: 64-bit where this kernel runs no 32-bit code."""
    return os.environ.get("TREE_WINE", "/usr/lib/wine/wine64")


def bin_dir():
    return os.environ.get("TREE_WIN_BIN_DIR", os.path.join(ROOT, "build", "x86_64", "bin"))


class Probe:
    """One long-lived probe process: a JSON request per line, a JSON answer per line."""

    def __init__(self, env):
        self.proc = subprocess.Popen([wine_loader(), os.path.join(bin_dir(), "probe.exe")], env=env,
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                     text=True, encoding="utf-8", bufsize=1)

    def call(self, *args):
        self.proc.stdin.write(json.dumps([str(a) for a in args]) + "\n")
        self.proc.stdin.flush()
        line = self.proc.stdout.readline()
        if not line:
            raise RuntimeError("the probe ended")
        answer = json.loads(line)
        if "error" in answer:
            raise RuntimeError(f"probe {args}: {answer['error']}")
        return answer

    def close(self):
        try:
            self.proc.stdin.write('["exit"]\n')
            self.proc.stdin.flush()
            self.proc.wait(timeout=10)
        except Exception:
            self.proc.kill()

    # Windows -------------------------------------------------------------
    def windows(self, exe):
        return self.call("windows", exe)["windows"]

    def pids(self, exe):
        return self.call("pids", exe)["pids"]

    def metrics(self):
        return self.call("metrics")

    def post(self, hwnd, msg, wparam=0, lparam=0):
        return self.call("post", hwnd, msg, wparam, lparam)

    def send(self, hwnd, msg, wparam=0, lparam=0):
        return self.call("send", hwnd, msg, wparam, lparam)

    def clicks(self):
        return self.call("clicks")["clicks"]

    # Registry ------------------------------------------------------------
    def reg_get(self, key, value):
        return self.call("reg-get", key, value)

    def reg_dword(self, key, value):
        v = self.reg_get(key, value)
        return v.get("dword") if v["exists"] else None

    def reg_set_dword(self, key, value, number):
        return self.call("reg-set-dword", key, value, number & 0xFFFFFFFF)

    def reg_set_sz(self, key, value, text):
        return self.call("reg-set-sz", key, value, text)

    def reg_set_raw(self, key, value, type_, hexdata):
        return self.call("reg-set-raw", key, value, type_, hexdata)

    def reg_delete_value(self, key, value):
        return self.call("reg-delete-value", key, value)

    def reg_delete_key(self, key):
        return self.call("reg-delete-key", key)

    def reg_access(self, key, mode):
        return self.call("reg-access", key, mode)


class Shot:
    """A screenshot of the whole virtual screen with pixel reads."""

    def __init__(self, path, width, height, data):
        self.path, self.width, self.height, self.data = path, width, height, data

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])


class Desktop:
    """Xvfb with Composite, xcompmgr, a private Wine prefix, the probe and its wallpaper."""

    def __init__(self, workdir=None):
        self.workdir = workdir or os.path.join(ROOT, "build", "e2e")
        os.makedirs(self.workdir, exist_ok=True)
        self.procs = []
        self.display = None
        self.probe = None
        self.trees = []
        self.env = dict(os.environ)

    # Start and stop ------------------------------------------------------
    def start(self):
        self.display = self._start_xvfb()
        self.env.update({
            "DISPLAY": self.display,
            "WINEPREFIX": os.environ.get("TREE_WINEPREFIX", os.path.join(ROOT, "build", "wineprefix")),
            "WINEDEBUG": "-all",
            "WINEDLLOVERRIDES": "mscoree,mshtml=",
        })
        self.procs.append(subprocess.Popen(["xcompmgr"], env=self.env, stdout=subprocess.DEVNULL,
                                           stderr=subprocess.DEVNULL))
        self._prepare_prefix()
        # A persistent wine server keeps process starts cheap between tests.
        subprocess.run([self._wineserver(), "-p"], env=self.env, check=False)
        self.probe = Probe(self.env)
        self.probe.call("wallpaper")
        self.browser_log = os.path.join(self.workdir, "browser.log")
        self._install_browser_recorder()
        wait_until(lambda: self.screenshot().pixel(8, 8) != self.screenshot().pixel(24, 8), 20, 0.2,
                   "the wallpaper to show")
        return self

    def stop(self):
        for tree in list(self.trees):
            tree.kill()
        if self.probe:
            self.probe.close()
        if "WINEPREFIX" in self.env:
            subprocess.run([self._wineserver(), "-k"], env=self.env, check=False,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for p in reversed(self.procs):
            p.terminate()
            try:
                p.wait(timeout=5)
            except subprocess.TimeoutExpired:
                p.kill()
        self.procs.clear()

    def _wineserver(self):
        for path in ("/usr/lib/wine/wineserver64", "/usr/lib/wine/wineserver", "wineserver"):
            if shutil.which(path) or os.path.exists(path):
                return path
        return "wineserver"

    def _start_xvfb(self):
        for number in range(90, 140):
            if os.path.exists(f"/tmp/.X{number}-lock") or os.path.exists(f"/tmp/.X11-unix/X{number}"):
                continue
            proc = subprocess.Popen(["Xvfb", f":{number}", "-screen", "0", "1280x1024x24", "+extension", "Composite",
                                     "-nolisten", "tcp", "-noreset"], stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL)
            try:
                wait_until(lambda: proc.poll() is not None or os.path.exists(f"/tmp/.X11-unix/X{number}"), 10)
            except Timeout:
                proc.kill()
                continue
            if proc.poll() is None:
                self.procs.append(proc)
                return f":{number}"
        raise RuntimeError("no free X display")

    def _prepare_prefix(self):
        prefix = self.env["WINEPREFIX"]
        if not os.path.exists(os.path.join(prefix, "system.reg")):
            subprocess.run([wine_loader(), "wineboot", "-i"], env=self.env, check=False,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=300)
            subprocess.run([self._wineserver(), "-w"], env=self.env, check=False, timeout=120)

    def _install_browser_recorder(self):
        script = os.path.join(self.workdir, "browser-recorder.sh")
        with open(script, "w") as f:
            f.write(f"#!/bin/sh\nprintf '%s\\n' \"$1\" >> '{self.browser_log}'\n")
        os.chmod(script, 0o755)
        self.probe.reg_set_sz(r"Software\Wine\WineBrowser", "Browsers", script)
        open(self.browser_log, "w").close()

    def browser_calls(self):
        with open(self.browser_log) as f:
            return [line.strip() for line in f if line.strip()]

    # Trees -----------------------------------------------------------------
    def start_tree(self, name, *args, exe_path=None, cwd=None):
        tree = Tree(self, name, list(args), exe_path or os.path.join(bin_dir(), PROFILES[name].exe), cwd)
        self.trees.append(tree)
        return tree

    def reset_settings(self, name):
        p = PROFILES[name]
        self.probe.reg_access(p.settings_key, "full")
        self.probe.reg_delete_key(p.settings_key)
        self.probe.reg_delete_value(RUN_KEY, p.run_value)

    def stop_all_trees(self):
        for tree in list(self.trees):
            tree.close()

    # X input ---------------------------------------------------------------
    def xdotool(self, *args):
        subprocess.run(["xdotool", *[str(a) for a in args]], env=self.env, check=True)

    def move(self, x, y):
        self.xdotool("mousemove", x, y)

    def right_click(self, x, y):
        self.xdotool("mousemove", x, y, "click", 3)

    def left_click(self, x, y):
        self.xdotool("mousemove", x, y, "click", 1)

    def key(self, *names):
        for name in names:
            self.xdotool("key", name)

    def drag(self, x0, y0, x1, y1, steps=8):
        self.xdotool("mousemove", x0, y0, "mousedown", 1)
        for i in range(1, steps + 1):
            self.xdotool("mousemove", x0 + (x1 - x0) * i // steps, y0 + (y1 - y0) * i // steps)
        self.xdotool("mouseup", 1)

    def park_mouse(self):
        """Moves the pointer to a corner where no test puts a tree."""
        self.move(1279, 0)

    # Screenshots -------------------------------------------------------------
    def screenshot(self, name=None):
        path = os.path.join(self.workdir, (name or "last") + ".png")
        subprocess.run(["import", "-display", self.display, "-window", "root", path], env=self.env, check=True)
        raw = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], check=True, stdout=subprocess.PIPE).stdout
        return Shot(path, 1280, 1024, raw)


class Tree:
    """One tree process under Wine."""

    def __init__(self, desktop, name, args, exe_path, cwd):
        self.desktop = desktop
        self.name = name
        self.profile = PROFILES[name]
        self.exe_path = exe_path
        self.proc = subprocess.Popen([wine_loader(), exe_path, *args], env=desktop.env, cwd=cwd,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                     start_new_session=True)
        self.pid = None  # the Windows process id, known once the window shows

    @property
    def exe(self):
        return os.path.basename(self.exe_path)

    def windows(self):
        all_windows = self.desktop.probe.windows(self.exe)
        if self.pid is not None:
            return [w for w in all_windows if w["pid"] == self.pid]
        return all_windows

    def main_window(self, timeout=20):
        """The tree's visible popup window, once it is visible."""
        def find():
            for w in self.windows():
                if w["visible"] and (w["style"] & WS_POPUP) and w["class"] != "#32770" and w["rect"][2] > w["rect"][0]:
                    return w
            return None
        w = wait_until(find, timeout, what=f"{self.name}'s window")
        self.pid = w["pid"]
        return w

    def window(self, hwnd):
        for w in self.desktop.probe.windows(self.exe):
            if w["hwnd"] == hwnd:
                return w
        return None

    def message_boxes(self):
        return [w for w in self.windows() if w["class"] == "#32770" and w["visible"]]

    def wait_message_box(self, timeout=15):
        return wait_until(lambda: (self.message_boxes() or [None])[0], timeout, what=f"an error box of {self.name}")

    def box_text(self, box):
        return [t["text"] for t in box.get("texts", []) if t["class"].lower() == "static" and t["text"]]

    def dismiss_box(self, box):
        self.desktop.probe.post(box["hwnd"], WM_CLOSE)
        wait_until(lambda: not any(b["hwnd"] == box["hwnd"] for b in self.message_boxes()), 10,
                   what="the error box to close")

    def close(self, timeout=20):
        """Asks the tree to close (WM_CLOSE) and waits for the process to end; returns its exit status."""
        if self.proc.poll() is None:
            try:
                for w in self.windows():
                    if w["visible"] and w["class"] != "#32770":
                        self.desktop.probe.post(w["hwnd"], WM_CLOSE)
            except Exception:
                pass
        return self.wait_exit(timeout)

    def wait_exit(self, timeout=20):
        try:
            rc = self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.kill()
            raise Timeout(f"{self.name} did not end within {timeout} s")
        if self in self.desktop.trees:
            self.desktop.trees.remove(self)
        return rc

    def kill(self):
        if self.proc.poll() is None:
            try:
                os.killpg(self.proc.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            self.proc.wait(timeout=10)
        # The Windows side of a killed process may linger in the wine server.
        if self.pid is not None:
            try:
                wait_until(lambda: self.pid not in self.desktop.probe.pids(self.exe), 10, what="the process to go")
            except Timeout:
                pass
        if self in self.desktop.trees:
            self.desktop.trees.remove(self)


_desktop = None


def desktop():
    global _desktop
    if _desktop is None:
        _desktop = Desktop().start()
    return _desktop


def stop_desktop():
    global _desktop
    if _desktop is not None:
        _desktop.stop()
        _desktop = None


class TreeTestCase(unittest.TestCase):
    """Base class: a desktop for the run, and every tree a test started is gone after it."""

    @classmethod
    def setUpClass(cls):
        cls.desk = desktop()
        cls.probe = cls.desk.probe

    def tearDown(self):
        for tree in list(self.desk.trees):
            try:
                for box in tree.message_boxes():
                    tree.dismiss_box(box)
            except Exception:
                pass
            try:
                tree.close(timeout=10)
            except Exception:
                tree.kill()
        self.desk.park_mouse()

    def start_fresh(self, name, *args, **kw):
        """Starts a tree with an empty settings key and no Run value; returns (tree, its window)."""
        self.desk.reset_settings(name)
        tree = self.desk.start_tree(name, *args, **kw)
        return tree, tree.main_window()

    @staticmethod
    def size_of(window):
        l, t, r, b = window["rect"]
        return (r - l, b - t)
