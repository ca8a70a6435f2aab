#!/usr/bin/env python3
"""Counts one ctest run's results from its JUnit file (ctest --output-junit).

    ctest_junit.py FILE STAGE

Prints "counts PASSED FAILED SKIPPED", then one line per skipped test,
"skipped NAME (STAGE): REASON", and one per failed test, "failed NAME (STAGE)".

CTest writes status "run", "fail", "notrun" or "disabled". A "notrun" test is a
skip when CTest took its exit code or output for one (the <skipped> message
starts with SKIP_); otherwise it could not start and counts as failed, as CTest
does. A test that ran and passed but whose GoogleTest output says "[  SKIPPED ]"
is a skip too.
"""
import sys
import xml.etree.ElementTree as ET


def skip_reason(output, fallback):
    """The "skipped: ..." line, the message of a GoogleTest skip, or else the last line."""
    lines = [line.rstrip("\r") for line in output.splitlines()]
    for line in lines:
        if line.lower().startswith("skipped: "):
            return line[len("skipped: "):]
    for i, line in enumerate(lines):
        # GoogleTest: "file:line: Skipped", then the message.
        if line.endswith(": Skipped") and i + 1 < len(lines) and lines[i + 1].strip():
            return lines[i + 1].strip()
    for line in reversed(lines):
        if line.strip() and not line.startswith("[") and set(line.strip()) != {"-"}:
            return line.strip()
    return fallback or "no reason given"


def main():
    path, stage = sys.argv[1], sys.argv[2]
    root = ET.parse(path).getroot()
    passed = failed = skipped = 0
    notes = []
    for case in root.iter("testcase"):
        name = case.get("name", "?")
        status = case.get("status", "")
        output = case.findtext("system-out") or ""
        skip = case.find("skipped")
        message = skip.get("message", "") if skip is not None else ""
        if status == "run" and case.find("failure") is None:
            if "[  SKIPPED ] " in output:
                skipped += 1
                notes.append(f"skipped {name} ({stage}): {skip_reason(output, '')}")
            else:
                passed += 1
        elif status == "disabled":
            skipped += 1
            notes.append(f"skipped {name} ({stage}): disabled")
        elif status == "notrun" and message.startswith("SKIP_"):
            skipped += 1
            notes.append(f"skipped {name} ({stage}): {skip_reason(output, message)}")
        else:
            failed += 1
            why = f": {message}" if status == "notrun" and message else ""
            notes.append(f"failed {name} ({stage}){why}")
    print(f"counts {passed} {failed} {skipped}")
    for note in notes:
        print(note)


if __name__ == "__main__":
    main()
