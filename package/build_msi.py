#!/usr/bin/env python3
"""Makes a Windows Installer package of one Windows build of Ondrik.exe with wixl.

The product is the i686 Ondrik.exe, in two packages: one for 32-bit Windows (an Intel
package) and one for 64-bit Windows (an x64 package that installs the same 32-bit server
as a 32-bit component and writes, from a 64-bit component, what 64-bit clients need: the
interfaces in the registry's 64-bit view, and the keys both views share). A package of
the x86_64 twin is made for the tests alone, under a name and a product name that say so.

The package writes the COM registration in its own Registry table: the same keys and
values that `Ondrik.exe /regserver` writes (src/server/registration.cpp, and for the type
library oleaut32's RegisterTypeLib), worked out here from the same sources: the
identifiers and names from idl/Ondrik.idl, the launch and access permissions from the
security descriptor strings in src/server/security.cpp. tests/scripts/package.sh compares
the two registrations under Wine.

The folder of the suite's programs, <SUITEBASE>\Eseguibili, gets a protected security
descriptor (MsiLockPermissionsEx): only SYSTEM and the Administrators may change what
lies below it, where every user's and every elevated client's server is started from.

One build gives one package, byte for byte: the package code is derived from what the
package holds, and its summary times and the cabinet's file times are SOURCE_DATE_EPOCH
(else the server's link time).

    build_msi.py --build build/win32 [--windows 32|64] (--out FILE | --out-dir DIR)
                 [--version 2.0.1] [--exe Ondrik.exe] [--print-name]
"""
import argparse
import hashlib
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import uuid
from xml.sax.saxutils import quoteattr

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# The packages, by the build's machine and the Windows they are for. One upgrade code per
# package, fixed for good: every version of one package replaces the older ones. The
# product code is derived from it and the version, so one version's package is always the
# same product (run again, it repairs). The 32-bit and 64-bit server components of one
# package stand in the registry views of their own bitness (Win64).
FLAVOURS = {
    ("i686", 32): {"wixl": "x86", "upgrade": "E4B0C90E-3647-4B0C-BB4B-CF6B67C5DAEE", "win64": "no",
                   "name": "Ondrik", "file": "Ondrik-{version}-for-32-bit-Windows.msi"},
    ("i686", 64): {"wixl": "x64", "upgrade": "09935D70-AAC4-45AF-A913-4AE0B8583A45", "win64": "no",
                   "name": "Ondrik", "file": "Ondrik-{version}-for-64-bit-Windows.msi"},
    ("x86_64", 64): {"wixl": "x64", "upgrade": "B65DEE1C-E91A-4F4E-A55B-06A9ABDC5A11", "win64": "yes",
                     "name": "Ondrik x86_64 TEST BUILD (not for installation)",
                     "file": "TEST-ONLY-Ondrik-{version}-x86_64-twin.msi"},
}
SYSKIND = {"i686": "win32", "x86_64": "win64"}

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
    """The values under HKLM\\Software\\Classes: (key, value name or None, value, binary).
    The classes' keys first, then those both registry views share, then the interfaces."""
    return classes(lib) + shared(lib, syskind) + interfaces(lib)


def classes(lib):
    """Each creatable class's CLSID key: kept apart per registry view."""
    out = []
    for clsid, cls in lib.creatable:
        progid = f"{lib.name}.{cls}"
        key = f"CLSID\\{clsid}"
        out += [(key, None, progid, False), (key, "AppID", lib.appobject, False),
                (key + "\\LocalServer32", None, f'"{EXE}"', False), (key + "\\ProgID", None, progid, False),
                (key + "\\TypeLib", None, lib.libid, False), (key + "\\Version", None, lib.version, False),
                (key + "\\Programmable", None, "", False)]
    return out


