// Global: the library's application object. Each client holds its own; all of them
// share the process-wide registers. Its services live in their subsystems and are
// forwarded from here.
#pragma once

#include "automation/dispatch_object.h"
#include "generated/Ondrik.h"
#include "state/process_state.h"

#include <memory>
#include <string>

namespace ondrik {

class Global : public DispatchObject<Global, _Global> {
public:
    static const CLSID& classId() { return CLSID_Global; }

    STDMETHODIMP ApriDocumento(BSTR nomeFile, BSTR command) override;
    STDMETHODIMP SetTopMostWindow(long hwnd, VARIANT_BOOL topmost) override;
    STDMETHODIMP GetComputerName(BSTR* ret) override;
    STDMETHODIMP GetDirectoryDati(BSTR programma, BSTR* ret) override;
    STDMETHODIMP GetDirectoryUtenti(BSTR utente, BSTR* ret) override;
    STDMETHODIMP GetDirectoryEseguibili(BSTR programma, BSTR* ret) override;
    STDMETHODIMP GetDirectoryBase(BSTR* ret) override;
    STDMETHODIMP GetNomeFile(BSTR nomeFile, BSTR* ret) override;
    STDMETHODIMP GetEstensioneFile(BSTR nomeFile, BSTR* ret) override;
    STDMETHODIMP get_Sessioni(_Sessioni** ret) override;
    STDMETHODIMP get_Applicazioni(_Applicazioni** ret) override;
    STDMETHODIMP GetTemporaryDirectory(BSTR* ret) override;
    STDMETHODIMP GetURL(BSTR url, VARIANT_BOOL byteArray, BSTR* header, VARIANT* ret) override;
    STDMETHODIMP RisolviIndirizzo(VARIANT indirizzoDns, BSTR* ret) override;
    STDMETHODIMP GetWindowsDirectory(BSTR* ret) override;
    STDMETHODIMP GetSystemDirectory(BSTR* ret) override;
    STDMETHODIMP GetDesktopDirectory(BSTR* ret) override;
    STDMETHODIMP GetCommonDesktopDirectory(BSTR* ret) override;
    STDMETHODIMP GetProgramFilesDirectory(BSTR* ret) override;
    STDMETHODIMP CreaDirectory(BSTR path) override;
    STDMETHODIMP IsVendrasil(BSTR programma, VARIANT_BOOL* ret) override;
    STDMETHODIMP ParseCommand(BSTR commandLine, BSTR delimiter, SAFEARRAY* flags, _Collection** ret) override;
    STDMETHODIMP Sleep(long milliseconds) override;

private:
    friend class DispatchObject<Global, _Global>;
    // state: the registers every client shares.
    explicit Global(std::shared_ptr<ProcessState> state);

    std::shared_ptr<ProcessState> state_;

    std::u16string directoryBase_; // the suite's base directory, once computed
};

} // namespace ondrik
