#!/usr/bin/env python3
"""Runs the end-to-end tests on one virtual desktop and writes the counts for ./test.

usage: run.py [--results FILE] [PATTERN]   (PATTERN selects tests whose id contains it)
"""
import argparse
import json
import os
import signal
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402


class Result(unittest.TextTestResult):
    def startTest(self, test):
        self._started = time.monotonic()
        super().startTest(test)

    def stopTest(self, test):
        super().stopTest(test)


def collect(suite):
    for item in suite:
        if isinstance(item, unittest.TestSuite):
            yield from collect(item)
        else:
            yield item


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--results", default=os.path.join(harness.ROOT, "build", "e2e", "results.json"))
    parser.add_argument("pattern", nargs="?", default="")
    args = parser.parse_args()

    here = os.path.dirname(os.path.abspath(__file__))
    loaded = unittest.defaultTestLoader.discover(here, pattern="test_*.py", top_level_dir=here)
    tests = [t for t in collect(loaded) if args.pattern.lower() in t.id().lower()]
    suite = unittest.TestSuite(tests)

    def on_signal(signum, frame):
        harness.stop_desktop()
        sys.exit(1)

    signal.signal(signal.SIGTERM, on_signal)
    os.makedirs(os.path.dirname(args.results), exist_ok=True)
    try:
        runner = unittest.TextTestRunner(verbosity=2, resultclass=Result, stream=sys.stdout)
        result = runner.run(suite) if tests else None
    finally:
        harness.stop_desktop()

    if result is None:
        counts = {"passed": 0, "failed": 0, "skipped": 0}
    else:
        failed = len(result.failures) + len(result.errors) + len(result.unexpectedSuccesses)
        skipped = len(result.skipped)
        counts = {"passed": result.testsRun - failed - skipped, "failed": failed, "skipped": skipped}
    with open(args.results, "w") as f:
        json.dump(counts, f)
    print(f"e2e: {counts['passed']} passed, {counts['failed']} failed, {counts['skipped']} skipped")
    return 1 if counts["failed"] else 0


if __name__ == "__main__":
    sys.exit(main())
