"""The release: the zip, the per-user installer and an uninstaller that leaves nothing behind.

The shipped installer is 32-bit. Where this kernel runs no 32-bit code, the installer that runs
under Wine is its 64-bit twin, built from the same script with the 64-bit programs.
"""
import functools
import os
import re
import shutil
import signal
import subprocess
import tempfile
import unittest
import zipfile

import harness
from harness import PROFILES, RUN_KEY, WM_CLOSE, wait_until

TREES = ("Fernlight", "Glimmerlode", "Quorrisk", "Vudododoz")
UNINSTALL_PARENT = r"Software\Microsoft\Windows\CurrentVersion\Uninstall"
UNINSTALL_KEY = UNINSTALL_PARENT + r"\OrvellaTreeOrnaments"
PRODUCT = "Orvella Tree Ornaments"
WORK = os.path.join(harness.ROOT, "build", "e2e", "package")


def project_version():
    return subprocess.run(["cmake", "-P", os.path.join(harness.ROOT, "packaging", "version.cmake")],
                          check=True, stdout=subprocess.PIPE, text=True).stdout.strip()


def run_arch():
    """The architecture of the programs the tests run (see scripts/common.sh)."""
    return os.path.basename(os.path.dirname(os.path.abspath(harness.bin_dir())))


@functools.lru_cache(maxsize=None)
def package(arch):
    """Builds the zip and the installer of `arch` once per run; returns (zip, installer) or raises SkipTest."""
    if not shutil.which("makensis"):
        raise unittest.SkipTest("makensis is missing (Debian package nsis; scripts/deps.sh installs it)")
    out = os.path.join(WORK, arch)
    shutil.rmtree(out, ignore_errors=True)
    done = subprocess.run([os.path.join(harness.ROOT, "package"), "--arch", arch, "--dist", out, "--no-build"],
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if done.returncode != 0:
        if arch != "i686" and "Target" in done.stdout:
            raise unittest.SkipTest(f"makensis cannot build a {arch} installer here:\n{done.stdout[-800:]}")
        raise AssertionError(f"./package --arch {arch} failed:\n{done.stdout[-3000:]}")
    suffix = "" if arch == "i686" else "-x64"
    base = os.path.join(out, f"OrvellaTreeOrnaments-{project_version()}{suffix}")
    return base + ".zip", base + "-setup.exe"


def zip_programs(path):
    with zipfile.ZipFile(path) as z:
        return {os.path.basename(n): z.read(n) for n in z.namelist() if n.endswith(".exe")}


def version_resource_text(exe_bytes, name):
    """A string of the version resource (UTF-16 name, padding, UTF-16 value)."""
    m = re.search(re.escape(name.encode("utf-16-le")) + rb"(?:\x00\x00)+((?:[^\x00]\x00)+)", exe_bytes)
    return m.group(1).decode("utf-16-le") if m else None


class Bundle(unittest.TestCase):
    """The shipped zip and installer, as built by ./package."""

    @classmethod
    def setUpClass(cls):
        cls.version = project_version()
        cls.zip, cls.installer = package("i686")

    def test_zip_holds_the_four_programs_the_readme_and_the_licence_and_nothing_else(self):
        top = f"OrvellaTreeOrnaments-{self.version}/"
        with zipfile.ZipFile(self.zip) as z:
            self.assertIsNone(z.testzip())
            names = sorted(z.namelist())
            self.assertEqual(names, sorted(top + n for n in
                                           ["Fernlight.exe", "Glimmerlode.exe", "Quorrisk.exe", "Vudododoz.exe",
                                            "ReadMe.txt", "LICENSE.txt"]))
            readme = z.read(top + "ReadMe.txt").decode("ascii")
            licence = z.read(top + "LICENSE.txt").decode("ascii")
        # Plain text that every Windows editor shows as lines.
        for text in (readme, licence):
            self.assertNotIn("\n", text.replace("\r\n", ""))
        self.assertIn(f"Orvella Tree Ornaments {self.version}", readme)
        self.assertIn("Orvella", licence)

    def test_programs_are_the_32_bit_build_and_carry_the_package_version(self):
        programs = zip_programs(self.zip)
        self.assertEqual(sorted(programs), sorted(t + ".exe" for t in TREES))
        for name, data in programs.items():
            with self.subTest(program=name):
                self.assertEqual(data[:2], b"MZ")
                pe = int.from_bytes(data[0x3C:0x40], "little")
                self.assertEqual(data[pe:pe + 4], b"PE\0\0")
                self.assertEqual(int.from_bytes(data[pe + 4:pe + 6], "little"), 0x14C, "not an i386 program")
                self.assertEqual(version_resource_text(data, "ProductVersion"), self.version + ".0")
        with open(self.installer, "rb") as f:
            setup = f.read()
        self.assertEqual(version_resource_text(setup, "ProductVersion"), self.version)

    def test_each_program_in_the_zip_is_byte_identical_to_the_one_in_the_installer(self):
        if not shutil.which("7z"):
            self.skipTest("7z is missing (Debian package p7zip-full) to open the installer")
        with tempfile.TemporaryDirectory(dir=WORK) as out:
            subprocess.run(["7z", "x", "-y", f"-o{out}", self.installer], check=True, stdout=subprocess.DEVNULL)
            packed = {n: open(os.path.join(out, n), "rb").read() for n in os.listdir(out) if n.endswith(".exe")}
            # The uninstaller is written at install time; 7z shows an empty placeholder for it.
            packed.pop("Uninstall.exe", None)
            zipped = zip_programs(self.zip)
            self.assertEqual(sorted(packed), sorted(zipped))
            for name in zipped:
                with self.subTest(program=name):
                    self.assertTrue(packed[name] == zipped[name], f"{name} differs between zip and installer")
            with zipfile.ZipFile(self.zip) as z:
                for text in ("ReadMe.txt", "LICENSE.txt"):
                    inner = next(n for n in z.namelist() if n.endswith("/" + text))
                    self.assertEqual(open(os.path.join(out, text), "rb").read(), z.read(inner))


class Installer(harness.TreeTestCase):
    """The installer under Wine: a silent install, trees from the installed folder, a silent uninstall."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.version = project_version()
        cls.zip, cls.installer = package(run_arch())
        env = cls.desk.env
        cls.env = dict(env)
        # Wine's menu builder would mirror the Start-menu shortcuts into the Linux desktop's menus;
        # switched off so the tests touch nothing outside the prefix.
        cls.probe.reg_set_sz(r"Software\Wine\DllOverrides", "winemenubuilder.exe", "")
        prefix = env["WINEPREFIX"]
        cls.drive_c = os.path.join(prefix, "drive_c")
        os.makedirs(WORK, exist_ok=True)

    def setUp(self):
        for name in TREES:
            self.desk.reset_settings(name)
        # Every Windows has a Run key; a young prefix may not have one yet.
        self.probe.reg_set_sz(RUN_KEY, "TreePackageTest", "x")
        self.probe.reg_delete_value(RUN_KEY, "TreePackageTest")
        # An install that an interrupted run left behind goes first.
        self.uninstall_if_left()
        self.assertFalse(self.entry("DisplayName")["key"], "an earlier install could not be removed")

    # Helpers -------------------------------------------------------------------------------
    def unix(self, windows_path):
        self.assertRegex(windows_path, r"^[Cc]:\\")
        return os.path.join(self.drive_c, *windows_path[3:].split("\\"))

    def entry(self, value):
        return self.probe.reg_get(UNINSTALL_KEY, value)

    def wine(self, *args, timeout=120):
        return subprocess.run([harness.wine_loader(), *args], env=self.env, timeout=timeout,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode

    def export_hkcu(self, name):
        path = os.path.join(WORK, name + ".reg")
        if os.path.exists(path):
            os.remove(path)
        self.assertEqual(self.wine("regedit", "/E", "Z:" + path.replace("/", "\\"), "HKEY_CURRENT_USER"), 0)
        with open(path, "rb") as f:
            text = f.read().decode("utf-16")
        keys, current, pending = {}, None, ""
        for line in text.splitlines():
            line = pending + line.strip() if pending else line
            if line.endswith("\\") and current is not None:
                pending = line[:-1]
                continue
            pending = ""
            if line.startswith("[") and line.endswith("]"):
                current = line[1:-1]
                keys[current] = set()
            elif line and current is not None:
                keys[current].add(line)
        return keys

    def install(self):
        self.assertEqual(self.wine(self.installer, "/S", timeout=180), 0)
        location = self.entry("InstallLocation")
        self.assertTrue(location["exists"], "no uninstall entry after the install")
        self.addCleanup(self.uninstall_if_left)
        return location["text"]

    def start_uninstall(self):
        """Runs the entry's quiet uninstall command, as the system's list of apps would."""
        command = self.entry("QuietUninstallString")["text"]
        m = re.fullmatch(r'"([^"]+)"\s*(.*)', command)
        self.assertIsNotNone(m, command)
        self.assertEqual(m.group(2), "/S")
        # The uninstaller copies itself out of the folder it removes and hands over to the copy.
        self.assertEqual(self.wine(m.group(1), "/S"), 0)

    def wait_uninstalled(self, folder):
        wait_until(lambda: not self.entry("DisplayName")["exists"] and not os.path.exists(self.unix(folder)),
                   60, 0.2, "the uninstall to finish")
        wait_until(lambda: not self.probe.pids("Un.exe"), 30, 0.2, "the uninstaller to end")

    def uninstall_if_left(self):
        if self.entry("QuietUninstallString")["exists"]:
            folder = self.entry("InstallLocation")["text"]
            self.start_uninstall()
            self.wait_uninstalled(folder)

    def start_menu(self):
        folder = os.path.join(self.drive_c, "users")
        found = [os.path.join(r, d) for r, ds, _ in os.walk(folder) for d in ds
                 if d == PRODUCT and os.path.basename(r) == "Programs" and "Start Menu" in r]
        return found

    # Tests -------------------------------------------------------------------------------------
    def test_silent_install_places_programs_shortcuts_and_entry_and_a_tree_registers_its_installed_path(self):
        folder = self.install()
        self.assertTrue(folder.lower().endswith("\\appdata\\local\\programs\\" + PRODUCT.lower()), folder)
        installed = self.unix(folder)
        self.assertEqual(sorted(os.listdir(installed)),
                         sorted([t + ".exe" for t in TREES] + ["ReadMe.txt", "LICENSE.txt", "Uninstall.exe"]))
        zipped = zip_programs(self.zip)
        for t in TREES:
            with open(os.path.join(installed, t + ".exe"), "rb") as f:
                self.assertTrue(f.read() == zipped[t + ".exe"], f"installed {t}.exe differs from the zip's")

        menus = self.start_menu()
        self.assertEqual(len(menus), 1, menus)
        self.assertEqual(sorted(os.listdir(menus[0])), sorted(t + ".lnk" for t in TREES))

        sizes = sum(os.path.getsize(os.path.join(installed, n)) for n in os.listdir(installed))
        expected = {
            "DisplayName": PRODUCT,
            "DisplayIcon": folder + "\\Vudododoz.exe,0",
            "DisplayVersion": self.version,
            "Publisher": "Orvella",
            "UninstallString": f'"{folder}\\Uninstall.exe"',
            "QuietUninstallString": f'"{folder}\\Uninstall.exe" /S',
        }
        for value, text in expected.items():
            with self.subTest(value=value):
                got = self.entry(value)
                self.assertEqual((got["type"], got["text"]), (1, text))  # REG_SZ
        for value in ("NoModify", "NoRepair"):
            self.assertEqual(self.probe.reg_dword(UNINSTALL_KEY, value), 1, value)
        self.assertAlmostEqual(self.probe.reg_dword(UNINSTALL_KEY, "EstimatedSize"), sizes / 1024, delta=16)

        # The installer registers no tree for start-up: each tree does that at its first start.
        for t in TREES:
            self.assertFalse(self.probe.reg_get(RUN_KEY, PROFILES[t].run_value)["exists"], t)

        # A tree started through its shortcut registers the installed program.
        shortcut = folder.split("\\AppData\\")[0] + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\" \
            + PRODUCT + "\\Glimmerlode.lnk"
        self.assertTrue(os.path.exists(self.unix(shortcut)), shortcut)
        self.assertEqual(self.wine("start", shortcut), 0)
        window = wait_until(lambda: next((w for w in self.probe.windows("Glimmerlode.exe")
                                          if w["visible"] and w["class"] != "#32770"), None), 30,
                            what="Glimmerlode's window")
        run = wait_until(lambda: self.probe.reg_get(RUN_KEY, "Glimmerlode")["exists"] and
                         self.probe.reg_get(RUN_KEY, "Glimmerlode"), 10, what="the Run value")
        self.assertEqual((run["type"], run["text"]), (1, folder + "\\Glimmerlode.exe"))
        self.probe.post(window["hwnd"], WM_CLOSE)
        wait_until(lambda: not self.probe.pids("Glimmerlode.exe"), 20, what="Glimmerlode to end")

    def test_silent_uninstall_closes_running_trees_waits_for_their_save_and_leaves_nothing(self):
        before = self.export_hkcu("hkcu-before")
        folder = self.install()
        installed = self.unix(folder)
        menu = self.start_menu()
        # Started by the installed file's Linux path, which Wine reports as the C: path.
        trees = {name: self.desk.start_tree(name, exe_path=os.path.join(installed, name + ".exe"))
                 for name in ("Fernlight", "Vudododoz")}
        for name, tree in trees.items():
            tree.main_window()
            self.assertEqual(self.probe.reg_get(RUN_KEY, PROFILES[name].run_value)["text"],
                             folder + "\\" + name + ".exe")
            # A first start writes no position; only the save at the close does.
            self.assertIsNone(self.probe.reg_dword(PROFILES[name].settings_key, "Left"))

        # A stopped process stands for a tree that takes its time to save: the uninstaller
        # must wait for it, with its files and keys still in place.
        slow, quick = trees["Vudododoz"], trees["Fernlight"]
        os.kill(slow.proc.pid, signal.SIGSTOP)
        try:
            self.start_uninstall()
            self.assertEqual(quick.wait_exit(30), 0)
            quick_key = PROFILES["Fernlight"].settings_key
            self.assertIsNotNone(self.probe.reg_dword(quick_key, "Left"), "Fernlight ended without saving")
            self.assertIsNotNone(self.probe.reg_dword(quick_key, "Top"))
            self.assertTrue(os.path.exists(os.path.join(installed, "Fernlight.exe")))
            self.assertTrue(self.entry("DisplayName")["exists"])
            # Still a live Windows process: not ended by force while it had time left.
            self.assertIsNone(slow.proc.poll())
            self.assertIn(slow.pid, self.probe.pids("Vudododoz.exe"))
        finally:
            os.kill(slow.proc.pid, signal.SIGCONT)
        self.assertEqual(slow.wait_exit(30), 0, "Vudododoz was ended instead of closed")
        self.wait_uninstalled(folder)

        self.assertFalse(os.path.exists(installed))
        self.assertFalse(os.path.exists(menu[0]))
        self.assertEqual(self.start_menu(), [])
        for t in TREES:
            p = PROFILES[t]
            self.assertFalse(self.probe.reg_get(RUN_KEY, p.run_value)["exists"], t)
            self.assertFalse(self.probe.reg_get(p.settings_key, "Left")["key"], p.settings_key)
        self.assertFalse(self.entry("DisplayName")["key"])
        after = self.export_hkcu("hkcu-after")
        for t in TREES:
            self.assertNotIn("HKEY_CURRENT_USER\\" + PROFILES[t].settings_key, after)
        self.assertNotIn("HKEY_CURRENT_USER\\" + UNINSTALL_KEY, after)
        self.assertEqual(sorted(set(after) - set(before)), [], "keys left behind")
        self.assertEqual(sorted(set(before) - set(after)), [], "keys removed that were not ours")
        changed = {k: (sorted(before[k] - after[k]), sorted(after[k] - before[k]))
                   for k in before if before[k] != after[k]}
        self.assertEqual(changed, {}, "values changed outside the trees' own")


if __name__ == "__main__":
    unittest.main()
