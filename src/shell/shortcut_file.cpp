#include "shell/shortcut_file.h"

#include "automation/com_ptr.h"

#include <windows.h>

#include <atomic>
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

} // namespace

void failNextShortcutSave() {
    saveFails = true;
}

bool replaceWithShortcut(const std::u16string& file, const std::u16string& folder, const ShortcutValues& values) {
    if (!usableName(file) || folder.find(u'\0') != std::u16string::npos) return false;
    // A file of a name of the system's making in the same folder (so on the same volume,
    // where a rename is one step); its making also shows that the folder takes files.
    wchar_t beside[MAX_PATH];
    if (!GetTempFileNameW(wide(folder + u"\\"), L"lnk", 0, beside)) return false;
    bool replaced = writeShortcut(beside, values) &&
                    MoveFileExW(beside, wide(file), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!replaced) DeleteFileW(beside);
    return replaced;
}

} // namespace ondrik
