// Helpers for the folder tests: what stands on disk, making and removing test trees,
// and the server processes of this prefix.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <tlhelp32.h>
#include <vector>

namespace testing_ondrik {

inline bool isFolder(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

inline bool isFile(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

inline bool absent(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

inline bool makeFile(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

// Removes a file or a whole folder tree; what is not there is fine.
inline void removeTree(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return;
    if (!(a & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileW(path.c_str());
        return;
    }
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name != L"." && name != L"..") removeTree(path + L"\\" + name);
        } while (FindNextFileW(h, &found));
        FindClose(h);
    }
    RemoveDirectoryW(path.c_str());
}

// The ids of this prefix's processes running EXE; nothing when they cannot be listed.
inline std::optional<std::vector<DWORD>> processIdsNamed(const wchar_t* exe) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return std::nullopt;
    PROCESSENTRY32W e = {};
    e.dwSize = sizeof(e);
    std::vector<DWORD> ids;
    for (BOOL more = Process32FirstW(snap, &e); more; more = Process32NextW(snap, &e))
        if (lstrcmpiW(e.szExeFile, exe) == 0) ids.push_back(e.th32ProcessID);
    CloseHandle(snap);
    return ids;
}

// How many processes of this prefix run EXE, -1 when they cannot be listed.
inline int processesNamed(const wchar_t* exe) {
    auto ids = processIdsNamed(exe);
    return ids ? int(ids->size()) : -1;
}

inline int serverProcesses() {
    return processesNamed(L"Ondrik.exe");
}

inline std::optional<std::vector<DWORD>> serverProcessIds() {
    return processIdsNamed(L"Ondrik.exe");
}

// Waits until no server is left. A server that Wine's activation started but no client
// reached ends only at its idle limit of a minute, so the wait goes a little beyond it.
inline bool noServerLeft() {
    for (int i = 0; i < 700; ++i) {
        if (serverProcesses() == 0) return true;
        Sleep(100);
    }
    return false;
}

} // namespace testing_ondrik
