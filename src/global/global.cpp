#include "global/global.h"

#include "applications/applications.h"
#include "automation/bstr.h"
#include "cmdline/parse_command.h"
#include "net/network.h"
#include "server/ondrik_main.h"
#include "sessions/sessions.h"
#include "shell/desktop.h"

namespace ondrik {
namespace {

template <class Register, class Itf> HRESULT handOut(Register* reg, Itf** ret) {
    if (!ret) return E_POINTER;
    *ret = reg ? reg->itf() : nullptr;
    if (!*ret) return E_OUTOFMEMORY;
    (*ret)->AddRef();
    return S_OK;
}

} // namespace

Global::Global() {
    // Ask to be shut down after the suite's applications at log-off.
    SetProcessShutdownParameters(0x100, 0);
}

STDMETHODIMP Global::get_Sessioni(_Sessioni** ret) {
    return unguarded([&] { return handOut(ondrikMain::sessioni(), ret); });
}

STDMETHODIMP Global::get_Applicazioni(_Applicazioni** ret) {
    return unguarded([&] { return handOut(ondrikMain::applicazioni(), ret); });
}

STDMETHODIMP Global::ApriDocumento(BSTR nomeFile, BSTR command) {
    desktop::openDocument(nomeFile, command);
    return S_OK;
}

STDMETHODIMP Global::SetTopMostWindow(long hwnd, VARIANT_BOOL topmost) {
    desktop::setTopMostWindow(hwnd, topmost);
    return S_OK;
}

STDMETHODIMP Global::GetComputerName(BSTR* ret) {
    return unguarded([&] {
        if (!ret) return E_POINTER;
        *ret = allocBstr(desktop::computerName());
        return *ret ? S_OK : E_OUTOFMEMORY;
    });
}

STDMETHODIMP Global::Sleep(long milliseconds) {
    desktop::sleepFor(milliseconds);
    return S_OK;
}

STDMETHODIMP Global::GetDirectoryDati(BSTR, BSTR*) {
    return notBuilt();
}
STDMETHODIMP Global::GetDirectoryUtenti(BSTR, BSTR*) {
    return notBuilt();
}
STDMETHODIMP Global::GetDirectoryEseguibili(BSTR, BSTR*) {
    return notBuilt();
}
STDMETHODIMP Global::GetDirectoryBase(BSTR*) {
    return notBuilt();
}
STDMETHODIMP Global::GetNomeFile(BSTR, BSTR*) {
    return notBuilt();
}
STDMETHODIMP Global::GetEstensioneFile(BSTR, BSTR*) {
    return notBuilt();
}
STDMETHODIMP Global::GetTemporaryDirectory(BSTR*) {
    return notBuilt();
}
STDMETHODIMP Global::GetWindowsDirectory(BSTR*) {
    return notBuilt();
}
STDMETHODIMP Global::GetSystemDirectory(BSTR*) {
    return notBuilt();
}
STDMETHODIMP Global::GetDesktopDirectory(BSTR*) {
    return notBuilt();
}
STDMETHODIMP Global::GetCommonDesktopDirectory(BSTR*) {
    return notBuilt();
}
STDMETHODIMP Global::GetProgramFilesDirectory(BSTR*) {
    return notBuilt();
}
STDMETHODIMP Global::CreaDirectory(BSTR) {
    return notBuilt();
}
STDMETHODIMP Global::IsVendrasil(BSTR, VARIANT_BOOL*) {
    return notBuilt();
}
STDMETHODIMP Global::ParseCommand(BSTR commandLine, BSTR delimiter, SAFEARRAY* flags, _Collection** ret) {
    if (!ret) return E_POINTER;
    *ret = nullptr;
    return guarded([&] { *ret = cmdline::parseCommandToCollection(commandLine, delimiter, flags); });
}

STDMETHODIMP Global::GetURL(BSTR url, VARIANT_BOOL byteArray, BSTR* header, VARIANT* ret) {
    if (!ret) return E_POINTER;
    VariantInit(ret);
    // A Header left out arrives as a null pointer and reads as "NoHeader".
    return guarded([&] {
        network::getUrl(std::wstring(url ? url : L"", SysStringLen(url)), byteArray != 0, header, ret);
    });
}

STDMETHODIMP Global::RisolviIndirizzo(VARIANT indirizzoDns, BSTR* ret) {
    if (!ret) return E_POINTER;
    *ret = nullptr;
    return guarded([&] {
        std::wstring address = network::risolviIndirizzo(indirizzoDns);
        *ret = SysAllocStringLen(address.c_str(), UINT(address.size()));
    });
}

} // namespace ondrik
