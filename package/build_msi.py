#!/usr/bin/env python3
"""Makes the Windows Installer package of one Windows build of Ondrik.exe with wixl.

The package writes the COM registration in its own Registry table: the same keys and
values that `Ondrik.exe /regserver` writes (src/server/registration.cpp, and for the type
library oleaut32's RegisterTypeLib), worked out here from the same sources: the
identifiers and names from idl/Ondrik.idl, the launch and access permissions from the
security descriptor strings in src/server/security.cpp. tests/scripts/package.sh compares
the two registrations under Wine.

    build_msi.py --build build/win32 --out dist/Ondrik-2.0.0.msi [--version 2.0.1]
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import uuid
from xml.sax.saxutils import quoteattr

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# One upgrade code per platform, fixed for good: every version of one platform's package
# replaces the older ones. The product code is derived from it and the version, so one
# version's package is always the same product (run again, it repairs).
PLATFORMS = {
    "i686": {"wixl": "x86", "upgrade": "E4B0C90E-3647-4B0C-BB4B-CF6B67C5DAEE", "win64": "no", "syskind": "win32"},
    "x86_64": {"wixl": "x64", "upgrade": "B65DEE1C-E91A-4F4E-A55B-06A9ABDC5A11", "win64": "yes", "syskind": "win64"},
}

# oleaut32's proxy for dual and automation interfaces (PSOAInterface).
AUTOMATION_PROXY = "{00020424-0000-0000-C000-000000000046}"
# The library flags RegisterTypeLib stores: widl marks every library it writes as having
# a disk image (LIBFLAG_FHASDISKIMAGE), and the library declares none of restricted,
# control or hidden.
LIBFLAG_FHASDISKIMAGE = 8

CLASSES = "Software\\Classes\\"
EXE = "[#OndrikExe]"  # the installed Ondrik.exe, as the package's File table knows it


def braced(guid):
    return "{" + guid.upper() + "}"


class Library:
    """What registration needs from the IDL: the library and its classes and interfaces."""

    def __init__(self, text):
        head = re.search(r"\[\s*uuid\(([^)]+)\),\s*version\(([^)]+)\),\s*helpstring\(\"([^\"]*)\"\)\s*\]\s*library\s+(\w+)", text)
        self.libid, self.version, self.helpstring, self.name = braced(head[1]), head[2], head[3], head[4]
        items = re.findall(r"\[\s*uuid\(([^)]+)\)([^\]]*)\]\s*(interface|coclass)\s+(\w+)", text)
        self.interfaces = [(braced(g), n) for g, attrs, kind, n in items
                           if kind == "interface" and re.search(r"\b(dual|oleautomation)\b", attrs)]
        self.creatable = [(braced(g), n) for g, attrs, kind, n in items
                          if kind == "coclass" and "noncreatable" not in attrs]
        self.appobject = next(braced(g) for g, attrs, kind, n in items if kind == "coclass" and "appobject" in attrs)


# Security descriptors: the few SDDL forms the server uses (owner, group, a DACL of
# allow and deny entries with hexadecimal rights), written in the self-relative layout
# that ConvertStringSecurityDescriptorToSecurityDescriptor gives under Wine (header,
# owner, group, DACL). Windows may order the parts differently; the meaning is the same.
WELL_KNOWN_SIDS = {"WD": (1, [0]), "NU": (5, [2]), "IU": (5, [4]), "PS": (5, [10]), "AU": (5, [11]),
                   "SY": (5, [18]), "BA": (5, [32, 544]), "BU": (5, [32, 545])}
ACE_TYPES = {"A": 0, "D": 1}


def sid(alias):
    authority, subs = WELL_KNOWN_SIDS[alias]
    return bytes([1, len(subs)]) + authority.to_bytes(6, "big") + b"".join(s.to_bytes(4, "little") for s in subs)


def security_descriptor(sddl):
    parts = re.fullmatch(r"O:(\w\w)G:(\w\w)D:((?:\([AD];;0x[0-9A-Fa-f]+;;;\w\w\))+)", sddl)
    if not parts:
        sys.exit(f"build_msi.py: unsupported security descriptor {sddl}")
    aces = b""
    entries = re.findall(r"\(([AD]);;(0x[0-9A-Fa-f]+);;;(\w\w)\)", parts[3])
    for kind, mask, who in entries:
        body = int(mask, 16).to_bytes(4, "little") + sid(who)
        aces += bytes([ACE_TYPES[kind], 0]) + (4 + len(body)).to_bytes(2, "little") + body
    dacl = bytes([2, 0]) + (8 + len(aces)).to_bytes(2, "little") + len(entries).to_bytes(2, "little") + b"\0\0" + aces
    owner, group = sid(parts[1]), sid(parts[2])
    header = bytes([1, 0]) + (0x8004).to_bytes(2, "little")  # self-relative, DACL present
    offsets = [20, 20 + len(owner), 0, 20 + len(owner) + len(group)]  # owner, group, SACL, DACL
    return header + b"".join(o.to_bytes(4, "little") for o in offsets) + owner + group + dacl


def server_sddl(permission):
    """The server's launch or access permission: kLaunchPermission or kAccessPermission."""
    source = open(os.path.join(ROOT, "src/server/security.cpp"), encoding="utf-8").read()
    return re.search(rf'k{permission}Permission\[\]\s*=\s*L"([^"]+)"', source)[1]


