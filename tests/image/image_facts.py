#!/usr/bin/env python3
"""Checks what the built Ondrik.exe is as a file: the machine it is for, a GUI-subsystem
image with ASLR and DEP, that it imports system DLLs only (its runtime is linked in, so
the one file is the whole install), and that it carries the version resource 2.0.

Usage: image_facts.py EXE OBJDUMP MACHINE   (MACHINE: i386 or x86-64)
Prints a line per failed check and ends with "N passed, N failed"."""
import re
import struct
import subprocess
import sys

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

print(f"{passed} passed, {failed} failed")
