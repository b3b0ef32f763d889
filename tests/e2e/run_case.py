#!/usr/bin/env python3
"""Runs one end-to-end case: scripted sessions of the real program on a fresh
data directory, then compares what they left.

    run_case.py ZELVO CASE BACKEND      # BACKEND: headless or qt

A case is a folder:

    session.script    the session; session2.script, session3.script ... run
                      after it, in name order, on the same data directory
    data/TABLE.jsonl  optional: loaded with `zelvo table load` before the
                      first session (TABLE.csv as CSV)
    today             optional: the date the program takes as today
                      (YYYY-MM-DD; 2024-03-15 when absent)
    expected/         optional: after the last session, expected/TABLE.jsonl
                      equals `zelvo table dump TABLE`; any other file equals
                      the data directory's file of that name, byte for byte
    files.txt         optional: the data directory's file names after the
                      last session, one a line, in name order
    outcome.txt       optional: the last session's exit status on the first
                      line and its standard error after it (default: 0 and
                      nothing said)

Every session before the last must end with status 0. The user's
configuration folder is an empty one of the run's own, so no win.ini of the
machine changes what the program does. Exit status 0 when everything held,
1 otherwise, with what differed on standard error.
"""
import glob
import os
import re
import subprocess
import sys
import tempfile


# What Qt's offscreen platform says of itself on every run: not the program's.
QT_NOTICE = re.compile(r"^This plugin does not support ")


def run(command, env, cwd=None):
    return subprocess.run(command, env=env, cwd=cwd, capture_output=True, text=True, timeout=120)


def said(stderr):
    return "\n".join(line for line in stderr.strip().splitlines() if not QT_NOTICE.match(line))


def main():
    zelvo, case, backend = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]), sys.argv[3]
    name = os.path.basename(os.path.normpath(case))
    failures = []
    with tempfile.TemporaryDirectory(prefix="zelvo-e2e-") as scratch:
        directory = os.path.join(scratch, "data")
        config = os.path.join(scratch, "config")
        runtime = os.path.join(scratch, "runtime")
        os.makedirs(directory)
        os.makedirs(config)
        os.makedirs(runtime, mode=0o700)
        env = dict(os.environ, XDG_CONFIG_HOME=config, XDG_DATA_HOME=os.path.join(scratch, "share"),
                   XDG_RUNTIME_DIR=runtime)

        for path in sorted(glob.glob(os.path.join(case, "data", "*"))):
            table, extension = os.path.splitext(os.path.basename(path))
            done = run([zelvo, "--dir", directory, "table", "load", table, os.path.abspath(path),
                        "--format", "csv" if extension == ".csv" else "json"], env)
            if done.returncode != 0:
                print(f"{name}: loading {path} failed ({done.returncode}): {done.stderr}", file=sys.stderr)
                return 1

        today_file = os.path.join(case, "today")
        today = open(today_file).read().strip() if os.path.exists(today_file) else "2024-03-15"
        sessions = sorted(glob.glob(os.path.join(case, "session*.script")),
                          key=lambda p: (len(os.path.basename(p)), p))
        if not sessions:
            print(f"{name}: no session.script", file=sys.stderr)
            return 1
        for i, script in enumerate(sessions):
            # Started in the case's folder, so the script is named as a user names it.
            done = run([zelvo, "--dir", directory, "script", os.path.basename(script), "--backend", backend,
                        "--today", today], env, cwd=case)
            if i + 1 < len(sessions):
                if done.returncode != 0:
                    failures.append(f"{os.path.basename(script)} ended with {done.returncode}: {said(done.stderr)}")
                    break
                continue
            outcome_file = os.path.join(case, "outcome.txt")
            status, expected = 0, ""
            if os.path.exists(outcome_file):
                lines = open(outcome_file, encoding="utf-8").read().split("\n", 1)
                status, expected = int(lines[0]), (lines[1] if len(lines) > 1 else "")
            if done.returncode != status or said(done.stderr) != expected.strip():
                failures.append(f"{os.path.basename(script)}: expected status {status} saying {expected.strip()!r},"
                                f" found {done.returncode} saying {said(done.stderr)!r}")

        if not failures:
            failures += compare(zelvo, case, directory, env)
    for failure in failures:
        print(f"{name} ({backend}): {failure}", file=sys.stderr)
    return 1 if failures else 0


def compare(zelvo, case, directory, env):
    failures = []
    for path in sorted(glob.glob(os.path.join(case, "expected", "*"))):
        file_name = os.path.basename(path)
        expected = open(path, "rb").read()
        if file_name.endswith(".jsonl"):
            table = file_name[:-len(".jsonl")]
            done = subprocess.run([zelvo, "--dir", directory, "table", "dump", table], env=env,
                                  capture_output=True, timeout=60)
            found = done.stdout if done.returncode == 0 else done.stderr
        else:
            found_path = os.path.join(directory, file_name)
            found = open(found_path, "rb").read() if os.path.exists(found_path) else b"(no such file)"
        if found != expected:
            failures.append(f"{file_name}: expected\n{expected.decode(errors='replace')}"
                            f"found\n{found.decode(errors='replace')}")
    listing = os.path.join(case, "files.txt")
    if os.path.exists(listing):
        expected = open(listing, encoding="utf-8").read().split()
        found = sorted(os.listdir(directory))
        if found != expected:
            failures.append(f"files: expected {expected}, found {found}")
    return failures


if __name__ == "__main__":
    sys.exit(main())
