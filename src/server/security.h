// COM security of the server: only callers on this machine may call or start it.
#pragma once

#include <objbase.h>
#include <string>
#include <vector>

namespace ondrik::security {

// Local callers may call in (COM_RIGHTS_EXECUTE | COM_RIGHTS_EXECUTE_LOCAL, never
// COM_RIGHTS_EXECUTE_REMOTE), network logons are denied; callers are identified, not
// impersonated.
HRESULT initialize();

// The same rule, as the self-relative security descriptor that registration stores as
// the server's launch and access permissions. Empty on failure.
std::vector<BYTE> localOnlyDescriptor();

} // namespace ondrik::security
