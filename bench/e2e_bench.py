#!/usr/bin/env python3
"""End-to-end figures of the four trees under Wine on the virtual desktop, each next to the
floor programs of bench/win32 measured in the same run:

- start-up: time from the process start to its window being visible (median of several starts),
  against minimal_window.exe at the tree's size;
- CPU: over a window of animation (or rest, for Fernlight), from /proc of the tree's Wine
  processes, against least_animation.exe at the tree's size and frame period;
- memory: peak (VmHWM) and steady (VmRSS) against minimal_window.exe.

usage: e2e_bench.py [--quick] [--starts N] [--seconds S]
       e2e_bench.py --long [--changes N] [--minutes M]   (the soak: level changes and a long run)
"""
import argparse
import os
import statistics
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import harness  # noqa: E402
from harness import PROFILES, WS_POPUP, wait_until  # noqa: E402

TICKS = os.sysconf("SC_CLK_TCK")
PAGE = os.sysconf("SC_PAGE_SIZE")
# Frame period of each animated tree, in milliseconds.
PERIODS = {"Glimmerlode": 100, "Quorrisk": 200, "Vudododoz": 70}
MINIMAL = "minimal_window.exe"
IMPORTS = "minimal_imports.exe"  # the plain window with the trees' system DLLs loaded
# The animated trees show blended at 230 at their default level ("10%"); so does the blended floor.
LEAST = "least_animation.exe"


class Program:
    """One Windows program under Wine. Its Linux processes are those of its own session."""

    def __init__(self, desk, exe, *args):
        self.desk = desk
        self.exe = exe
        self.started = time.monotonic()
        self.proc = subprocess.Popen([harness.wine_loader(), os.path.join(harness.bin_dir(), exe), *map(str, args)],
                                     env=desk.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                     start_new_session=True)
        self.pid = None  # Windows process id, once its window shows

    def linux_pids(self):
        pids = []
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                with open(f"/proc/{entry}/stat") as f:
                    fields = f.read().rsplit(")", 1)[1].split()
            except OSError:
                continue
            if int(fields[3]) == self.proc.pid:  # field 6 of stat: the session id
                pids.append(int(entry))
        return pids

    def cpu_seconds(self):
        total = 0
        for pid in self.linux_pids():
            try:
                with open(f"/proc/{pid}/stat") as f:
                    fields = f.read().rsplit(")", 1)[1].split()
            except OSError:
                continue
            total += int(fields[11]) + int(fields[12])  # utime, stime of every thread, ended ones included
        return total / TICKS

    def memory_kib(self):
        """(VmHWM, VmRSS) summed over the program's processes, in KiB."""
        peak = rss = 0
        for pid in self.linux_pids():
            try:
                with open(f"/proc/{pid}/status") as f:
                    for line in f:
                        if line.startswith("VmHWM:"):
                            peak += int(line.split()[1])
                        elif line.startswith("VmRSS:"):
                            rss += int(line.split()[1])
            except OSError:
                continue
        return peak, rss

    def visible_window(self, known_pids=()):
        for w in self.desk.probe.windows(self.exe):
            if (w["visible"] and (w["style"] & WS_POPUP) and w["class"] not in ("#32770", "#32768")
                    and w["rect"][2] > w["rect"][0] and w["pid"] not in known_pids
                    and (self.pid is None or w["pid"] == self.pid)):
                return w
        return None

    def wait_visible(self, known_pids=(), timeout=60):
        w = wait_until(lambda: self.visible_window(known_pids), timeout, 0.01, f"{self.exe}'s window")
        self.pid = w["pid"]
        return w

    def close(self, timeout=20):
        if self.proc.poll() is None:
            for w in self.desk.probe.windows(self.exe):
                if self.pid is None or w["pid"] == self.pid:
                    if w["visible"] and w["class"] not in ("#32770", "#32768"):
                        self.desk.probe.post(w["hwnd"], harness.WM_CLOSE)
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.kill()
            return None

    def kill(self):
        if self.proc.poll() is None:
            try:
                os.killpg(self.proc.pid, 9)
            except ProcessLookupError:
                pass
            self.proc.wait(timeout=10)


