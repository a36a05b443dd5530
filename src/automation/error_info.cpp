#include "automation/error_info.h"

#include "automation/bstr.h"
#include "automation/com_ptr.h"
#include "automation/type_library.h"

#include <oleauto.h>
#include <string>

namespace ondrik {
namespace {

std::wstring describe(HRESULT hr) {
    switch (hr) {
    case kInvalidCall:
        return L"Invalid procedure call or argument";
    case kOverflow:
        return L"Overflow";
    case kOutOfMemory:
        return L"Out of memory";
    case kTypeMismatch:
        return L"Type mismatch";
    case kObjectNotSet:
        return L"Object variable or With block variable not set";
    case kDuplicateKey:
        return L"This key is already associated with an element of this collection";
    default:
        break;
    }
    wchar_t* text = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, DWORD(hr), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    while (n > 0 && (text[n - 1] == L'\n' || text[n - 1] == L'\r' || text[n - 1] == L'.')) --n;
    std::wstring out = n ? std::wstring(text, n) : std::wstring(L"Automation error");
    if (text) LocalFree(text);
    return out;
}

} // namespace

HRESULT raise(HRESULT hr, REFIID iid) {
    ComPtr<ICreateErrorInfo> create;
    if (SUCCEEDED(CreateErrorInfo(create.put()))) {
        std::wstring text = describe(hr);
        create->SetGUID(iid);
        create->SetSource(const_cast<LPOLESTR>(typeLibrary::name()));
        create->SetDescription(const_cast<LPOLESTR>(text.c_str()));
        if (auto info = create.query<IErrorInfo>(IID_IErrorInfo)) SetErrorInfo(0, info.get());
    }
    return hr;
}

void fillException(EXCEPINFO* ei, HRESULT hr) {
    if (!ei) return;
    *ei = EXCEPINFO{};
    ei->scode = hr;
    ComPtr<IErrorInfo> error;
    if (GetErrorInfo(0, error.put()) == S_OK) {
        error->GetSource(&ei->bstrSource);
        error->GetDescription(&ei->bstrDescription);
        error->GetHelpFile(&ei->bstrHelpFile);
        error->GetHelpContext(&ei->dwHelpContext);
    }
}

void clearError() {
    SetErrorInfo(0, nullptr);
}

} // namespace ondrik
