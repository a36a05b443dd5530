#include "shell/desktop.h"

#include <shellapi.h>

namespace ondrik::desktop {

void openDocument(const wchar_t* file, const wchar_t* verb) {
    // Owner -1 rather than no window; parameters and folder are empty strings, not null.
    ShellExecuteW(reinterpret_cast<HWND>(LONG_PTR(-1)), verb ? verb : L"", file ? file : L"", L"", L"",
                  SW_SHOWNORMAL);
}

} // namespace ondrik::desktop
