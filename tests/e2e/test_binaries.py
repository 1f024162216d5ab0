"""The shipped executables are 32-bit and import only system DLLs; so does their 64-bit twin."""
import os
import re
import subprocess
import unittest

import harness

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "msvcrt.dll",
               "comctl32.dll"}
TREES = [p.exe for p in harness.PROFILES.values()]


def imports_and_machine(objdump, path):
    out = subprocess.run([objdump, "-p", path], check=True, stdout=subprocess.PIPE, text=True).stdout
    dlls = {m.lower() for m in re.findall(r"DLL Name: (\S+)", out)}
    magic = re.search(r"^Magic\s+(\w+)", out, re.M).group(1)
    return dlls, magic


class Binaries(unittest.TestCase):
    def check(self, folder, objdump, magic):
        for exe in TREES:
            with self.subTest(exe=exe, folder=folder):
                path = os.path.join(folder, exe)
                self.assertTrue(os.path.exists(path), path)
                dlls, found = imports_and_machine(objdump, path)
                self.assertEqual(found, magic)  # 010b: PE32, 020b: PE32+
                self.assertTrue(dlls, "no imports read")
                self.assertLessEqual(dlls, SYSTEM_DLLS, f"non-system imports: {dlls - SYSTEM_DLLS}")

    def test_shipped_programs_are_32_bit_and_import_only_system_dlls(self):
        folder = os.environ.get("TREE_SHIP_BIN_DIR", os.path.join(harness.ROOT, "build", "i686", "bin"))
        self.check(folder, "i686-w64-mingw32-objdump", "010b")

    def test_the_programs_the_tests_run_import_only_system_dlls(self):
        folder = harness.bin_dir()
        if folder.rstrip("/").endswith("i686/bin"):
            self.skipTest("the tests run the shipped build itself")
        self.check(folder, "x86_64-w64-mingw32-objdump", "020b")
