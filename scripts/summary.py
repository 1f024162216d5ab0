#!/usr/bin/env python3
"""Adds up CTest JUnit files and the end-to-end counts; prints 'N passed, M failed, K skipped'."""
import json
import sys
import xml.etree.ElementTree as ET

passed = failed = skipped = 0
for path in sys.argv[1:]:
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
        if case.find("failure") is not None or case.find("error") is not None:
            failed += 1
        elif case.find("skipped") is not None or status in ("notrun", "disabled"):
            skipped += 1
        else:
            passed += 1
print(f"{passed} passed, {failed} failed, {skipped} skipped")
sys.exit(1 if failed else 0)
