// COM security of the server: who may start it, and who may call it once it runs.
//
// Each user's clients start and use a server of their own (COM starts it as the activating
// user), and the server hands every open session's user name and password to whoever holds
// the session. So:
//   launch  any local user may start a server, which then runs as that user (a batch job or
//           a scheduled task of the suite too);
//   access  only the server's own user (SELF), SYSTEM and the Administrators may call it.
// Both grant local execution only (COM_RIGHTS_EXECUTE | COM_RIGHTS_EXECUTE_LOCAL, never
// COM_RIGHTS_EXECUTE_REMOTE) and deny network logons everything. /regserver stores them in
// the AppID, the package's tables carry the same (package/build_msi.py reads them from
// security.cpp), and the server sets the access one for its process at start.
#pragma once

#include <objbase.h>
#include <vector>

namespace ondrik::security {

enum class Permission { launch, access };

// Sets the process's access permission; callers are identified, not impersonated.
HRESULT initialize();

// A permission as the self-relative security descriptor that registration stores in the
// AppID. Empty on failure.
std::vector<BYTE> descriptorOf(Permission which);

} // namespace ondrik::security
