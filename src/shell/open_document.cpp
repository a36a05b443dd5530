#include "shell/desktop.h"

#include "automation/worker_call.h"

#include <cwchar>
#include <shellapi.h>
#include <string>

namespace ondrik::desktop {

HRESULT openDocument(const wchar_t* file, const wchar_t* verb) {
    const wchar_t* name = file ? file : L"";
    // Wine's shell overflows a buffer of about a thousand characters when it is handed a
    // longer name (with the current folder in front of a relative one), and the server
    // would die with it. Documents have paths of at most MAX_PATH characters, and the
    // addresses a suite opens stay well within twice that; a longer name does not reach the
    // shell: as for a missing file, nothing happens and nothing is reported.
    if (std::wcslen(name) > kLongestDocumentName) return S_OK;
    // The shell may take long to hand the document to its program (or to find out that
    // a share is not there); it wants a single-threaded apartment of its own.
    return handOffResult(runServing(
        [name = std::wstring(name), verb = std::wstring(verb ? verb : L"")] {
            // The document's program may bring its window to the front only with the right
            // to do so. A client that has it may pass it to this process first
            // (CoAllowSetForegroundWindow); this passes it on to the program started here.
            // Without it, the call fails and the window may come up behind.
            AllowSetForegroundWindow(ASFW_ANY);
            // Owner -1 rather than no window; parameters and folder are empty strings, not null.
            ShellExecuteW(reinterpret_cast<HWND>(LONG_PTR(-1)), verb.c_str(), name.c_str(), L"", L"",
                          SW_SHOWNORMAL);
        },
        INFINITE, Apartment::singleThreaded));
}

} // namespace ondrik::desktop
