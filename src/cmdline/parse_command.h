// ParseCommand on the automation side: reads the caller's switches out of the parameter
// array, runs the token rules and fills a new Collection with the result.
#pragma once

#include "automation/com_ptr.h"
#include "cmdline/collection.h"
#include "generated/Ondrik.h"

#include <windows.h>

#include <oaidl.h>

namespace ondrik::cmdline {

// A new Collection, or an empty pointer for an empty command line. Throws std::bad_alloc
// when memory runs out; nothing else fails.
ComPtr<Collection> parseCommandToCollection(BSTR commandLine, BSTR delimiter, SAFEARRAY* flags);

} // namespace ondrik::cmdline
