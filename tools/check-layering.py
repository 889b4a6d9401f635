#!/usr/bin/env python3
"""Checks that no library of the project links one on its own floor's far side or above it.

The floors, bottom to top, are those docs/layout.md describes. A library may link libraries on a
lower floor; on its own floor only the pairs listed as sideways. The links are read from the
target_link_libraries calls of the CMake files, so the check sees exactly what the build links.
Exit status 0 when the layering holds, 1 with one line per offending link otherwise.
"""
import pathlib
import re
import sys

FLOORS = {
    "quillan_platform": 0,
    "quillan_db": 0,
    "quillan_trust": 0,
    "quillan_base": 1,
    "quillan_archive": 1,
    "quillan_transfer": 2,
    "quillan_scripts": 2,
    "quillan_status": 2,
    "quillan_install": 2,
    "quillan_console": 3,
    "quillan_sample": 3,
    "quillan_office": 3,
    "quillan_release": 3,
    "quillan_ui": 4,
}
# Links allowed within a floor: the database layer builds on the platform; the deploy-script side
# fetches through the transports.
SIDEWAYS = {("quillan_db", "quillan_platform"), ("quillan_scripts", "quillan_transfer")}
# What a library must never link, whatever the floors say.
NEVER = {("quillan_install", "quillan_transfer"), ("quillan_install", "quillan_scripts")}

CALL = re.compile(r"target_link_libraries\(\s*(quillan_\w+)(.*?)\)", re.S)


def links(root):
    for cmake in root.rglob("CMakeLists.txt"):
        rel = cmake.relative_to(root)
        if rel.parts[0] in ("tests", "bench", "build") or rel.parts[0].startswith("build"):
            continue
        for target, rest in CALL.findall(cmake.read_text()):
            for used in re.findall(r"\bquillan_\w+", rest):
                yield rel, target, used


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
    faults = []
    seen = 0
    for rel, target, used in links(root):
        seen += 1
        if target not in FLOORS or used not in FLOORS:
            faults.append(f"{rel}: {target} -> {used}: a library this check does not know; add it to a floor")
            continue
        up = FLOORS[used] > FLOORS[target]
        across = FLOORS[used] == FLOORS[target] and (target, used) not in SIDEWAYS
        if up or across or (target, used) in NEVER:
            faults.append(f"{rel}: {target} -> {used} runs {'up' if up else 'across'} the layers")
    for f in faults:
        print(f)
    print(f"layering: {seen} links read, {len(faults)} against the layers")
    return 1 if faults or seen == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
