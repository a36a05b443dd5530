// Baseline for the call benchmark: a local server built from the same dispatch kit whose
// only object answers _Sessioni with members that do nothing.
//   bench_null_server.exe /regserver   registers it (ProgID OndrikBench.Null)
#include "automation/dispatch_object.h"
#include "generated/Ondrik.h"
#include "server/class_factory.h"

#include <string>
#include <windows.h>

namespace {

const CLSID CLSID_NullSessioni = {
    0x7d0c51a2, 0x3b1e, 0x4f6a, {0x9a, 0x41, 0x52, 0x10, 0x6e, 0x2b, 0x8c, 0x01}};

class NullSessions : public ondrik::DispatchObject<NullSessions, _Sessioni> {
public:
    static const CLSID& classId() { return CLSID_NullSessioni; }
    STDMETHODIMP Apri(BSTR, VARIANT_BOOL, BSTR, BSTR, _Sessione** ret) override {
        *ret = nullptr;
        return S_OK;
    }
    STDMETHODIMP Count(long* ret) override {
        *ret = 0;
        return S_OK;
    }
    STDMETHODIMP NewEnum(VARIANT* ret) override {
        VariantInit(ret);
        return S_OK;
    }
    STDMETHODIMP Item(VARIANT, _Sessione** ret) override {
        *ret = nullptr;
        return S_OK;
    }

private:
    friend class ondrik::DispatchObject<NullSessions, _Sessioni>;
    NullSessions() = default;
};

void setKey(const std::wstring& key, const std::wstring& value) {
    HKEY h = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, (L"Software\\Classes\\" + key).c_str(), 0, nullptr, 0, KEY_WRITE,
                        nullptr, &h, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   DWORD((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(h);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR cmd, int) {
    CoInitialize(nullptr);
    if (strstr(cmd, "regserver")) {
        wchar_t path[MAX_PATH] = {}, clsid[64] = {};
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        StringFromGUID2(CLSID_NullSessioni, clsid, 64);
        setKey(std::wstring(L"CLSID\\") + clsid + L"\\LocalServer32", std::wstring(L"\"") + path + L"\"");
        setKey(L"OndrikBench.Null\\CLSID", clsid);
        CoUninitialize();
        return 0;
    }
    static ondrik::ClassFactory factory(&ondrik::createObject<NullSessions>);
    DWORD cookie = 0;
    CoRegisterClassObject(CLSID_NullSessioni, &factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie);
    ondrik::moduleLock::onLastUnlock([] { PostQuitMessage(0); });
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    CoRevokeClassObject(cookie);
    CoUninitialize();
    return 0;
}
