#include "shell/shortcut_file.h"

#include "automation/com_ptr.h"

#include <windows.h>

#include <atomic>
#include <cwchar>
#include <optional>
#include <shlobj.h>
#include <vector>

namespace ondrik {
namespace {

// The shell's shortcut class. In this program the name CLSID_ShellLink belongs to the
// server's own ShellLink class, so the shell's identifier is spelled out here.
const CLSID kShellShortcutClass = {0x00021401, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// Long enough for any value a shortcut holds (the shell's own dialogs stop far earlier).
constexpr int kValueLength = 32768;

const wchar_t* wide(const std::u16string& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}

struct ShellShortcut {
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;

    bool make() {
        if (FAILED(CoCreateInstance(kShellShortcutClass, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IShellLinkW),
                                    link.putVoid())))
            return false;
        file = link.query<IPersistFile>(__uuidof(IPersistFile));
        return bool(file);
    }
    // Released in reverse order of acquisition.
    ~ShellShortcut() {
        file.reset();
        link.reset();
    }
};

template <class Getter> std::optional<std::u16string> readValue(Getter&& get) {
    std::vector<wchar_t> buffer(kValueLength, L'\0');
    if (FAILED(get(buffer.data(), kValueLength))) return std::nullopt;
    buffer.back() = L'\0';
    return std::u16string(reinterpret_cast<const char16_t*>(buffer.data()));
}

} // namespace

ShortcutReading readShortcut(const std::u16string& file) {
    ShortcutReading out;
    ShellShortcut shortcut;
    if (!shortcut.make()) return out;
    if (FAILED(shortcut.file->Load(wide(file), STGM_READ))) return out;
    out.loaded = true;
    IShellLinkW* link = shortcut.link.get();
    out.arguments = readValue([&](wchar_t* b, int n) { return link->GetArguments(b, n); });
    out.description = readValue([&](wchar_t* b, int n) { return link->GetDescription(b, n); });
    out.workingDirectory = readValue([&](wchar_t* b, int n) { return link->GetWorkingDirectory(b, n); });
    out.path = readValue([&](wchar_t* b, int n) { return link->GetPath(b, n, nullptr, 0); });
    return out;
}

namespace {

std::atomic<bool> saveFails{false};

// Sets the values on a new shortcut object and saves it as file; false when a step failed.
bool writeShortcut(const wchar_t* file, const ShortcutValues& values) {
    ShellShortcut shortcut;
    if (!shortcut.make()) return false;
    IShellLinkW* link = shortcut.link.get();
    return SUCCEEDED(link->SetArguments(wide(values.arguments))) &&
           SUCCEEDED(link->SetDescription(wide(values.description))) &&
           SUCCEEDED(link->SetWorkingDirectory(wide(values.workingDirectory))) &&
           SUCCEEDED(link->SetPath(wide(values.path))) && !saveFails.exchange(false) &&
           SUCCEEDED(shortcut.file->Save(file, TRUE));
}

// The platform's calls end a name at its first character of code 0: such a name would
// reach another file than the one given.
bool usableName(const std::u16string& name) {
    return !name.empty() && name.find(u'\0') == std::u16string::npos;
}

// The full path of file as the system takes it (either separator, "." and ".." resolved),
// and the length of its folder with the separator; none when it has no last part.
struct FullPath {
    std::wstring path;
    size_t folderLength;
};
std::optional<FullPath> fullPathOf(const std::u16string& file) {
    DWORD size = GetFullPathNameW(wide(file), 0, nullptr, nullptr);
    if (!size) return std::nullopt;
    std::wstring full(size, L'\0');
    wchar_t* last = nullptr;
    size = GetFullPathNameW(wide(file), size, full.data(), &last);
    if (!size || size >= full.size() || !last || !*last) return std::nullopt;
    full.resize(size);
    return FullPath{full, size_t(last - full.data())};
}

// A new, empty file in folder (a full path with its separator), named as GetTempFileNameW
// names its files, "lnk", four hexadecimal digits, ".tmp" (made only where no file has
// the name). GetTempFileNameW itself refuses folders longer than MAX_PATH - 14
// characters, where shortcuts are written all the same: where that name would reach
// MAX_PATH, the file is "~" and three hexadecimal digits. Empty when the folder takes no
// file, or has no room for a name.
std::wstring makeFileIn(const std::wstring& folder) {
    static std::atomic<unsigned> next{GetTickCount()};
    bool tight = folder.size() + 11 >= MAX_PATH;
    if (tight && folder.size() + 4 >= MAX_PATH) return {};
    for (int tries = 0; tries < 100; ++tries) {
        unsigned unique = next++ * 0x9E37u;
        wchar_t name[16];
        if (tight)
            swprintf(name, 16, L"~%03X", unique & 0xFFFu);
        else
            swprintf(name, 16, L"lnk%04X.tmp", unique & 0xFFFFu);
        std::wstring path = folder + name;
        HANDLE made = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (made != INVALID_HANDLE_VALUE) {
            CloseHandle(made);
            return path;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return {};
    }
    return {};
}

} // namespace

void failNextShortcutSave() {
    saveFails = true;
}

bool replaceWithShortcut(const std::u16string& file, const ShortcutValues& values) {
    if (!usableName(file)) return false;
    std::optional<FullPath> full = fullPathOf(file);
    if (!full) return false;
    // Written first beside the shortcut, in its folder (so on its volume, where the
    // replacing is one step); making that file also shows that the folder takes files.
    std::wstring beside = makeFileIn(full->path.substr(0, full->folderLength));
    if (beside.empty()) return false;
    const std::wstring& target = full->path;
    bool replaced = false;
    if (writeShortcut(beside.c_str(), values)) {
        // A shortcut that stands there is replaced keeping what the file itself carries:
        // its permissions, its attributes (hidden, system), its other names (hard links).
        // A rename would give the new file the folder's inherited permissions instead.
        // A folder of that name is no file to replace (the move refuses it).
        DWORD standing = GetFileAttributesW(target.c_str());
        if (standing != INVALID_FILE_ATTRIBUTES && !(standing & FILE_ATTRIBUTE_DIRECTORY)) {
            replaced = ReplaceFileW(target.c_str(), beside.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                                    nullptr, nullptr);
            // Wine's ReplaceFileW renames without carrying the attributes over, which
            // Windows' keeps: they are set again where they differ.
            constexpr DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                   FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
            DWORD now = GetFileAttributesW(target.c_str());
            if (replaced && now != INVALID_FILE_ATTRIBUTES && (now & kept) != (standing & kept))
                SetFileAttributesW(target.c_str(), (now & ~kept & ~FILE_ATTRIBUTE_NORMAL) | (standing & kept));
        } else
            replaced = MoveFileExW(beside.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    }
    if (!replaced) DeleteFileW(beside.c_str());
    return replaced;
}

} // namespace ondrik