def tree_program(desk, name, *args):
    return Program(desk, PROFILES[name].exe, *args)


def floor_args(name):
    w, h = PROFILES[name].size
    return w, h


# --- start-up ------------------------------------------------------------------------------

def start_seconds(desk, make):
    """Seconds from the process start until its window is visible; then closes it."""
    prog = make()
    try:
        prog.wait_visible()
        elapsed = time.monotonic() - prog.started
    finally:
        prog.close()
    return elapsed


def measure_startup(desk, starts):
    results = {}
    # One unmeasured start of each warms the file cache and the wine server.
    for name in PROFILES:
        start_seconds(desk, lambda: tree_program(desk, name))
    start_seconds(desk, lambda: Program(desk, MINIMAL, 190, 225))
    for name in PROFILES:
        tree, floor, imports = [], [], []
        for _ in range(starts):
            # Interleaved, so that a change in the machine's load falls on all alike.
            tree.append(start_seconds(desk, lambda: tree_program(desk, name)))
            floor.append(start_seconds(desk, lambda: Program(desk, MINIMAL, *floor_args(name))))
            imports.append(start_seconds(desk, lambda: Program(desk, IMPORTS, *floor_args(name))))
        results[name] = (statistics.median(tree), statistics.median(floor), statistics.median(imports), tree, floor)
    return results


# --- CPU and memory ------------------------------------------------------------------------

def measure_running(desk, seconds):
    """Every tree and its floors side by side for `seconds`; CPU and memory of each."""
    progs = {}
    try:
        for name in PROFILES:
            w, h = floor_args(name)
            progs[name] = {"tree": tree_program(desk, name), "minimal": Program(desk, MINIMAL, w, h),
                           "imports": Program(desk, IMPORTS, w, h)}
            if name in PERIODS:
                progs[name]["least"] = Program(desk, LEAST, w, h, PERIODS[name])
                progs[name]["least-blended"] = Program(desk, LEAST, w, h, PERIODS[name], 230)
        for group in progs.values():
            for prog in group.values():
                prog.wait_visible()
        # Start-up work (decoding, the first paints) is not part of the figure.
        settle = time.monotonic() + 3
        while time.monotonic() < settle:
            time.sleep(0.2)
        before = {(n, k): p.cpu_seconds() for n, g in progs.items() for k, p in g.items()}
        t0 = time.monotonic()
        end = t0 + seconds
        while time.monotonic() < end:
            time.sleep(min(1.0, max(0.0, end - time.monotonic())))
        wall = time.monotonic() - t0
        results = {}
        for n, g in progs.items():
            results[n] = {}
            for k, p in g.items():
                cpu = p.cpu_seconds() - before[(n, k)]
                results[n][k] = {"cpu": cpu, "share": cpu / wall, "mem": p.memory_kib(), "alive": p.proc.poll() is None}
        return results, wall
    finally:
        for group in progs.values():
            for prog in group.values():
                prog.close()


# --- tables --------------------------------------------------------------------------------

def verdict(ok):
    return "ok" if ok else "MISSED"


