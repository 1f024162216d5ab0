"""Each program starts, shows one borderless window of its size, and ends cleanly on a close request."""
import harness
from harness import PROFILES, WS_CAPTION, WS_POPUP, WS_THICKFRAME


class StartAndClose(harness.TreeTestCase):
    def test_each_tree_shows_one_borderless_window_and_closes_with_status_0(self):
        for name, profile in PROFILES.items():
            with self.subTest(tree=name):
                tree, window = self.start_fresh(name)
                visible = [w for w in tree.windows() if w["visible"]]
                self.assertEqual(len(visible), 1, visible)
                self.assertEqual(self.size_of(window), profile.size)
                self.assertTrue(window["style"] & WS_POPUP)
                self.assertFalse(window["style"] & (WS_CAPTION | WS_THICKFRAME))
                self.assertEqual(tree.close(), 0)
                self.assertEqual(self.probe.pids(profile.exe), [])
