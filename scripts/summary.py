#!/usr/bin/env python3
"""Adds up CTest JUnit files and the end-to-end counts; prints 'N passed, M failed, K skipped'.

A CTest test that is a whole GoogleTest executable (the ones run under Wine) counts by its
cases when that executable left its XML report in --gtest-dir.
"""
import json
import os
import sys
import xml.etree.ElementTree as ET

gtest_dir = None
args = sys.argv[1:]
if len(args) >= 2 and args[0] == "--gtest-dir":
    gtest_dir, args = args[1], args[2:]


def gtest_counts(name):
    path = os.path.join(gtest_dir, name + ".xml") if gtest_dir else None
    if not path or not os.path.exists(path):
        return None
    p = f = s = 0
    for case in ET.parse(path).getroot().iter("testcase"):
        if case.find("failure") is not None:
            f += 1
        elif case.find("skipped") is not None or case.get("result") == "skipped":
            s += 1
        else:
            p += 1
    return p, f, s

passed = failed = skipped = 0
for path in args:
    try:
        if path.endswith(".json"):
            with open(path) as f:
                c = json.load(f)
            passed += c["passed"]; failed += c["failed"]; skipped += c["skipped"]
            continue
        root = ET.parse(path).getroot()
    except (OSError, ValueError, ET.ParseError) as e:
        print(f"missing results {path}: {e}", file=sys.stderr)
        failed += 1
        continue
    for case in root.iter("testcase"):
        status = case.get("status", "run")
        broke = case.find("failure") is not None or case.find("error") is not None
        inner = gtest_counts(case.get("name", ""))
        if inner is not None:
            passed += inner[0]; failed += inner[1]; skipped += inner[2]
            if broke and inner[1] == 0:
                failed += 1  # crashed or timed out after its report
            continue
        if broke:
            failed += 1
        elif case.find("skipped") is not None or status in ("notrun", "disabled"):
            skipped += 1
        else:
            passed += 1
print(f"{passed} passed, {failed} failed, {skipped} skipped")
sys.exit(1 if failed else 0)
