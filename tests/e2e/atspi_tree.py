#!/usr/bin/python3
"""Prints the accessible objects of a running program as a screen reader
reads them over AT-SPI, as JSON: role, name, description, states, text, the
name of the label it is labelled by, and children of each, from the
application down.

    atspi_tree.py PID [SECONDS]

Waits up to SECONDS (default 20) for the program with process id PID to
show up on the accessibility bus with at least one window."""

import json
import sys
import time

import pyatspi


def describe(accessible):
    entry = {
        "role": accessible.getRoleName(),
        "name": accessible.name or "",
        "description": accessible.description or "",
        "states": sorted(pyatspi.stateToString(s) for s in accessible.getState().getStates()),
        "children": [],
    }
    try:
        entry["text"] = accessible.queryText().getText(0, -1)
    except NotImplementedError:
        pass
    for relation in accessible.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY and relation.getNTargets() > 0:
            entry["labelledBy"] = relation.getTarget(0).name or ""
    for index in range(accessible.childCount):
        child = accessible.getChildAtIndex(index)
        if child is not None:
            entry["children"].append(describe(child))
    return entry


def find_application(pid):
    for application in pyatspi.Registry.getDesktop(0):
        if application is not None and application.get_process_id() == pid and application.childCount > 0:
            return application
    return None


def main():
    pid = int(sys.argv[1])
    deadline = time.monotonic() + (float(sys.argv[2]) if len(sys.argv) > 2 else 20.0)
    while True:
        application = find_application(pid)
        if application is not None:
            print(json.dumps(describe(application), ensure_ascii=False))
            return 0
        if time.monotonic() > deadline:
            print(f"no program with process id {pid} on the accessibility bus", file=sys.stderr)
            return 1
        time.sleep(0.2)


if __name__ == "__main__":
    sys.exit(main())
