#include "shell_shortcut.h"

#include "automation/com_ptr.h"

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

namespace testing_ondrik {
namespace {

// The shell's shortcut class; CLSID_ShellLink names the server's own class in this program.
const CLSID kShellShortcutClass = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

ondrik::ComPtr<IShellLinkW> newShortcut() {
    ondrik::ComPtr<IShellLinkW> link;
    CoCreateInstance(kShellShortcutClass, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IShellLinkW),
                     link.putVoid());
    return link;
}

} // namespace

bool shellWriteShortcut(const std::wstring& file, const ShellShortcutValues& v) {
    auto link = newShortcut();
    if (!link) return false;
    if (!v.path.empty()) link->SetPath(v.path.c_str());
    if (!v.arguments.empty()) link->SetArguments(v.arguments.c_str());
    if (!v.description.empty()) link->SetDescription(v.description.c_str());
    if (!v.workingDirectory.empty()) link->SetWorkingDirectory(v.workingDirectory.c_str());
    if (!v.iconFile.empty()) link->SetIconLocation(v.iconFile.c_str(), 3);
    auto file_ = link.query<IPersistFile>(__uuidof(IPersistFile));
    return file_ && SUCCEEDED(file_->Save(file.c_str(), TRUE));
}

bool shellReadShortcut(const std::wstring& file, ShellShortcutValues& v) {
    auto link = newShortcut();
    if (!link) return false;
    auto file_ = link.query<IPersistFile>(__uuidof(IPersistFile));
    if (!file_ || FAILED(file_->Load(file.c_str(), STGM_READ))) return false;
    wchar_t text[1024] = {};
    auto take = [&](std::wstring& out) {
        out = text;
        text[0] = 0;
    };
    link->GetPath(text, 1024, nullptr, 0);
    take(v.path);
    link->GetArguments(text, 1024);
    take(v.arguments);
    link->GetDescription(text, 1024);
    take(v.description);
    link->GetWorkingDirectory(text, 1024);
    take(v.workingDirectory);
    int index = 0;
    link->GetIconLocation(text, 1024, &index);
    take(v.iconFile);
    return true;
}


} // namespace testing_ondrik
