// Checks the security descriptor that the packages give <SUITEBASE>\Eseguibili, as Windows
// reads it: parsed by the platform's own converter (ConvertStringSecurityDescriptorTo
// SecurityDescriptorW), it is protected (SE_DACL_PROTECTED: nothing inherited from above),
// owned by the Administrators, and its entries, inherited by every folder and file below,
// give SYSTEM and the Administrators full control and Users read and execute: no write,
// append, delete, WRITE_DAC or WRITE_OWNER to Users, and nothing to anybody else.
// Rights as "File Security and Access Rights" (Microsoft Learn) defines them for files and
// folders, generic rights mapped through the file objects' mapping.
//
// Usage: lock_check SDDL [FOLDER [BELOW...]]
// With FOLDER, the descriptor the installed folder has is read back too: where the
// installer applied the lock (the folder's DACL is protected) it and the paths BELOW it are
// checked the same way; where it did not, a line says so (Wine's msiexec ignores the
// MsiLockPermissionsEx table; Windows Installer 5.0 applies it).
// Prints a line per failed check and ends with "N passed, N failed".
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <cstdio>
#include <string>

namespace {

int passed = 0;
int failed = 0;

void check(bool ok, const std::wstring& what) {
    if (ok) {
        ++passed;
    } else {
        ++failed;
        std::wprintf(L"FAILED: %ls\n", what.c_str());
    }
}

std::wstring sidText(PSID sid) {
    LPWSTR text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text)) return L"?";
    std::wstring out = text;
    LocalFree(text);
    return out;
}

std::wstring descriptorText(PSECURITY_DESCRIPTOR sd) {
    LPWSTR text = nullptr;
    if (!ConvertSecurityDescriptorToStringSecurityDescriptorW(
            sd, SDDL_REVISION_1, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &text, nullptr))
        return L"?";
    std::wstring out = text;
    LocalFree(text);
    return out;
}

bool isWellKnown(PSID sid, WELL_KNOWN_SID_TYPE type) {
    BYTE buffer[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof buffer;
    return CreateWellKnownSid(type, nullptr, buffer, &size) && EqualSid(sid, buffer);
}

// What lets a user change, replace or delete a file or folder, or its permissions.
constexpr ACCESS_MASK kChanges = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES |
                                 FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER;

// The checks of one descriptor; `lockedFolder`: the folder the lock is set on (protected,
// owned by the Administrators), else a path below it (its entries are inherited).
void checkDescriptor(PSECURITY_DESCRIPTOR sd, const std::wstring& what, bool lockedFolder) {
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(sd, &control, &revision);
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted);
    check(present && dacl, what + L": has a DACL");
    if (!present || !dacl) return;
    if (lockedFolder) {
        check(control & SE_DACL_PROTECTED, what + L": protected, inheriting nothing from above");
        PSID owner = nullptr;
        GetSecurityDescriptorOwner(sd, &owner, &defaulted);
        check(owner && isWellKnown(owner, WinBuiltinAdministratorsSid),
              what + L": owned by the Administrators, found " + (owner ? sidText(owner) : L"none"));
    }
    GENERIC_MAPPING fileRights = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    bool system = false, administrators = false, users = false;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACE_HEADER* header = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&header))) continue;
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;  // a deny entry grants nothing
        auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
        PSID sid = &ace->SidStart;
        ACCESS_MASK rights = ace->Mask;
        MapGenericMask(&rights, &fileRights);
        std::wstring who = what + L": " + sidText(sid);
        if (lockedFolder)
            check((header->AceFlags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE | INHERIT_ONLY_ACE)) ==
                      (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE),
                  who + L"'s entry holds for the folder and everything below it");
        if (isWellKnown(sid, WinLocalSystemSid) || isWellKnown(sid, WinBuiltinAdministratorsSid)) {
            (isWellKnown(sid, WinLocalSystemSid) ? system : administrators) = true;
            check((rights & FILE_ALL_ACCESS) == FILE_ALL_ACCESS, who + L" has full control");
        } else if (isWellKnown(sid, WinBuiltinUsersSid)) {
            users = true;
            check((rights & (FILE_GENERIC_READ | FILE_GENERIC_EXECUTE)) == (FILE_GENERIC_READ | FILE_GENERIC_EXECUTE),
                  who + L" may read and execute");
            wchar_t mask[16];
            std::swprintf(mask, 16, L"0x%lx", static_cast<unsigned long>(rights & kChanges));
            check(!(rights & kChanges), who + L" may not write, delete, change permissions or take ownership: " +
                                           L"granted " + mask);
        } else {
            check(false, who + L" is granted rights (only SYSTEM, the Administrators and Users may be)");
        }
    }
    check(system && administrators && users, what + L": entries for SYSTEM, the Administrators and Users");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: lock_check SDDL [FOLDER [BELOW...]]\n");
        return 2;
    }
    PSECURITY_DESCRIPTOR parsed = nullptr;
    check(ConvertStringSecurityDescriptorToSecurityDescriptorW(argv[1], SDDL_REVISION_1, &parsed, nullptr),
          std::wstring(L"the platform parses ") + argv[1]);
    if (parsed) {
        checkDescriptor(parsed, L"the package's descriptor", true);
        LocalFree(parsed);
    }
    for (int i = 2; i < argc; ++i) {
        PSECURITY_DESCRIPTOR sd = nullptr;
        DWORD error = GetNamedSecurityInfoW(argv[i], SE_FILE_OBJECT,
                                            OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr,
                                            nullptr, nullptr, nullptr, &sd);
        check(error == ERROR_SUCCESS, std::wstring(L"reading the descriptor of ") + argv[i]);
        if (error != ERROR_SUCCESS) continue;
        SECURITY_DESCRIPTOR_CONTROL control = 0;
        DWORD revision = 0;
        GetSecurityDescriptorControl(sd, &control, &revision);
        if (i == 2 && !(control & SE_DACL_PROTECTED)) {
            std::wprintf(L"NOT CHECKED: the installer did not lock %ls (its descriptor: %ls): Wine's msiexec "
                         L"ignores the MsiLockPermissionsEx table, which Windows Installer 5.0 applies\n",
                         argv[i], descriptorText(sd).c_str());
            LocalFree(sd);
            break;
        }
        std::wprintf(L"%ls: %ls\n", argv[i], descriptorText(sd).c_str());
        checkDescriptor(sd, argv[i], i == 2);
        LocalFree(sd);
    }
    std::wprintf(L"%d passed, %d failed\n", passed, failed);
    return failed ? 1 : 0;
}