def registration(lib, syskind):
    """The values under HKLM\\Software\\Classes: (key, value name or None, value, binary)."""
    out = []

    def add(key, value, name=None, binary=False):
        out.append((key, name, value, binary))

    for clsid, cls in lib.creatable:
        progid = f"{lib.name}.{cls}"
        key = f"CLSID\\{clsid}"
        add(key, progid)
        add(key, lib.appobject, "AppID")
        add(key + "\\LocalServer32", f'"{EXE}"')
        add(key + "\\ProgID", progid)
        add(key + "\\TypeLib", lib.libid)
        add(key + "\\Version", lib.version)
        add(key + "\\Programmable", "")
        add(progid, progid)
        add(progid + "\\CLSID", clsid)
    appid = f"AppID\\{lib.appobject}"
    add(appid, lib.name)
    for permission in ("Launch", "Access"):
        add(appid, security_descriptor(server_sddl(permission)).hex().upper(), f"{permission}Permission", True)
    add(f"AppID\\{lib.name}.exe", lib.appobject, "AppID")
    # What RegisterTypeLib writes for the library, then for its interfaces.
    typelib = f"TypeLib\\{lib.libid}\\{lib.version}"
    add(typelib, lib.helpstring)
    add(f"{typelib}\\0\\{syskind}", EXE)
    add(typelib + "\\FLAGS", str(LIBFLAG_FHASDISKIMAGE))
    add(typelib + "\\HELPDIR", "[SERVERDIR]")
    return out + interfaces(lib)


def interfaces(lib):
    """What RegisterTypeLib writes for each automation interface."""
    out = []
    for iid, name in lib.interfaces:
        key = f"Interface\\{iid}"
        out.append((key, None, name, False))
        out.append((key + "\\ProxyStubClsid", None, AUTOMATION_PROXY, False))
        out.append((key + "\\ProxyStubClsid32", None, AUTOMATION_PROXY, False))
        out.append((key + "\\TypeLib", None, lib.libid, False))
        out.append((key + "\\TypeLib", "Version", lib.version, False))
    return out


def registry_elements(entries, prefix, keypath=False):
    """RegistryValue elements (the first the component's key path, if asked), and the SQL
    that mends the binary ones: wixl writes a binary value without the "#x" that marks it
    in the Registry table."""
    lines, fixes = [], []
    for n, (key, name, value, binary) in enumerate(entries):
        attrs = f'Id="{prefix}{n}" Root="HKLM" Key={quoteattr(CLASSES + key)}'
        if name:
            attrs += f" Name={quoteattr(name)}"
        attrs += f' Type="{"binary" if binary else "string"}" Value={quoteattr(value)}'
        if keypath and n == 0:
            attrs += ' KeyPath="yes"'
        lines.append(f"              <RegistryValue {attrs}/>")
        if binary:
            fixes.append(f"UPDATE `Registry` SET `Value` = '#x{value}' WHERE `Registry` = '{prefix}{n}'")
    return "\n".join(lines), fixes


