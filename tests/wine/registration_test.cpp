// Ondrik.exe /unregserver answers success only when every key is gone or was never there.
// A key that cannot be deleted (as a machine-wide registration cannot, by a user without
// elevation) is made so here by a subkey whose name holds a character of code 0: the
// registry's own calls cannot open it, so they cannot take the key out. (Wine does not
// enforce the registry's permissions, which would be the plain way.)
#include "generated/Ondrik.h"

#include <gtest/gtest.h>
#include <winternl.h>
#include <string>

namespace {

std::wstring text(const GUID& g) {
    wchar_t buf[64] = {};
    StringFromGUID2(g, buf, 64);
    return buf;
}

// The registered server's command, as COM starts it (its path in quotes).
std::wstring serverCommand() {
    wchar_t path[MAX_PATH] = {};
    DWORD size = sizeof(path);
    RegGetValueW(HKEY_LOCAL_MACHINE, (L"Software\\Classes\\CLSID\\" + text(CLSID_Global) + L"\\LocalServer32").c_str(),
                 nullptr, RRF_RT_REG_SZ, nullptr, path, &size);
    return path;
}

DWORD run(const std::wstring& commandLine) {
    std::wstring line = commandLine;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 999;
    DWORD code = 998;
    if (WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

bool userKeyExists(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, (L"Software\\Classes\\" + path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// A subkey of the user's key at path named "x", a character of code 0, "y"; nullptr when it
// could not be made. Its handle is kept to delete it again.
HANDLE makeUnopenableSubkey(const std::wstring& path) {
    using CreateKey = LONG(NTAPI*)(HANDLE*, ACCESS_MASK, OBJECT_ATTRIBUTES*, ULONG, UNICODE_STRING*, ULONG, ULONG*);
    auto create = reinterpret_cast<CreateKey>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtCreateKey")));
    HKEY parent = nullptr;
    if (!create || RegOpenKeyExW(HKEY_CURRENT_USER, (L"Software\\Classes\\" + path).c_str(), 0, KEY_ALL_ACCESS,
                                 &parent) != ERROR_SUCCESS)
        return nullptr;
    wchar_t name[] = {L'x', L'\0', L'y'};
    UNICODE_STRING unicodeName{sizeof(name), sizeof(name), name};
    OBJECT_ATTRIBUTES attributes{};
    InitializeObjectAttributes(&attributes, &unicodeName, OBJ_CASE_INSENSITIVE, parent, nullptr);
    HANDLE key = nullptr;
    if (create(&key, KEY_ALL_ACCESS, &attributes, 0, nullptr, 0, nullptr) < 0) key = nullptr;
    RegCloseKey(parent);
    return key;
}

void deleteSubkey(HANDLE key) {
    using DeleteKey = LONG(NTAPI*)(HANDLE);
    auto remove = reinterpret_cast<DeleteKey>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtDeleteKey")));
    if (remove) remove(key);
    CloseHandle(key);
}

} // namespace

TEST(Registration, UnregisteringFailsWhileAKeyStaysAndSucceedsOnceEachIsGone) {
    const std::wstring server = serverCommand();
    ASSERT_FALSE(server.empty());
    const std::wstring shellLink = L"CLSID\\" + text(CLSID_ShellLink), global = L"CLSID\\" + text(CLSID_Global);
    ASSERT_EQ(run(server + L" /regserver /user"), 0u);
    ASSERT_TRUE(userKeyExists(shellLink));
    HANDLE stuck = makeUnopenableSubkey(shellLink);
    ASSERT_TRUE(stuck);

    EXPECT_EQ(run(server + L" /unregserver /user"), 1u) << "a key that stays is no success";
    EXPECT_TRUE(userKeyExists(shellLink));
    EXPECT_FALSE(userKeyExists(global)) << "the other keys are taken out all the same";

    deleteSubkey(stuck);
    EXPECT_EQ(run(server + L" /unregserver /user"), 0u);
    for (const std::wstring& key : {shellLink, global, std::wstring(L"Ondrik.Global"), std::wstring(L"Ondrik.ShellLink"),
                                    L"AppID\\" + text(CLSID_Global), L"TypeLib\\" + text(LIBID_Ondrik)})
        EXPECT_FALSE(userKeyExists(key)) << key.c_str();
    EXPECT_EQ(run(server + L" /unregserver /user"), 0u) << "nothing there: nothing to fail";

    // Another version of the library, registered beside it, is not this server's to take.
    const std::wstring otherVersion = L"Software\\Classes\\TypeLib\\" + text(LIBID_Ondrik) + L"\\7.0";
    HKEY other = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, otherVersion.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &other,
                              nullptr),
              ERROR_SUCCESS);
    RegCloseKey(other);
    EXPECT_EQ(run(server + L" /unregserver /user"), 0u) << "another version's key is no key of ours left";
    EXPECT_TRUE(userKeyExists(L"TypeLib\\" + text(LIBID_Ondrik) + L"\\7.0"));
    RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\Classes\\TypeLib\\" + text(LIBID_Ondrik)).c_str());

    // Wine's per-user type library calls work on the machine's registration: it is made again
    // for the tests that follow.
    EXPECT_EQ(run(server + L" /regserver"), 0u);
}
