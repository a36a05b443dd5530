#!/usr/bin/env python3
"""Compares what two changes did to the registry, from `reg export` files.

    regdiff.py --path DIR BASE AFTER [OTHER]

The change is what AFTER holds beyond BASE (added or changed keys and values) and what it
lost. With OTHER, the two changes (AFTER's and OTHER's, each from BASE) must be the same;
without, AFTER must not differ from BASE at all. Key and value names compare without
regard to case; DIR, the server's folder, with or without a closing backslash, counts as
one path. Windows Installer's own records (Classes\\Installer) are left aside. Prints one
line per difference and the number of entries compared; fails on any difference.
"""
import argparse
import re
import sys

INSTALLER = re.compile(r"\\software\\classes\\(wow6432node\\)?installer(\\|$)")


def entries(path, server):
    text = open(path, "rb").read().decode("utf-16")
    text = re.sub(r"\\\r?\n\s*", "", text)  # continued lines
    escaped = re.escape(server.replace("\\", "\\\\"))
    text = re.sub(escaped + r"(\\\\)?", "<SERVER>", text, flags=re.IGNORECASE)
    found, key = set(), None
    for line in text.splitlines():
        if line.startswith("["):
            key = line.strip()[1:-1].lower()
            if not INSTALLER.search(key):
                found.add((key, None, None))
            continue
        value = re.match(r'^(@|"(?:[^"\\]|\\.)*")=(.*)$', line)
        if key and value and not INSTALLER.search(key):
            found.add((key, value[1].lower(), value[2]))
    return found


def change(base, after):
    return {("+",) + e for e in after - base} | {("-",) + e for e in base - after}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--path", required=True)
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()
    base, after = (entries(f, args.path) for f in args.files[:2])
    mine = change(base, after)
    if len(args.files) > 2:
        theirs = change(base, entries(args.files[2], args.path))
        differences = [("only in " + args.files[1],) + e for e in sorted(mine - theirs, key=str)]
        differences += [("only in " + args.files[2],) + e for e in sorted(theirs - mine, key=str)]
        print(f"compared {len(mine | theirs)} changed entries")
        if not mine:
            differences.append(("nothing changed",))
    else:
        differences = [("left behind",) + e for e in sorted(mine, key=str)]
        print(f"compared {len(after)} entries")
    for d in differences:
        print("  ".join(str(x) for x in d if x is not None))
    sys.exit(1 if differences else 0)


if __name__ == "__main__":
    main()
