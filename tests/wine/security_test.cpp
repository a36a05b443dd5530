// The registered server lets only local callers start and call it.
#include "generated/Ondrik.h"
#include "server/security.h"

#include <gtest/gtest.h>
#include <sddl.h>
#include <string>
#include <vector>

namespace {

std::wstring clsidText() {
    wchar_t text[64] = {};
    StringFromGUID2(CLSID_Global, text, 64);
    return text;
}

std::vector<BYTE> readBinary(const std::wstring& key, const wchar_t* name) {
    DWORD size = 0;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_BINARY, nullptr, nullptr, &size) !=
        ERROR_SUCCESS)
        return {};
    std::vector<BYTE> data(size);
    RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_BINARY, nullptr, data.data(), &size);
    return data;
}

// Remote execution (COM_RIGHTS_EXECUTE_REMOTE, 0x4) is granted to nobody; network logons
// are denied everything; local execution (0x1 | 0x2) is granted.
void expectLocalOnly(std::vector<BYTE>& sd) {
    ASSERT_FALSE(sd.empty());
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(sd.data(), &present, &dacl, &defaulted));
    ASSERT_TRUE(present && dacl);
    PSID network = nullptr;
    ASSERT_TRUE(ConvertStringSidToSidW(L"NU", &network));
    bool deniesNetwork = false, grantsLocal = false;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACE_HEADER* ace = nullptr;
        ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
        if (ace->AceType == ACCESS_ALLOWED_ACE_TYPE) {
            auto* allowed = reinterpret_cast<ACCESS_ALLOWED_ACE*>(ace);
            EXPECT_EQ(allowed->Mask & 0x4, 0u);
            grantsLocal |= (allowed->Mask & 0x3) == 0x3;
        } else if (ace->AceType == ACCESS_DENIED_ACE_TYPE) {
            auto* denied = reinterpret_cast<ACCESS_DENIED_ACE*>(ace);
            deniesNetwork |= EqualSid(&denied->SidStart, network) && (denied->Mask & 0x7) == 0x7;
        }
    }
    LocalFree(network);
    EXPECT_TRUE(deniesNetwork);
    EXPECT_TRUE(grantsLocal);
}

} // namespace

TEST(Security, LaunchAndAccessAreForLocalCallersOnly) {
    std::vector<BYTE> own = ondrik::security::localOnlyDescriptor();
    expectLocalOnly(own);
    std::wstring appId = L"Software\\Classes\\AppID\\" + clsidText();
    for (const wchar_t* name : {L"LaunchPermission", L"AccessPermission"}) {
        SCOPED_TRACE(testing::Message()
                     << "registered " << (name[0] == L'L' ? "launch" : "access") << " permission");
        std::vector<BYTE> sd = readBinary(appId, name);
        expectLocalOnly(sd);
    }
    wchar_t value[64] = {};
    DWORD size = sizeof(value);
    ASSERT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, (L"Software\\Classes\\CLSID\\" + clsidText()).c_str(),
                           L"AppID", RRF_RT_REG_SZ, nullptr, value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(value), clsidText());
}
