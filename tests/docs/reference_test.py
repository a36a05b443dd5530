#!/usr/bin/env python3
"""Fails when docs/reference.md leaves out a class or a member of the type library, or
a part of a member's entry. The names come from idl/Ondrik.idl, the source of the type
library: "## Class" for each class, "### Class.Member" for each member of its default
interface. Each member's entry has its syntax in VBScript (a block fenced as vb) and as
the early-bound C++ signature (fenced as c++), its arguments, return value, errors, time
and remarks, and at least one example with its output written beside it (examples.py).
Prints a line per fault and closes with "N passed, N failed"."""
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.join(HERE, "..", "..")
sys.path.insert(0, HERE)
import examples  # noqa: E402

PARTS = ["```vb\n", "```c++\n", "**Arguments**", "**Returns**", "**Errors**", "**Time**", "**Remarks**",
         "**Example**"]


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


def sections(text):
    """Heading line -> the text up to the next heading of level 2 or 3."""
    parts = re.split(r"^(#{2,3} .+?)\s*$", text, flags=re.M)
    return {parts[i]: parts[i + 1] for i in range(1, len(parts) - 1, 2)}


def main():
    reference = read("docs/reference.md")
    found = sections(reference)
    with_output = {section for _, section, _, _, _, expected in examples.examples(reference) if expected}
    passed = failed = 0

    def check(ok, fault):
        nonlocal passed, failed
        if ok:
            passed += 1
        else:
            failed += 1
            print("docs/reference.md: " + fault)

    for cls, members in library_members(read("idl/Ondrik.idl")):
        check("## " + cls in found, "no heading ## " + cls)
        for member in members:
            heading = "### %s.%s" % (cls, member)
            body = found.get(heading)
            check(body is not None, "no heading " + heading)
            if body is None:
                continue
            missing = [p.strip() for p in PARTS if p not in body]
            check(not missing, "%s lacks %s" % (heading, ", ".join(missing)))
            check("%s.%s" % (cls, member) in with_output, heading + " has no example with its output")
    for number, section, language, line, _, expected in examples.examples(reference):
        check(expected is not None, "example %d (%s, line %d, %s) has no output written beside it"
              % (number, section, line, language))
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed or not passed else 0


if __name__ == "__main__":
    raise SystemExit(main())
