// The tick source behind session identifiers (GetNuovoTick of module Ondrik_Main).
#pragma once

#include <cstdint>

namespace ondrik::ondrikMain {

// A reading of the tick counter taken after it has moved on from its value at entry, and
// never one handed out before; while it waits, pending window messages and incoming calls
// are served (docs/reentrancy.md).
int32_t getNuovoTick();

} // namespace ondrik::ondrikMain
