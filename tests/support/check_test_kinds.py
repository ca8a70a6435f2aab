#!/usr/bin/env python3
"""Every test of a build has exactly one kind (its label) and, where it uses a
display, the lock that keeps it from running beside another test on that display.
A test without them would run unlocked beside the display tests under ctest -j.

    check_test_kinds.py CTEST BUILD_DIR
"""
import json
import subprocess
import sys

KINDS = {"logic", "platform", "display", "checks"}
# The lock a display test must hold: that of its kind of session of its own
# (none where the session's prefix is its alone), or else the shared display's.
SESSION_LOCKS = {"two-monitors": "two_monitor_prefix", "own-display": None}


def properties(test):
    return {item["name"]: item["value"] for item in test.get("properties", [])}


def problems(tests):
    found = []
    for test in tests:
        name = test["name"]
        props = properties(test)
        labels = set(props.get("LABELS", []))
        locks = set(props.get("RESOURCE_LOCK", []))
        kinds = sorted(labels & KINDS)
        if len(kinds) != 1:
            found.append("%s: kinds %s, not exactly one of %s" % (name, kinds or "none", sorted(KINDS)))
            continue
        if kinds[0] == "display":
            sessions = [lock for label, lock in SESSION_LOCKS.items() if label in labels]
            wanted = sessions[0] if sessions else "display"
            if wanted is not None and wanted not in locks:
                found.append("%s: a display test without the lock %s (it holds %s)" % (name, wanted, sorted(locks)))
        elif "display" in locks:
            found.append("%s: holds the display lock but is of kind %s" % (name, kinds[0]))
    return found


def main(argv):
    if len(argv) != 3:
        print(__doc__)
        return 2
    listing = subprocess.run([argv[1], "--show-only=json-v1", "--test-dir", argv[2]],
                             check=True, capture_output=True, text=True).stdout
    tests = json.loads(listing).get("tests", [])
    if not tests:
        print("no tests listed in %s" % argv[2])
        return 1
    found = problems(tests)
    for line in found:
        print("FAIL " + line)
    counts = {}
    for test in tests:
        for kind in set(properties(test).get("LABELS", [])) & KINDS:
            counts[kind] = counts.get(kind, 0) + 1
    print("%d tests: %s" % (len(tests), ", ".join("%d %s" % (counts[k], k) for k in sorted(counts))))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
