#!/usr/bin/env python3
"""Fails when the build's include check would let a layer reach what it must not: every
folder of src passes with the dependencies that CMakeLists.txt declares for it, and an
include of a wait (or of anything that can call into a client) added to a register's
book, or to the keyed list below it, is refused with its file and line. The check runs on
a copy of src, with the declarations read from CMakeLists.txt as the build reads them.
Closes with "N passed, N failed"."""
import os
import re
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
CHECK = os.path.join(ROOT, "scripts", "check-layers.py")
# What a core must never reach: the kit's waits, the tick counter's wait, a call into a
# client's object, the classes themselves.
FORBIDDEN = ["automation/serving_wait.h", "automation/message_pump.h", "automation/bounded_call.h",
             "automation/late_bound.h", "process/tick_source.h", "sessions/session.h"]
CORES = ["books/book.h", "books/session_book.h", "books/application_book.h", "lists/keyed_list.h"]


def declared_folders():
    """Folder -> its DEPENDS, from the ondrik_folder(...) lines of CMakeLists.txt."""
    with open(os.path.join(ROOT, "CMakeLists.txt"), encoding="utf-8") as f:
        text = f.read()
    folders = {}
    for args in re.findall(r"^ondrik_folder\(([^)]*)\)", text, re.M):
        words = args.split()
        deps = []
        if "DEPENDS" in words:
            for word in words[words.index("DEPENDS") + 1:]:
                if word in ("PORTABLE", "LIBS"):
                    break
                deps.append(word)
        folders[words[0]] = deps
    return folders


def check(src, folder, deps):
    run = subprocess.run([sys.executable, CHECK, src, folder, *deps], capture_output=True, text=True)
    return run.returncode, run.stderr


def main():
    folders = declared_folders()
    passed = failed = 0

    def verdict(ok, what):
        nonlocal passed, failed
        passed, failed = passed + ok, failed + (not ok)
        if not ok:
            print("FAILED", what)

    for folder, deps in folders.items():
        code, err = check(os.path.join(ROOT, "src"), folder, deps)
        verdict(code == 0, f"src/{folder} as it stands: {err.strip()}")

    with tempfile.TemporaryDirectory() as tmp:
        src = os.path.join(tmp, "src")
        shutil.copytree(os.path.join(ROOT, "src"), src)
        for core in CORES:
            path = os.path.join(src, core)
            with open(path, encoding="utf-8") as f:
                original = f.read()
            for header in FORBIDDEN:
                with open(path, "w", encoding="utf-8") as f:
                    f.write(original.replace("#pragma once\n", f'#pragma once\n#include "{header}"\n', 1))
                folder = core.split("/")[0]
                code, err = check(src, folder, folders[folder])
                verdict(code == 1 and f"src/{core}:" in err and header in err, f"{core} including {header}: "
                        f"exit {code}, {err.strip() or 'nothing said'}")
            with open(path, "w", encoding="utf-8") as f:
                f.write(original)

    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    raise SystemExit(main())