def shared(lib, syskind):
    """The ProgIDs, the AppID and the type library: keys that both registry views share."""
    out = []

    def add(key, value, name=None, binary=False):
        out.append((key, name, value, binary))

    for clsid, cls in lib.creatable:
        progid = f"{lib.name}.{cls}"
        add(progid, progid)
        add(progid + "\\CLSID", clsid)
    appid = f"AppID\\{lib.appobject}"
    add(appid, lib.name)
    for permission in ("Launch", "Access"):
        add(appid, security_descriptor(server_sddl(permission)).hex().upper(), f"{permission}Permission", True)
    add(f"AppID\\{lib.name}.exe", lib.appobject, "AppID")
    # What RegisterTypeLib writes for the library.
    typelib = f"TypeLib\\{lib.libid}\\{lib.version}"
    add(typelib, lib.helpstring)
    add(f"{typelib}\\0\\{syskind}", EXE)
    add(typelib + "\\FLAGS", str(LIBFLAG_FHASDISKIMAGE))
    add(typelib + "\\HELPDIR", "[SERVERDIR]")
    return out


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


# <SUITEBASE>\Eseguibili, and so Server and the server in it: owned by the Administrators,
# and protected ("P"), so that it inherits nothing from the folders above (the root of
# the system drive gives every new subfolder "Authenticated Users: Modify"). SYSTEM and
# the Administrators have full control ("FA"), Users read and execute (0x1200A9,
# FILE_GENERIC_READ | FILE_GENERIC_EXECUTE), and nobody else anything; each entry is
# inherited by the folders and files below (OICI). docs/admin.md gives the same by hand.
ESEGUIBILI_SDDL = "O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)"
LOCK_PERMISSIONS = [
    "CREATE TABLE `MsiLockPermissionsEx` (`MsiLockPermissionsEx` CHAR(72) NOT NULL, `LockObject` CHAR(72) NOT NULL, "
    "`Table` CHAR(32) NOT NULL, `SDDLText` LONGCHAR NOT NULL, `Condition` CHAR(255) PRIMARY KEY `MsiLockPermissionsEx`)",
    "INSERT INTO `MsiLockPermissionsEx` (`MsiLockPermissionsEx`, `LockObject`, `Table`, `SDDLText`) "
    f"VALUES ('LockEseguibili', 'ESEGUIBILI', 'CreateFolder', '{ESEGUIBILI_SDDL}')",
]

# SUITEBASE passes from the client to the installing service.
SECURE_PROPERTIES = ("UPDATE `Property` SET `Value` = 'SUITEBASE;SAVEDSUITEBASE;WIX_DOWNGRADE_DETECTED;"
                     "WIX_UPGRADE_DETECTED;ONDRIK32BIT' WHERE `Property` = 'SecureCustomProperties'")


def fix_summary(msi, package_code, epoch):
    """Sets the summary's package code and its creation and last-save times (wixl writes
    a random code and the time of the build), through the summary's own table."""
    summary = subprocess.run(["msiinfo", "export", msi, "_SummaryInformation"], capture_output=True,
                             text=True, check=True).stdout
    stamp = time.strftime("%Y/%m/%d %H:%M:%S", time.gmtime(epoch))
    fixed = {"9": "{" + package_code + "}", "12": stamp, "13": stamp}
    table = os.path.join(os.path.dirname(msi), "_SummaryInformation.idt")
    with open(table, "w", encoding="utf-8") as f:
        for line in summary.splitlines():
            pid = line.split("\t")[0]
            f.write(f"{pid}\t{fixed[pid]}\n" if pid in fixed else line + "\n")
    subprocess.run(["msibuild", msi, "-i", table], check=True, env={**os.environ, "TZ": "UTC"})


def build_version(build):
    header = open(os.path.join(build, "generated/version.h"), encoding="utf-8").read()
    return re.search(r'ONDRIK_VERSION_TEXT "([^"]+)"', header)[1]


