#!/usr/bin/env python3
"""Adds up JUnit-style result files (CTest's and GoogleTest's) into one closing line."""
import sys
import xml.etree.ElementTree as ET


def count(path):
    passed = failed = skipped = 0
    for case in ET.parse(path).getroot().iter("testcase"):
        if case.find("failure") is not None or case.find("error") is not None:
            failed += 1
        elif case.find("skipped") is not None or case.get("status") == "notrun":
            skipped += 1
        else:
            passed += 1
    return passed, failed, skipped


def main(paths):
    totals = [0, 0, 0]
    for path in paths:
        for i, n in enumerate(count(path)):
            totals[i] += n
    passed, failed, skipped = totals
    print(f"tests: {passed} passed, {failed} failed" + (f", {skipped} skipped" if skipped else ""))
    return 0 if failed == 0 and passed > 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
