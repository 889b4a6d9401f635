#!/usr/bin/env python3
"""Runs a command (a headless quillan run), stamps each line of its output as it arrives (the
headless output is flushed line by line), and prints the run's time split by phase: from the
start to the first checklist row ("start-up"), then from each row's "in progress" line to the
next one's, the last up to the end of the process. The run log itself carries no times.
    phases.py COMMAND [ARGS...]"""
import subprocess, sys, time

start = time.monotonic()
marks = [("start-up", start)]
child = subprocess.Popen(sys.argv[1:], stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
for raw in child.stdout:
    line = raw.decode("utf-8", "replace").rstrip("\n")
    if line.startswith("[row ") and "] in progress | " in line:
        marks.append((line.split("] in progress | ", 1)[1].strip(), time.monotonic()))
code = child.wait()
end = time.monotonic()
total = end - start
print("phase split of one run (%.2f s, exit code %d):" % (total, code))
for i, (name, at) in enumerate(marks):
    until = marks[i + 1][1] if i + 1 < len(marks) else end
    print("  %-32s %8.2f s  %5.1f %%" % (name, until - at, 100 * (until - at) / total))
sys.exit(code)