def print_tables(startup, running, wall, starts):
    print(f"\nStart-up to a visible window, median of {starts} starts (seconds)")
    print(f"{'tree':<12} {'tree':>8} {'minimal':>8} {'ratio':>7}  {'goal <= 1.2x':<12} "
          f"{'minimal with the trees DLLs':>28}")
    for name, (t, m, mi, ts, ms) in startup.items():
        ratio = t / m if m else float("inf")
        print(f"{name:<12} {t:8.3f} {m:8.3f} {ratio:6.2f}x  {verdict(ratio <= 1.2):<12} "
              f"{mi:8.3f} ({t / mi:.2f}x)"
              f"   (tree {', '.join(f'{x:.2f}' for x in ts)}; minimal {', '.join(f'{x:.2f}' for x in ms)})")

    print(f"\nCPU over {wall:.0f} s, per cent of one core (CPU seconds)")
    print(f"{'tree':<12} {'tree':>14} {'floor':>14} {'ratio':>7}  goal"
          f"{'':<44} floor layered (ratio)")
    for name, r in running.items():
        tree = r["tree"]
        if "least" in r:
            floor = r["least"]
            ratio = tree["cpu"] / floor["cpu"] if floor["cpu"] else float("inf")
            note = f"{verdict(ratio <= 1.1)} (<= 1.1x least animation at {PERIODS[name]} ms)"
            blended = r["least-blended"]
            note = f"{note:<50} {blended['share'] * 100:6.2f}% ({blended['cpu']:5.2f}) " \
                   f"({tree['cpu'] / blended['cpu'] if blended['cpu'] else float('inf'):.2f}x)"
        else:
            floor = r["minimal"]
            ratio = tree["cpu"] / floor["cpu"] if floor["cpu"] else (1.0 if tree["cpu"] == 0 else float("inf"))
            # Nothing measurable: no more than one clock tick per 10 s of rest above the plain window.
            extra = tree["cpu"] - floor["cpu"]
            note = f"{verdict(extra <= wall / 10 / TICKS)} (at rest, nothing above the plain window: +{extra * 1000:.0f} ms)"
        print(f"{name:<12} {tree['share'] * 100:6.2f}% ({tree['cpu']:5.2f}) {floor['share'] * 100:6.2f}% "
              f"({floor['cpu']:5.2f}) {ratio:6.2f}x  {note}")

    print("\nMemory of the Wine process (MiB): peak VmHWM and steady VmRSS, against the plain window")
    print(f"{'tree':<12} {'peak':>7} {'minimal':>8} {'+':>6}   {'steady':>7} {'minimal':>8} {'+':>6}  "
          f"{'goal <= +4 MiB':<14}  steady of the minimal with the trees' DLLs (+)")
    for name, r in running.items():
        (tp, tr), (mp, mr), (ip, ir) = r["tree"]["mem"], r["minimal"]["mem"], r["imports"]["mem"]
        dp, dr = (tp - mp) / 1024, (tr - mr) / 1024
        print(f"{name:<12} {tp / 1024:7.1f} {mp / 1024:8.1f} {dp:+6.1f}   {tr / 1024:7.1f} {mr / 1024:8.1f} {dr:+6.1f}  "
              f"{verdict(max(dp, dr) <= 4):<14}  {ir / 1024:6.1f} ({(tr - ir) / 1024:+.1f})")
    for name, r in running.items():
        for kind, m in r.items():
            if not m["alive"]:
                print(f"warning: {name} {kind} ended during the measurement")


# --- the long run ----------------------------------------------------------------------------

WM_COMMAND = 0x0111
# The popup menu numbers its items from 100 in the order of the form description: the menu
# itself, About, Download and its four items, the separator, Transparent, then "0%" ... "90%".
FIRST_LEVEL_COMMAND = 109


def expected_alpha(level):
    return None if level == 0 else 255 - 25 * level


def level_changes(desk, name, changes, report):
    """Chooses Transparent levels with the menu's own command message; memory from /proc and
    the GDI objects our layer counts, at the start and the end."""
    desk.reset_settings(name)
    prog = tree_program(desk, name)
    window = prog.wait_visible()
    hwnd = window["hwnd"]
    count_message = desk.probe.call("message-id", "PlatLiveGdiObjects")["id"]

    def gdi_objects():
        answer = desk.probe.send(hwnd, count_message)
        return answer["result"] if answer["ok"] else None

    settle = time.monotonic() + 3
    while time.monotonic() < settle:
        time.sleep(0.2)
    start = (prog.memory_kib(), gdi_objects())
    matched = 0
    t0 = time.monotonic()
    for i in range(changes):
        level = (i + 1) % 10  # 1, 2, ... 9, 0, 1, ...: every choice differs from the last
        desk.probe.send(hwnd, WM_COMMAND, FIRST_LEVEL_COMMAND + level, 0)
        w = prog.visible_window()
        if w is not None:
            layered = w["layered"]["ok"] and (w["exstyle"] & harness.WS_EX_LAYERED)
            matched += (w["layered"]["alpha"] if layered else None) == expected_alpha(level)
        if (i + 1) % 100 == 0:
            peak, rss = prog.memory_kib()
            report(f"  {name}: {i + 1:5d} changes, {time.monotonic() - t0:6.1f} s, "
                   f"VmRSS {rss / 1024:6.1f} MiB, VmHWM {peak / 1024:6.1f} MiB, GDI objects {gdi_objects()}")
    end = (prog.memory_kib(), gdi_objects())
    rc = prog.close()
    return start, end, matched, rc


