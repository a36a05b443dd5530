#include "server/security.h"

#include <sddl.h>
#include <windows.h>

namespace ondrik::security {
namespace {

// Deny network logons (NU) everything; allow everybody else to execute locally
// (COM_RIGHTS_EXECUTE 0x1 | COM_RIGHTS_EXECUTE_LOCAL 0x2); owner and group: administrators.
const wchar_t kLocalOnly[] = L"O:BAG:BAD:(D;;0x7;;;NU)(A;;0x3;;;WD)";

} // namespace

std::vector<BYTE> localOnlyDescriptor() {
    PSECURITY_DESCRIPTOR sd = nullptr;
    ULONG size = 0;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kLocalOnly, SDDL_REVISION_1, &sd, &size))
        return {};
    std::vector<BYTE> out(static_cast<BYTE*>(sd), static_cast<BYTE*>(sd) + size);
    LocalFree(sd);
    return out;
}

HRESULT initialize() {
    std::vector<BYTE> sd = localOnlyDescriptor();
    if (sd.empty()) return HRESULT_FROM_WIN32(GetLastError());
    return CoInitializeSecurity(sd.data(), -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT,
                                RPC_C_IMP_LEVEL_IDENTIFY, nullptr, EOAC_NONE, nullptr);
}

} // namespace ondrik::security
