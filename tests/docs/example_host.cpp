// A script host for the reference's examples: runs many VBScript and JScript examples in
// one process, each in an engine of its own (a fresh global scope, as a cscript process
// of its own would give), and writes what each prints through WScript.Echo to a file
// beside it (NAME.vbs gives NAME.out). A script error goes to the standard error, with
// the example's name and line. The examples use nothing of WScript but Echo; its output
// is made as Wine's cscript makes it (each argument converted to text in the US English
// locale, a space between arguments, CRLF after each line).
//
//   example_host.exe C:\esempi\001-Global.Sessioni.vbs C:\esempi\029-Sessioni.NewEnum.js ...
//
// Starting a client process costs a second or more under Wine (far more under the
// emulator); the reference has some seventy examples per build.
#include <activscp.h>
#include <objbase.h>
#include <oleauto.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// WScript, as far as the examples use it: Echo, the only member (DISPID 1).
class Echo final : public IDispatch {
public:
    std::wstring text;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_IDispatch) {
            *out = static_cast<IDispatch*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; } // lives as long as the host
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        HRESULT hr = S_OK;
        for (UINT i = 0; i < count; ++i) {
            ids[i] = i == 0 && lstrcmpiW(names[i], L"Echo") == 0 ? 1 : DISPID_UNKNOWN;
            if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT*) override {
        if (id != 1 || !(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
        if (params->cNamedArgs) return DISP_E_NONAMEDARGS;
        std::wstring line;
        for (UINT i = params->cArgs; i-- > 0;) { // the arguments come last first
            VARIANT s;
            VariantInit(&s);
            HRESULT hr = VariantChangeTypeEx(&s, &params->rgvarg[i], MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT),
                                             0, VT_BSTR);
            if (FAILED(hr)) return hr;
            if (i + 1 != params->cArgs) line += L' ';
            line.append(V_BSTR(&s), SysStringLen(V_BSTR(&s)));
            VariantClear(&s);
        }
        text += line + L"\r\n";
        if (result) VariantInit(result);
        return S_OK;
    }
};

class Site final : public IActiveScriptSite {
public:
    explicit Site(Echo& echo) : echo_(echo) {}
    std::wstring name;
    bool failed = false;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == __uuidof(IActiveScriptSite)) {
            *out = static_cast<IActiveScriptSite*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetLCID(LCID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetItemInfo(LPCOLESTR item, DWORD mask, IUnknown** unknown, ITypeInfo** info) override {
        if (lstrcmpiW(item, L"WScript") != 0) return TYPE_E_ELEMENTNOTFOUND;
        if (mask & SCRIPTINFO_IUNKNOWN) *unknown = &echo_;
        if (mask & SCRIPTINFO_ITYPEINFO) *info = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnStateChange(SCRIPTSTATE) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnScriptError(IActiveScriptError* error) override {
        EXCEPINFO info{};
        DWORD context = 0;
        ULONG line = 0;
        LONG column = 0;
        error->GetExceptionInfo(&info);
        error->GetSourcePosition(&context, &line, &column);
        fwprintf(stderr, L"%ls(%lu, %ld): error 0x%08lx: %ls\n", name.c_str(), line + 1, column + 1,
                 static_cast<unsigned long>(info.scode ? info.scode : info.wCode),
                 info.bstrDescription ? info.bstrDescription : L"");
        SysFreeString(info.bstrSource);
        SysFreeString(info.bstrDescription);
        SysFreeString(info.bstrHelpFile);
        failed = true;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnEnterScript() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnLeaveScript() override { return S_OK; }

private:
    Echo& echo_;
};

bool endsWith(const std::wstring& s, const wchar_t* tail) {
    size_t n = wcslen(tail);
    return s.size() >= n && _wcsicmp(s.c_str() + s.size() - n, tail) == 0;
}

// The script's text, read as cscript reads it: UTF-16 after its mark, else the ANSI code page.
bool readScript(const std::wstring& path, std::wstring& code) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    bool ok = ReadFile(file, bytes.data(), DWORD(bytes.size()), &read, nullptr) && read == bytes.size();
    CloseHandle(file);
    if (!ok) return false;
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
        code.assign(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
        return true;
    }
    code.resize(bytes.size());
    code.resize(MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), code.data(), int(code.size())));
    return true;
}

// What the echo gathered, in the code page cscript writes to a file with.
bool writeOutput(const std::wstring& path, const std::wstring& text) {
    std::string bytes(text.size() * 4, '\0');
    bytes.resize(WideCharToMultiByte(GetOEMCP(), 0, text.data(), int(text.size()), bytes.data(), int(bytes.size()),
                                     nullptr, nullptr));
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
    CloseHandle(file);
    return ok;
}

// Runs one example; false when it could not be run at all or raised a script error.
bool runExample(const std::wstring& path) {
    Echo echo;
    Site site(echo);
    site.name = path;
    std::wstring code;
    if (!readScript(path, code)) {
        fwprintf(stderr, L"%ls: cannot be read\n", path.c_str());
        return false;
    }
    CLSID engineClass;
    IActiveScript* engine = nullptr;
    IActiveScriptParse* parse = nullptr;
    HRESULT hr = CLSIDFromProgID(endsWith(path, L".js") ? L"JScript" : L"VBScript", &engineClass);
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(engineClass, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IActiveScript),
                              reinterpret_cast<void**>(&engine));
    if (SUCCEEDED(hr)) hr = engine->QueryInterface(__uuidof(IActiveScriptParse), reinterpret_cast<void**>(&parse));
    if (SUCCEEDED(hr)) hr = engine->SetScriptSite(&site);
    if (SUCCEEDED(hr)) hr = parse->InitNew();
    if (SUCCEEDED(hr)) hr = engine->AddNamedItem(L"WScript", SCRIPTITEM_ISVISIBLE);
    if (SUCCEEDED(hr)) hr = engine->SetScriptState(SCRIPTSTATE_STARTED);
    if (SUCCEEDED(hr)) {
        EXCEPINFO info{};
        hr = parse->ParseScriptText(code.c_str(), nullptr, nullptr, nullptr, 0, 0, 0, nullptr, &info);
        SysFreeString(info.bstrSource);
        SysFreeString(info.bstrDescription);
        SysFreeString(info.bstrHelpFile);
    }
    // Closing the engine lets go of every object the example still holds, as the end of
    // its process would.
    if (engine) engine->Close();
    if (parse) parse->Release();
    if (engine) engine->Release();
    if (FAILED(hr) && !site.failed) fwprintf(stderr, L"%ls: the engine failed: 0x%08lx\n", path.c_str(), hr);
    std::wstring out = path.substr(0, path.find_last_of(L'.')) + L".out";
    if (!writeOutput(out, echo.text)) {
        fwprintf(stderr, L"%ls: cannot be written\n", out.c_str());
        return false;
    }
    return SUCCEEDED(hr) && !site.failed;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (FAILED(CoInitialize(nullptr))) return 2;
    int failures = 0;
    for (int i = 1; i < argc; ++i)
        if (!runExample(argv[i])) ++failures;
    CoUninitialize();
    return failures ? 1 : 0;
}