def file_header(exe, offset, size):
    """A field of an executable's COFF file header, after the "PE" signature."""
    with open(exe, "rb") as f:
        image = f.read(4096)
    pe = int.from_bytes(image[0x3C:0x40], "little")
    return int.from_bytes(image[pe + 4 + offset:pe + 4 + offset + size], "little")


def exe_platform(exe):
    """The platform an executable is built for, from its machine field."""
    return {0x14C: "i686", 0x8664: "x86_64"}[file_header(exe, 0, 2)]


def link_time(exe):
    """The executable's link time stamp (seconds since 1970)."""
    return file_header(exe, 4, 4)


def components(flavour, lib, syskind):
    """The package's registry components beside the server's: their WiX elements, their
    references and the SQL that mends their binary values."""
    def component(cid, entries, prefix, win64):
        guid = str(uuid.uuid5(uuid.UUID(flavour["upgrade"]), "component " + cid)).upper()
        values, fixes = registry_elements(entries, prefix, keypath=True)
        return (f'            <Component Id="{cid}" Guid="{guid}" Win64="{win64}">\n{values}\n'
                "            </Component>", f'      <ComponentRef Id="{cid}"/>', fixes)

    if flavour["wixl"] == "x86":
        return "", "", []
    if flavour["win64"] == "yes":
        # A 64-bit RegisterTypeLib registers the interfaces for 32-bit clients too, in the
        # registry's 32-bit view (Wine writes them there; Windows shares that key between
        # the views): a 32-bit component of the twin's package.
        return component("Interfaces32", interfaces(lib), "Wow", "no")
    # The 32-bit server on 64-bit Windows: 64-bit clients need its interfaces in the 64-bit
    # view, and find its ProgIDs, AppID and type library in the keys both views share,
    # which a 32-bit component would write below Wow6432Node under Wine (Windows shares
    # them either way): a 64-bit component writes them.
    return component("Registration64", shared(lib, syskind) + interfaces(lib), "Shared", "yes")


# Upgrade table attributes: the minimum and the maximum version are included.
VERSION_MIN_INCLUSIVE, VERSION_MAX_INCLUSIVE = 0x100, 0x200


def platform_rules(machine, windows, version):
    """What keeps each package to its own Windows: WiX elements, and SQL for the Upgrade
    table (wixl leaves out IncludeMaximum). The Intel package refuses 64-bit Windows, where
    64-bit clients would miss the interfaces that only a 64-bit component can write; the
    x64 package (which 32-bit Windows refuses by itself) replaces an Intel package of its
    version or older, installed before that rule, where it lies."""
    if machine != "i686":
        return "", []
    if windows == 32:
        other = FLAVOURS[("i686", 64)]["file"].format(version=version)
        return (f'    <Condition Message="This package is for 32-bit Windows: on 64-bit Windows install {other}.">'
                "NOT VersionNT64</Condition>"), []
    intel = "{" + FLAVOURS[("i686", 32)]["upgrade"] + "}"
    return "", ["INSERT INTO `Upgrade` (`UpgradeCode`, `VersionMin`, `VersionMax`, `Attributes`, `ActionProperty`) "
                f"VALUES ('{intel}', '0.0.0', '{version}', {VERSION_MIN_INCLUSIVE | VERSION_MAX_INCLUSIVE}, "
                "'ONDRIK32BIT')"]


