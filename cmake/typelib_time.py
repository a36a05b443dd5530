#!/usr/bin/env python3
"""Gives the type library widl wrote the time SOURCE_DATE_EPOCH, where that is set: widl
stamps each library with the time it was made, as text ("Created by WIDL version 7.0 at
Wed Dec  9 22:06:42 2026", in UTC: the build runs widl with TZ=UTC) and as a 32-bit time
value beside it, both custom data of the library, so that one commit's type library would
differ from build to build. The widl of Debian 12 does not read SOURCE_DATE_EPOCH itself.

Usage: typelib_time.py TLB"""
import calendar
import os
import re
import struct
import sys
import time

path = sys.argv[1]
epoch = os.environ.get("SOURCE_DATE_EPOCH")
if not epoch:
    sys.exit(0)
data = bytearray(open(path, "rb").read())
stamp = re.search(rb"Created by WIDL version [^ ]+ at (\w{3} \w{3} [ \d]\d \d\d:\d\d:\d\d \d{4})", data)
if not stamp:
    sys.exit(f"typelib_time.py: {path} has no time stamp of widl's")
made = calendar.timegm(time.strptime(stamp[1].decode(), "%a %b %d %H:%M:%S %Y"))
value = data.find(struct.pack("<I", made), stamp.end())
if value < 0:
    sys.exit(f"typelib_time.py: {path} has no time value of widl's")
data[stamp.start(1):stamp.end(1)] = time.asctime(time.gmtime(int(epoch))).encode()
data[value:value + 4] = struct.pack("<I", int(epoch))
open(path, "wb").write(data)
