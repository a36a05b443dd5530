#!/usr/bin/env python3
"""Checks what the built Ondrik.exe is as a file: the machine it is for, a GUI-subsystem
image with ASLR and DEP (on x86-64 with high-entropy addresses), aware of terminal
servers, with a stack guard in its functions, that it imports system DLLs only (its
runtime is linked in, so the one file is the whole install), that it carries the version
resource 2.0, and its application manifest: run as the invoker, without UI access (so
never under UAC virtualization), on Windows 7 to 11.

Usage: image_facts.py EXE OBJDUMP MACHINE   (MACHINE: i386 or x86-64)
Prints a line per failed check and ends with "N passed, N failed"."""
import re
import struct
import subprocess
import sys
import xml.etree.ElementTree as ElementTree

# What Windows itself provides on every machine the suite runs on.
SYSTEM_DLLS = {
    "advapi32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll", "ole32.dll", "oleaut32.dll",
    "shell32.dll", "shfolder.dll", "shlwapi.dll", "user32.dll", "wininet.dll", "ws2_32.dll",
}

exe, objdump, machine = sys.argv[1:4]
headers = subprocess.run([objdump, "-p", exe], capture_output=True, text=True, check=True).stdout
image = open(exe, "rb").read()
passed = failed = 0


def check(ok, what):
    global passed, failed
    if ok:
        passed += 1
    else:
        failed += 1
        print(f"FAILED: {exe}: {what}")


def field(name):
    found = re.search(rf"^{name}\s+([0-9a-fA-F]+)", headers, re.M)
    return int(found.group(1), 16) if found else None


check(f"file format pei-{machine}" in headers, f"a pei-{machine} image")
check(field("Subsystem") == 2, "the Windows GUI subsystem (no console)")
characteristics = field("DllCharacteristics") or 0
check(characteristics & 0x40, "ASLR (DYNAMIC_BASE)")
check(characteristics & 0x100, "DEP (NX_COMPAT)")
if machine == "x86-64":
    check(characteristics & 0x20, "high-entropy addresses (HIGH_ENTROPY_VA)")
check(characteristics & 0x8000, "terminal-server aware (TERMINAL_SERVER_AWARE)")

# -fstack-protector-strong: the guard's failure handler is linked in, and functions call it.
symbols = subprocess.run([objdump, "-t", exe], capture_output=True, text=True, check=True).stdout
check(re.search(r"\(sec\s+\d+\).*\s_*_stack_chk_fail$", symbols, re.M), "the stack guard's handler linked in")
code = subprocess.run([objdump, "-d", exe], capture_output=True, text=True, check=True).stdout
guarded = len(re.findall(r"\scall\s.*<_*_stack_chk_fail>", code))
check(guarded > 0, "functions that check their stack guard")
imports = {name.lower() for name in re.findall(r"DLL Name: (\S+)", headers)}
check(imports and imports <= SYSTEM_DLLS, f"system DLLs only, imports {sorted(imports - SYSTEM_DLLS)}")

# VS_FIXEDFILEINFO: its signature, then the structure version and the file and product
# versions, each as a most and a least significant double word.
at = image.find(struct.pack("<I", 0xFEEF04BD))
check(at >= 0, "a version resource")
if at >= 0:
    _, _, file_ms, _, product_ms, _ = struct.unpack_from("<6I", image, at)
    check(file_ms == 0x00020000 and product_ms == 0x00020000,
          f"version 2.0, found {file_ms >> 16}.{file_ms & 0xFFFF} (product {product_ms >> 16}.{product_ms & 0xFFFF})")



def resource(kind, ident):
    """The first language's data of a resource, or None: the resource directory's three
    levels (type, name, language) inside the section that holds it."""
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    sections, optional_size = struct.unpack_from("<H12xH", image, pe + 6)
    optional = pe + 24
    directories = optional + (112 if struct.unpack_from("<H", image, optional)[0] == 0x20B else 96)
    root_rva = struct.unpack_from("<I", image, directories + 2 * 8)[0]
    for n in range(sections):
        size, rva, _, raw = struct.unpack_from("<4I", image, optional + optional_size + 40 * n + 8)
        if rva <= root_rva < rva + size:
            break
    else:
        return None
    base = raw + root_rva - rva

    def entry(directory, wanted):
        named, ids = struct.unpack_from("<HH", image, base + directory + 12)
        for at in range(named + ids):
            name, offset = struct.unpack_from("<II", image, base + directory + 16 + 8 * at)
            if wanted is None or name == wanted:
                return offset & 0x7FFFFFFF
        return None

    level = 0
    for wanted in (kind, ident, None):
        level = entry(level, wanted)
        if level is None:
            return None
    data_rva, data_size = struct.unpack_from("<II", image, base + level)
    return image[raw + data_rva - rva:raw + data_rva - rva + data_size]


# The manifest (RT_MANIFEST 24, CREATEPROCESS_MANIFEST_RESOURCE_ID 1), as Windows reads it:
# "Application manifests" (Microsoft Learn) names the elements and the supportedOS Ids.
SUPPORTED_OS = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "Windows 7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "Windows 8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "Windows 8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "Windows 10 and 11",
}
manifest = resource(24, 1)
check(manifest is not None, "an application manifest (resource 24, id 1)")
if manifest is not None:
    try:
        assembly = ElementTree.fromstring(manifest)
    except ElementTree.ParseError as error:
        assembly = None
        check(False, f"the manifest is XML: {error}")
if manifest is not None and assembly is not None:
    check(assembly.tag == "{urn:schemas-microsoft-com:asm.v1}assembly", f"the manifest's root, found {assembly.tag}")
    levels = [(e.get("level"), e.get("uiAccess")) for e in assembly.iter()
              if e.tag.endswith("}requestedExecutionLevel")]
    check(levels == [("asInvoker", "false")], f"requestedExecutionLevel asInvoker, uiAccess false: found {levels}")
    found = {e.get("Id", "").lower() for e in assembly.iter()
             if e.tag == "{urn:schemas-microsoft-com:compatibility.v1}supportedOS"}
    check(found == set(SUPPORTED_OS), f"supportedOS {sorted(SUPPORTED_OS.values())}: found {sorted(found)}")

print(f"{passed} passed, {failed} failed")