# SUITEBASE passes from the client to the installing service.
SECURE_PROPERTIES = ("UPDATE `Property` SET `Value` = 'SUITEBASE;SAVEDSUITEBASE;WIX_DOWNGRADE_DETECTED;"
                     "WIX_UPGRADE_DETECTED' WHERE `Property` = 'SecureCustomProperties'")


def build_version(build):
    header = open(os.path.join(build, "generated/version.h"), encoding="utf-8").read()
    return re.search(r'ONDRIK_VERSION_TEXT "([^"]+)"', header)[1]


def exe_platform(exe):
    """The platform an executable is built for, from its PE header's machine field."""
    with open(exe, "rb") as f:
        image = f.read(4096)
    pe = int.from_bytes(image[0x3C:0x40], "little")
    machine = int.from_bytes(image[pe + 4:pe + 6], "little")
    return {0x14C: "i686", 0x8664: "x86_64"}[machine]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True, help="a Windows build folder (build/win32 or build/win64)")
    parser.add_argument("--out", required=True, help="the package to write")
    parser.add_argument("--version", help="the package's version (default: the build's)")
    args = parser.parse_args()

    exe = os.path.join(args.build, "Ondrik.exe")
    platform = PLATFORMS[exe_platform(exe)]
    version = args.version or build_version(args.build)
    upgrade = uuid.UUID(platform["upgrade"])
    lib = Library(open(os.path.join(ROOT, "idl/Ondrik.idl"), encoding="utf-8").read())
    registry, fixes = registry_elements(registration(lib, platform["syskind"]), "Reg")
    # A 64-bit RegisterTypeLib registers the interfaces for 32-bit clients too, in the
    # registry's 32-bit view (Wine writes them there; Windows shares that key between the
    # views): a 32-bit component of the 64-bit package.
    wow64 = wow64_ref = ""
    if platform["win64"] == "yes":
        wow64_guid = str(uuid.uuid5(upgrade, "component Interfaces32")).upper()
        wow64 = (f'            <Component Id="Interfaces32" Guid="{wow64_guid}" Win64="no">\n'
                 + registry_elements(interfaces(lib), "Wow", keypath=True)[0] + "\n            </Component>")
        wow64_ref = '      <ComponentRef Id="Interfaces32"/>'
    fields = {
        "VERSION": version,
        "UPGRADE_CODE": platform["upgrade"],
        "PRODUCT_CODE": str(uuid.uuid5(upgrade, "product " + version)).upper(),
        "COMPONENT_GUID": str(uuid.uuid5(upgrade, "component Server")).upper(),
        "BASE_COMPONENT_GUID": str(uuid.uuid5(upgrade, "component SuiteBase")).upper(),
        "STATUS_COMPONENT_GUID": str(uuid.uuid5(upgrade, "component StatusScript")).upper(),
        "WIN64": platform["win64"],
        "REGISTRY": registry,
        "WOW64_COMPONENT": wow64,
        "WOW64_COMPONENT_REF": wow64_ref,
    }
    wxs = open(os.path.join(ROOT, "package/Ondrik.wxs.in"), encoding="utf-8").read()
    for name, value in fields.items():
        wxs = wxs.replace(f"@{name}@", value)

    with tempfile.TemporaryDirectory() as stage:
        # wixl takes file sources relative to the folder it runs in.
        shutil.copy(exe, stage)
        shutil.copy(os.path.join(ROOT, "package/ondrik-status.vbs"), stage)
        with open(os.path.join(stage, "Ondrik.wxs"), "w", encoding="utf-8") as f:
            f.write(wxs)
        msi = os.path.join(stage, "Ondrik.msi")
        subprocess.run(["wixl", "-a", platform["wixl"], "-o", msi, "Ondrik.wxs"], cwd=stage, check=True)
        queries = [arg for q in fixes + [SECURE_PROPERTIES] for arg in ("-q", q)]
        subprocess.run(["msibuild", msi, *queries], check=True)
        os.makedirs(os.path.dirname(os.path.abspath(args.out)), exist_ok=True)
        shutil.move(msi, args.out)


if __name__ == "__main__":
    main()