def server_registration(flavour, lib, syskind):
    """What the server's own component writes: everything, but for a 32-bit server in an
    x64 package only what stands in the 32-bit view (its classes and interfaces)."""
    if flavour["wixl"] == "x64" and flavour["win64"] == "no":
        return classes(lib) + interfaces(lib)
    return registration(lib, syskind)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True, help="a Windows build folder (build/win32 or build/win64)")
    parser.add_argument("--windows", type=int, choices=(32, 64),
                        help="the Windows the package is for (an i686 build: 32 unless told; x86_64: 64)")
    target = parser.add_mutually_exclusive_group()
    target.add_argument("--out", help="the package to write")
    target.add_argument("--out-dir", help="the folder to write the package into, under its own name")
    parser.add_argument("--version", help="the package's version (default: the build's)")
    parser.add_argument("--exe", help="the Ondrik.exe to package (default: the build's; a signed copy, say)")
    parser.add_argument("--print-name", action="store_true", help="print the package's own name and stop")
    args = parser.parse_args()

    exe = args.exe or os.path.join(args.build, "Ondrik.exe")
    machine = exe_platform(exe)
    windows = args.windows or (64 if machine == "x86_64" else 32)
    if (machine, windows) not in FLAVOURS:
        sys.exit(f"build_msi.py: an {machine} server has no package for {windows}-bit Windows")
    flavour = FLAVOURS[(machine, windows)]
    version = args.version or build_version(args.build)
    name = flavour["file"].format(version=version)
    if args.print_name:
        print(name)
        return
    if not (args.out or args.out_dir):
        parser.error("one of --out, --out-dir or --print-name is needed")
    out = args.out or os.path.join(args.out_dir, name)
    upgrade = uuid.UUID(flavour["upgrade"])
    lib = Library(open(os.path.join(ROOT, "idl/Ondrik.idl"), encoding="utf-8").read())
    syskind = SYSKIND[machine]
    registry, fixes = registry_elements(server_registration(flavour, lib, syskind), "Reg")
    extra, extra_ref, extra_fixes = components(flavour, lib, syskind)
    rules, rules_sql = platform_rules(machine, windows, version)
    fields = {
        "NAME": flavour["name"],
        "VERSION": version,
        "UPGRADE_CODE": flavour["upgrade"],
        "PRODUCT_CODE": str(uuid.uuid5(upgrade, "product " + version)).upper(),
        "COMPONENT_GUID": str(uuid.uuid5(upgrade, "component Server")).upper(),
        "BASE_COMPONENT_GUID": str(uuid.uuid5(upgrade, "component SuiteBase")).upper(),
        "STATUS_COMPONENT_GUID": str(uuid.uuid5(upgrade, "component StatusScript")).upper(),
        "ESEGUIBILI_COMPONENT_GUID": str(uuid.uuid5(upgrade, "component Eseguibili")).upper(),
        "WIN64": flavour["win64"],
        "REGISTRY": registry,
        "COMPONENTS": extra,
        "COMPONENT_REFS": extra_ref,
        "PLATFORM_RULES": rules,
    }
    wxs = open(os.path.join(ROOT, "package/Ondrik.wxs.in"), encoding="utf-8").read()
    for name, value in fields.items():
        wxs = wxs.replace(f"@{name}@", value)

    sql = fixes + extra_fixes + rules_sql + [SECURE_PROPERTIES] + LOCK_PERMISSIONS
    epoch = int(os.environ.get("SOURCE_DATE_EPOCH") or link_time(exe))
    with tempfile.TemporaryDirectory() as stage:
        # wixl takes file sources relative to the folder it runs in; the cabinet keeps
        # their modification times.
        sources = [exe, os.path.join(ROOT, "package/ondrik-status.vbs")]
        content = hashlib.sha256("\n".join([wxs] + sql).encode())
        for source in sources:
            staged = shutil.copy(source, stage)
            os.utime(staged, (epoch, epoch))
            content.update(open(source, "rb").read())
        with open(os.path.join(stage, "Ondrik.wxs"), "w", encoding="utf-8") as f:
            f.write(wxs)
        msi = os.path.join(stage, "Ondrik.msi")
        subprocess.run(["wixl", "-a", flavour["wixl"], "-o", msi, "Ondrik.wxs"], cwd=stage, check=True)
        subprocess.run(["msibuild", msi, *[arg for q in sql for arg in ("-q", q)]], check=True)
        fix_summary(msi, str(uuid.uuid5(upgrade, "package " + content.hexdigest())).upper(), epoch)
        os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
        shutil.move(msi, out)


if __name__ == "__main__":
    main()
