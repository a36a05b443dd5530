#include "global/global.h"

#include "automation/bstr.h"
#include "cmdline/parse_command.h"
#include "net/network.h"
#include "files/path_names.h"
#include "files/known_folders.h"
#include "files/suite_folders.h"
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

// A string result of a guarded member: empty when nothing could be worked out.
template <class Compute> void handOutGuarded(BSTR* ret, Compute&& compute) {
    if (!ret) return;
    *ret = nullptr;
    *ret = allocBstr(compute());
}

} // namespace

Global::Global(std::shared_ptr<ProcessState> state) : state_(std::move(state)) {
    // Ask to be shut down after the suite's applications at log-off.
    SetProcessShutdownParameters(0x100, 0);
}

STDMETHODIMP Global::get_Sessioni(_Sessioni** ret) {
    return unguarded([&] { return handOut(state_->sessions(), ret); });
}

STDMETHODIMP Global::get_Applicazioni(_Applicazioni** ret) {
    return unguarded([&] { return handOut(state_->applications(), ret); });
}

// The platform's answer is not examined; only the server's own failure (no worker to hand
// the call to, or no memory for it) comes back as an error, never as an exception.
STDMETHODIMP Global::ApriDocumento(BSTR nomeFile, BSTR command) {
    return unguarded([&] { return desktop::openDocument(nomeFile, command); });
}

STDMETHODIMP Global::SetTopMostWindow(long hwnd, VARIANT_BOOL topmost) {
    return unguarded([&] { return desktop::setTopMostWindow(hwnd, topmost); });
}

STDMETHODIMP Global::GetComputerName(BSTR* ret) {
    return unguarded([&] {
        if (!ret) return E_POINTER;
        *ret = allocBstr(desktop::computerName());
        return *ret ? S_OK : E_OUTOFMEMORY;
    });
}

STDMETHODIMP Global::Sleep(long milliseconds) {
    return unguarded([&] {
        desktop::sleepFor(milliseconds);
        return S_OK;
    });
}

STDMETHODIMP Global::GetDirectoryDati(BSTR programma, BSTR* ret) {
    return guarded(
        [&] { handOutGuarded(ret, [&] { return suiteFolders::data(directoryBase_, viewOf(programma)); }); });
}
STDMETHODIMP Global::GetDirectoryUtenti(BSTR utente, BSTR* ret) {
    return guarded(
        [&] { handOutGuarded(ret, [&] { return suiteFolders::users(directoryBase_, viewOf(utente)); }); });
}
STDMETHODIMP Global::GetDirectoryEseguibili(BSTR programma, BSTR* ret) {
    return guarded([&] {
        handOutGuarded(ret, [&] { return suiteFolders::executables(directoryBase_, viewOf(programma)); });
    });
}
STDMETHODIMP Global::GetDirectoryBase(BSTR* ret) {
    return unguarded([&] {
        if (!ret) return E_POINTER;
        *ret = nullptr;
        std::u16string base;
        HRESULT hr = suiteFolders::directoryBase(directoryBase_, base);
        return FAILED(hr) ? hr : copyOut(base, ret);
    });
}
STDMETHODIMP Global::GetNomeFile(BSTR nomeFile, BSTR* ret) {
    return unguarded([&] { return copyOut(pathNames::fileName(viewOf(nomeFile)), ret); });
}
STDMETHODIMP Global::GetEstensioneFile(BSTR nomeFile, BSTR* ret) {
    return unguarded([&] { return copyOut(pathNames::fileExtension(viewOf(nomeFile)), ret); });
}
STDMETHODIMP Global::GetTemporaryDirectory(BSTR* ret) {
    return unguarded([&] { return copyOut(specialFolders::temporaryDirectory(), ret); });
}
STDMETHODIMP Global::GetWindowsDirectory(BSTR* ret) {
    return unguarded([&] { return copyOut(specialFolders::windowsDirectory(), ret); });
}
STDMETHODIMP Global::GetSystemDirectory(BSTR* ret) {
    return unguarded([&] { return copyOut(specialFolders::specialFolder(specialFolders::kSystem), ret); });
}
STDMETHODIMP Global::GetDesktopDirectory(BSTR* ret) {
    return unguarded(
        [&] { return copyOut(specialFolders::specialFolder(specialFolders::kDesktopDirectory), ret); });
}
STDMETHODIMP Global::GetCommonDesktopDirectory(BSTR* ret) {
    return unguarded(
        [&] { return copyOut(specialFolders::specialFolder(specialFolders::kCommonDesktopDirectory), ret); });
}
STDMETHODIMP Global::GetProgramFilesDirectory(BSTR* ret) {
    return unguarded(
        [&] { return copyOut(specialFolders::specialFolder(specialFolders::kProgramFiles), ret); });
}
STDMETHODIMP Global::CreaDirectory(BSTR path) {
    return guarded([&] { suiteFolders::createFolders(viewOf(path)); });
}
STDMETHODIMP Global::IsVendrasil(BSTR programma, VARIANT_BOOL* ret) {
    return unguarded([&] {
        if (!ret) return E_POINTER;
        *ret = VARIANT_FALSE;
        bool installed = false;
        HRESULT hr = suiteFolders::isInstalled(directoryBase_, viewOf(programma), installed);
        if (SUCCEEDED(hr) && installed) *ret = VARIANT_TRUE;
        return hr;
    });
}
STDMETHODIMP Global::ParseCommand(BSTR commandLine, BSTR delimiter, SAFEARRAY* flags, _Collection** ret) {
    if (!ret) return E_POINTER;
    *ret = nullptr;
    return guarded([&] {
        if (ComPtr<Collection> c = cmdline::parseCommandToCollection(commandLine, delimiter, flags))
            *ret = c.detach()->itf();
    });
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
