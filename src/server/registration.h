// Ondrik.exe /regserver and /unregserver: the classes, their ProgIDs and the type
// library. Machine-wide by default (Wine's activation sees no per-user classes); with
// /user, for the current user only (Windows).
#pragma once

#include <objbase.h>

namespace ondrik {

HRESULT registerServer(bool perUser);
HRESULT unregisterServer(bool perUser);

} // namespace ondrik
