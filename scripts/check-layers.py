#!/usr/bin/env python3
"""Checks the #include lines of one folder of src/ against the folders it may use.

Usage: check-layers.py SRC FOLDER [ALLOWED ...]

Every build runs it for every folder before compiling anything, with the dependencies
that CMakeLists.txt declares for the folder as ALLOWED. A file of SRC/FOLDER may include
the headers of its own folder, those of the ALLOWED folders, and headers from outside
SRC (the platform's, the standard library's). "generated" stands for the header that widl
makes from the IDL ("generated/Ondrik.h"). Every include of another folder is reported
with its file and line, and the check fails.
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]')
GENERATED = "generated"


def reached_folder(src, path, name):
    """The folder of src (or GENERATED) that including name from path reaches, or None."""
    beside = os.path.normpath(os.path.join(os.path.dirname(path), name))
    if os.path.exists(beside):
        rel = os.path.relpath(beside, src)
        return None if rel.startswith("..") else rel.split(os.sep)[0]
    first = name.split("/")[0]
    if first == GENERATED or os.path.isdir(os.path.join(src, first)):
        return first
    return None


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    src, folder, allowed = os.path.abspath(sys.argv[1]), sys.argv[2], set(sys.argv[3:])
    allowed.add(folder)
    may = ", ".join(sorted(allowed - {folder})) or "nothing else"
    faults = []
    root = os.path.join(src, folder)
    for entry in sorted(os.listdir(root)):
        path = os.path.join(root, entry)
        if not entry.endswith((".h", ".cpp", ".c")) or not os.path.isfile(path):
            continue
        with open(path, encoding="utf-8") as text:
            for number, line in enumerate(text, 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                reached = reached_folder(src, path, match.group(1))
                if reached and reached not in allowed:
                    shown = os.path.relpath(path, os.path.dirname(src))
                    faults.append(f'{shown}:{number}: includes "{match.group(1)}" of {reached}/, '
                                  f"which src/{folder} does not depend on")
    if faults:
        print("\n".join(faults), file=sys.stderr)
        print(f"src/{folder} may include, besides its own headers: {may} "
              "(its DEPENDS in CMakeLists.txt, each a lower layer)", file=sys.stderr)
        sys.exit(1)


if __name__ == "__main__":
    main()