def long_run(desk, name, minutes, report):
    """One animated tree running for `minutes`, its memory sampled every 30 s."""
    prog = tree_program(desk, name, "add")
    prog.wait_visible()
    samples = []
    t0 = time.monotonic()
    next_sample = t0
    end = t0 + minutes * 60
    while True:
        now = time.monotonic()
        if now >= next_sample:
            peak, rss = prog.memory_kib()
            samples.append((now - t0, rss, peak, prog.cpu_seconds()))
            report(f"  {name}: {now - t0:6.0f} s  VmRSS {rss / 1024:6.1f} MiB  VmHWM {peak / 1024:6.1f} MiB  "
                   f"CPU {samples[-1][3]:6.2f} s")
            next_sample += 30
        if now >= end or prog.proc.poll() is not None:
            break
        time.sleep(min(1.0, max(0.0, min(next_sample, end) - now)))
    rc = prog.close()
    return samples, rc


def run_long(desk, changes, minutes):
    lock = threading.Lock()

    def report(line):
        with lock:
            print(line, flush=True)

    out = {}
    # The long run and the level changes go side by side, so the whole takes the long run's time.
    runner = threading.Thread(target=lambda: out.update(long=long_run(desk, "Glimmerlode", minutes, report)))
    runner.start()
    try:
        out["levels"] = level_changes(desk, "Vudododoz", changes, report)
    finally:
        runner.join()
    ((p0, r0), g0), ((p1, r1), g1), matched, rc = out["levels"]
    print(f"\n{changes} level changes on Vudododoz: VmRSS {r0 / 1024:.1f} -> {r1 / 1024:.1f} MiB "
          f"({(r1 - r0) / 1024:+.2f}), VmHWM {p0 / 1024:.1f} -> {p1 / 1024:.1f} MiB, GDI objects {g0} -> {g1}; "
          f"window alpha matched the level after {matched} of {changes}; exit status {rc}")
    samples, rc = out["long"]
    rss = [s[1] for s in samples]
    print(f"Glimmerlode for {minutes} min: VmRSS min {min(rss) / 1024:.1f}, max {max(rss) / 1024:.1f} MiB "
          f"(first {rss[0] / 1024:.1f}, last {rss[-1] / 1024:.1f}; {len(samples)} samples); "
          f"CPU {samples[-1][3] - samples[0][3]:.1f} s; exit status {rc}")
    desk.reset_settings("Vudododoz")
    desk.reset_settings("Glimmerlode")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--quick", action="store_true", help="2 starts and a 10 s window")
    parser.add_argument("--starts", type=int)
    parser.add_argument("--seconds", type=float)
    parser.add_argument("--long", action="store_true", help="the long run instead of the figures")
    parser.add_argument("--changes", type=int, default=1000)
    parser.add_argument("--minutes", type=float, default=10)
    args = parser.parse_args()
    starts = args.starts or (2 if args.quick else 5)
    seconds = args.seconds or (10 if args.quick else 30)

    for exe in [MINIMAL, IMPORTS, LEAST] + [p.exe for p in PROFILES.values()]:
        if not os.path.exists(os.path.join(harness.bin_dir(), exe)):
            sys.exit(f"{exe} is not built in {harness.bin_dir()}")
    desk = harness.Desktop(os.path.join(harness.ROOT, "build", "bench-e2e")).start()
    try:
        print(f"Under {os.path.basename(harness.wine_loader())}, programs from {harness.bin_dir()}", flush=True)
        if args.long:
            run_long(desk, args.changes, args.minutes)
            return
        startup = measure_startup(desk, starts)
        running, wall = measure_running(desk, seconds)
        print_tables(startup, running, wall, starts)
        for name in PROFILES:
            desk.reset_settings(name)
    finally:
        desk.stop()


if __name__ == "__main__":
    main()
