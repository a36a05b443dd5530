#!/usr/bin/env python3
"""Checks the server's COM registration in both registry views of 64-bit Windows, from
`reg export` files of Software\\Classes.

    regviews.py --state registered|absent --classes ROOT [--typelib ROOT] EXPORT...

ROOT is HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER: where the classes, their ProgIDs and the
AppID stand (--classes), and where the type library and its interfaces stand (--typelib,
by default the same root). The exports show the keys where they lie, Wow6432Node
included; the views follow Windows' rules (Windows 7 and later): below Software\\Classes,
CLSID and Interface are kept apart per view, the 32-bit view's under Wow6432Node, and the
ProgIDs, AppID and TypeLib are shared by both. So a 32-bit server that serves 64-bit
clients needs:
  - its classes in the 32-bit view (a 64-bit client's activation finds a local server
    there), and none in the 64-bit view;
  - its interfaces in both views (a 64-bit client needs a proxy for them);
  - its ProgIDs, AppID and type library in the shared keys (seen from the 64-bit view).
With --state absent, none of these keys may be left in either view. With --typelib none,
the type library and the interfaces are not looked at.

Wine keeps HKEY_CURRENT_USER\\Software\\Classes in one piece for both views (Windows keeps
its CLSID and Interface apart, as below HKEY_LOCAL_MACHINE): there a 32-bit process's
class stands in the key both views see. --one-user-view accepts that for the classes
below HKEY_CURRENT_USER, and says so. Prints one line per
failed check and a closing "N passed, N failed".
"""
import argparse
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../../package"))
from build_msi import ROOT, Library  # noqa: E402  (the identifiers, read from the IDL)

REDIRECTED = ("clsid", "interface")


def keys_of(path):
    """The keys of an export; none when there is no file (`reg export` of a key that does
    not exist writes none)."""
    if not os.path.exists(path):
        return set()
    text = open(path, "rb").read().decode("utf-16")
    return {line.strip()[1:-1].lower() for line in text.splitlines() if line.startswith("[")}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--state", choices=("registered", "absent"), required=True)
    parser.add_argument("--classes", required=True)
    parser.add_argument("--typelib")
    parser.add_argument("--one-user-view", action="store_true")
    parser.add_argument("exports", nargs="+")
    args = parser.parse_args()
    keys = set().union(*(keys_of(f) for f in args.exports))
    lib = Library(open(os.path.join(ROOT, "idl/Ondrik.idl"), encoding="utf-8").read())

    def lies(root, key, view):
        """Whether KEY (below ROOT\\Software\\Classes) is seen in the given view (32 or 64)."""
        top = key.split("\\")[0].lower()
        wow = "wow6432node\\" if view == 32 and top in REDIRECTED else ""
        return f"{root}\\software\\classes\\{wow}{key}".lower() in keys

    checks = []  # (what, holds)
    classes, typelib = args.classes, args.typelib or args.classes
    registered = args.state == "registered"
    shared = [f"{lib.name}.{name}\\CLSID" for _, name in lib.creatable]
    shared += [f"AppID\\{lib.appobject}", f"AppID\\{lib.name}.exe"]
    one_view = args.one_user_view and classes == "HKEY_CURRENT_USER"
    if one_view and registered:
        print("note: Wine keeps one view of HKEY_CURRENT_USER\\Software\\Classes: the classes stand in it")
    for clsid, name in lib.creatable:
        server = f"CLSID\\{clsid}\\LocalServer32"
        if not registered:
            checks.append((f"{name}'s class gone from the 32-bit view", not lies(classes, f"CLSID\\{clsid}", 32)))
        elif one_view:
            checks.append((f"{name}'s class in the one view", lies(classes, server, 64)))
            continue
        else:
            checks.append((f"{name}'s class in the 32-bit view", lies(classes, server, 32)))
        checks.append((f"no {name} class in the 64-bit view", not lies(classes, f"CLSID\\{clsid}", 64)))
    for key in shared:
        if registered:
            checks.append((f"{key} shared", lies(classes, key, 64)))
        else:  # Wine may keep a copy below Wow6432Node: that goes too
            checks.append((f"{key} gone", not lies(classes, key, 64) and not lies(classes, "Wow6432Node\\" + key, 64)))
    if typelib != "none":
        library = f"TypeLib\\{lib.libid}"
        if registered:
            checks.append(("the type library shared", lies(typelib, library + f"\\{lib.version}\\0\\win32", 64)))
        else:
            checks.append(("the type library gone", not lies(typelib, library, 64)))
        for iid, name in lib.interfaces:
            for view in (32, 64):
                if registered:
                    checks.append((f"{name} in the {view}-bit view", lies(typelib, f"Interface\\{iid}\\ProxyStubClsid32", view)))
                else:
                    checks.append((f"{name} gone from the {view}-bit view", not lies(typelib, f"Interface\\{iid}", view)))

    failed = [what for what, holds in checks if not holds]
    for what in failed:
        print(f"FAILED: {what}")
    print(f"{len(checks) - len(failed)} passed, {len(failed)} failed")


if __name__ == "__main__":
    main()
