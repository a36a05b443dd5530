#include "server/security.h"

#include <sddl.h>
#include <windows.h>

namespace ondrik::security {
namespace {

// Owner and group: the Administrators. Network logons (NU) are denied everything; the
// grants are 0x3, COM_RIGHTS_EXECUTE | COM_RIGHTS_EXECUTE_LOCAL. The package's build reads
// these two strings.
const wchar_t kLaunchPermission[] = L"O:BAG:BAD:(D;;0x7;;;NU)(A;;0x3;;;WD)";
// PS is the principal SELF, which COM's access check takes as the server's own user.
const wchar_t kAccessPermission[] = L"O:BAG:BAD:(D;;0x7;;;NU)(A;;0x3;;;PS)(A;;0x3;;;SY)(A;;0x3;;;BA)";

} // namespace

std::vector<BYTE> descriptorOf(Permission which) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    ULONG size = 0;
    const wchar_t* sddl = which == Permission::launch ? kLaunchPermission : kAccessPermission;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, &size)) return {};
    std::vector<BYTE> out(static_cast<BYTE*>(sd), static_cast<BYTE*>(sd) + size);
    LocalFree(sd);
    return out;
}

HRESULT initialize() {
    std::vector<BYTE> sd = descriptorOf(Permission::access);
    if (sd.empty()) return HRESULT_FROM_WIN32(GetLastError());
    return CoInitializeSecurity(sd.data(), -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT,
                                RPC_C_IMP_LEVEL_IDENTIFY, nullptr, EOAC_NONE, nullptr);
}

} // namespace ondrik::security
