"""Load: twenty extra trees of one program, then a log-off. Every tree saves and ends with status 0,
and the settings key holds the complete values of one of them.

The log-off is the system's: first every top-level window of the trees is asked whether the
session may end (WM_QUERYENDSESSION), then every one is told that it ends (WM_ENDSESSION).
"""
import harness
from harness import PROFILES, RUN_KEY, WM_ENDSESSION, WM_QUERYENDSESSION, WS_POPUP, wait_until

NAME = "Vudododoz"
COUNT = 20
REG_DWORD = 4


def signed32(value):
    return value - (1 << 32) if value >= 1 << 31 else value


class LogOffWithManyTrees(harness.TreeTestCase):
    def tree_windows(self):
        """The visible tree window of each process, by Windows process id."""
        shown = {}
        for w in self.probe.windows(PROFILES[NAME].exe):
            if w["visible"] and (w["style"] & WS_POPUP) and w["class"] not in ("#32770", "#32768") \
                    and w["rect"][2] > w["rect"][0]:
                shown[w["pid"]] = w
        return shown

    def test_twenty_extra_trees_all_save_and_end_at_log_off(self):
        profile = PROFILES[NAME]
        self.desk.reset_settings(NAME)
        trees = [self.desk.start_tree(NAME, "add") for _ in range(COUNT)]
        shown = wait_until(lambda: (lambda s: s if len(s) == COUNT else None)(self.tree_windows()), 150, 0.5,
                           f"{COUNT} trees to show")
        positions = {(w["rect"][0], w["rect"][1]) for w in shown.values()}
        self.assertEqual([t for t in trees if t.proc.poll() is not None], [], "a tree ended before the log-off")

        everything = self.probe.windows(profile.exe)
        self.assertEqual([w for w in everything if w["class"] == "#32770" and w["visible"]], [],
                         "an error box showed before the log-off")
        for w in everything:
            answer = self.probe.send(w["hwnd"], WM_QUERYENDSESSION, 0, 0)
            self.assertTrue(answer["ok"], f"no answer to the end-session question from {w}")
            self.assertEqual(answer["result"], 1, f"a window refused the end of the session: {w}")
        for w in everything:
            # A window of a process that has already ended cannot answer; that is fine.
            self.probe.send(w["hwnd"], WM_ENDSESSION, 1, 0)

        statuses = [tree.wait_exit(timeout=60) for tree in trees]
        self.assertEqual(statuses, [0] * COUNT)
        self.assertEqual(self.probe.pids(profile.exe), [])

        values = {name: self.probe.reg_get(profile.settings_key, name) for name in ("OnTop", "TrVal", "Top", "Left")}
        for name, value in values.items():
            self.assertTrue(value["exists"], f"{name} was not saved")
            self.assertEqual(value["type"], REG_DWORD, f"{name}: {value}")
        saved = (signed32(values["Left"]["dword"]), signed32(values["Top"]["dword"]))
        self.assertIn(saved, positions, "the saved place is not that of any of the trees")
        # Extra trees never register themselves for start-up.
        self.assertFalse(self.probe.reg_get(RUN_KEY, profile.run_value)["exists"])
