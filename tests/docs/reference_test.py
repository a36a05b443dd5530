#!/usr/bin/env python3
"""Fails when a class or a member of the type library has no heading in docs/reference.md:
"## Class" for each class, "### Class.Member" for each member of its default interface.
The names come from idl/Ondrik.idl, the source of the type library. Prints a line per
missing heading and closes with "N passed, N failed"."""
import os
import re

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")


def read(path):
    with open(os.path.join(ROOT, path), encoding="utf-8") as f:
        return f.read()


def library_members(idl):
    """(class, [member names in table order, each once]) for every coclass."""
    bodies = dict(re.findall(r"interface\s+(\w+)\s*:\s*IDispatch\s*\{(.*?)\n\s*\};", idl, re.S))
    out = []
    for cls, itf in re.findall(r"coclass\s+(\w+)\s*\{\s*\[default\]\s*interface\s+(\w+);", idl):
        names = re.findall(r"\bHRESULT\s+(\w+)\s*\(", bodies[itf])
        out.append((cls, list(dict.fromkeys(names))))
    return out


def main():
    headings = set(re.findall(r"^(#{2,3} [\w.]+)\s*$", read("docs/reference.md"), re.M))
    passed = failed = 0
    for cls, members in library_members(read("idl/Ondrik.idl")):
        for heading in ["## " + cls] + ["### %s.%s" % (cls, m) for m in members]:
            if heading in headings:
                passed += 1
            else:
                failed += 1
                print("missing from docs/reference.md: " + heading)
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed or not passed else 0


if __name__ == "__main__":
    raise SystemExit(main())
