#!/usr/bin/env python3
"""CPU time and memory of each animated tree while it animates, on a virtual desktop.

usage: bench/animated_cost.py [SECONDS] [TREE...]   (default 30 s, all three animated trees)

For each tree: start it fresh, let it settle, then measure over SECONDS the CPU time of
the tree's process and of the display side that paints for it (Wine's server, the X
server, the compositing manager), and the tree's resident memory. Build first
(scripts/build.sh); the figures are printed, not judged.
"""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import harness  # noqa: E402

TICK = os.sysconf("SC_CLK_TCK")
FRAMES_PER_SECOND = {"Glimmerlode": 1000 / 100, "Quorrisk": 1000 / 200, "Vudododoz": 1000 / 70}


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICK  # utime + stime


def memory_kib(pid):
    out = {}
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            key, _, value = line.partition(":")
            if key in ("VmRSS", "VmHWM", "RssAnon"):
                out[key] = int(value.split()[0])
    return out


def pids_named(*names):
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/cmdline", "rb") as f:
                cmd = f.read().split(b"\0")[0].decode(errors="replace")
        except OSError:
            continue
        if os.path.basename(cmd) in names:
            found.append(int(entry))
    return found


def main():
    args = sys.argv[1:]
    seconds = float(args.pop(0)) if args and args[0].replace(".", "").isdigit() else 30.0
    trees = args or ["Glimmerlode", "Quorrisk", "Vudododoz"]
    desk = harness.Desktop().start()
    try:
        display_side = [p.pid for p in desk.procs] + pids_named("wineserver64", "wineserver")
        print(f"{'tree':<12} {'frames/s':>8} {'tree CPU':>10} {'display CPU':>12} {'RSS':>9} {'peak RSS':>9}")
        for name in trees:
            desk.reset_settings(name)
            tree = desk.start_tree(name)
            tree.main_window()
            desk.park_mouse()
            time.sleep(2)  # start-up work is not part of the animation
            pid = tree.proc.pid
            t0, c0 = time.monotonic(), cpu_seconds(pid)
            d0 = sum(cpu_seconds(p) for p in display_side if os.path.exists(f"/proc/{p}"))
            time.sleep(seconds)
            t1, c1 = time.monotonic(), cpu_seconds(pid)
            d1 = sum(cpu_seconds(p) for p in display_side if os.path.exists(f"/proc/{p}"))
            mem = memory_kib(pid)
            scale = seconds / (t1 - t0)
            rate = FRAMES_PER_SECOND.get(name, 0)
            print(f"{name:<12} {rate:>8.1f} {(c1 - c0) * scale:>8.2f} s {(d1 - d0) * scale:>10.2f} s "
                  f"{mem.get('VmRSS', 0) / 1024:>6.1f} MiB {mem.get('VmHWM', 0) / 1024:>6.1f} MiB")
            tree.close()
        print(f"(CPU time over {seconds:.0f} s of animation; RSS of the tree's Wine process, "
              f"which includes Wine's own libraries)")
    finally:
        desk.stop()


if __name__ == "__main__":
    main()
