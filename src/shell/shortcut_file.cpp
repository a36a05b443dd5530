#include "shell/shortcut_file.h"

#include "automation/com_ptr.h"

#include <windows.h>

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

bool writeShortcut(const std::u16string& file, const ShortcutValues& values) {
    ShellShortcut shortcut;
    if (!shortcut.make()) return false;
    IShellLinkW* link = shortcut.link.get();
    // Each step runs even after a failed one, so that as much as possible is written.
    bool ok = SUCCEEDED(link->SetArguments(wide(values.arguments)));
    ok = SUCCEEDED(link->SetDescription(wide(values.description))) && ok;
    ok = SUCCEEDED(link->SetWorkingDirectory(wide(values.workingDirectory))) && ok;
    ok = SUCCEEDED(link->SetPath(wide(values.path))) && ok;
    ok = SUCCEEDED(shortcut.file->Save(wide(file), TRUE)) && ok;
    return ok;
}

} // namespace ondrik
