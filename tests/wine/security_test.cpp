// Who may start the server and who may call it: the descriptors the server sets and
// registers, read back entry by entry.
#include "generated/Ondrik.h"
#include "server/security.h"

#include <gtest/gtest.h>
#include <sddl.h>
#include <string>
#include <vector>

namespace {

using ondrik::security::Permission;

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

// One entry of a DACL; rights are COM_RIGHTS_EXECUTE 0x1, _LOCAL 0x2, _REMOTE 0x4.
struct Ace {
    BYTE type;
    DWORD mask;
    const wchar_t* sid; // as SDDL writes it
};
// Network logons are denied everything; the grants are local only.
const std::vector<Ace> kLaunch = {{ACCESS_DENIED_ACE_TYPE, 0x7, L"NU"}, {ACCESS_ALLOWED_ACE_TYPE, 0x3, L"WD"}};
// S-1-5-10, SELF: the server's own user, then SYSTEM and the Administrators.
const std::vector<Ace> kAccess = {{ACCESS_DENIED_ACE_TYPE, 0x7, L"NU"},
                                  {ACCESS_ALLOWED_ACE_TYPE, 0x3, L"S-1-5-10"},
                                  {ACCESS_ALLOWED_ACE_TYPE, 0x3, L"SY"},
                                  {ACCESS_ALLOWED_ACE_TYPE, 0x3, L"BA"}};

std::wstring sidText(PSID sid) {
    LPWSTR text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text)) return L"?";
    std::wstring out = text;
    LocalFree(text);
    return out;
}

std::wstring sidText(const wchar_t* alias) {
    PSID sid = nullptr;
    if (!ConvertStringSidToSidW(alias, &sid)) return L"?";
    std::wstring out = sidText(sid);
    LocalFree(sid);
    return out;
}

// Owner and group are the Administrators, and the DACL is exactly the entries expected,
// in their order.
void expectDescriptor(std::vector<BYTE>& sd, const std::vector<Ace>& expected) {
    ASSERT_FALSE(sd.empty());
    ASSERT_TRUE(IsValidSecurityDescriptor(sd.data()));
    PSID owner = nullptr, group = nullptr;
    BOOL defaulted = FALSE, present = FALSE;
    ASSERT_TRUE(GetSecurityDescriptorOwner(sd.data(), &owner, &defaulted));
    ASSERT_TRUE(GetSecurityDescriptorGroup(sd.data(), &group, &defaulted));
    EXPECT_EQ(sidText(owner), sidText(L"BA"));
    EXPECT_EQ(sidText(group), sidText(L"BA"));
    PACL dacl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(sd.data(), &present, &dacl, &defaulted));
    ASSERT_TRUE(present && dacl);
    ASSERT_EQ(dacl->AceCount, expected.size());
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        SCOPED_TRACE(testing::Message() << "entry " << i);
        ACE_HEADER* ace = nullptr;
        ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
        // An allowed and a denied entry share their layout: header, mask, SID.
        auto* entry = reinterpret_cast<ACCESS_ALLOWED_ACE*>(ace);
        EXPECT_EQ(ace->AceType, expected[i].type);
        EXPECT_EQ(entry->Mask, expected[i].mask);
        EXPECT_EQ(sidText(&entry->SidStart), sidText(expected[i].sid));
    }
}

} // namespace

TEST(Security, AnyLocalUserStartsTheServerAndOnlyItsOwnUserSystemAndAdministratorsCallIt) {
    std::wstring appId = L"Software\\Classes\\AppID\\" + clsidText();
    struct Case {
        const char* what;
        Permission permission;
        const wchar_t* value;
        const std::vector<Ace>& aces;
    };
    for (const Case& c : {Case{"launch", Permission::launch, L"LaunchPermission", kLaunch},
                          Case{"access", Permission::access, L"AccessPermission", kAccess}}) {
        SCOPED_TRACE(c.what);
        std::vector<BYTE> own = ondrik::security::descriptorOf(c.permission);
        expectDescriptor(own, c.aces);
        std::vector<BYTE> registered = readBinary(appId, c.value);
        expectDescriptor(registered, c.aces);
        EXPECT_EQ(registered, own);
    }
    wchar_t value[64] = {};
    DWORD size = sizeof(value);
    ASSERT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, (L"Software\\Classes\\CLSID\\" + clsidText()).c_str(),
                           L"AppID", RRF_RT_REG_SZ, nullptr, value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(value), clsidText());
}
