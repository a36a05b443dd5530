// ShellLink: one Windows shell shortcut file, read and written through the shell.
#pragma once

#include "automation/dispatch_object.h"
#include "generated/Ondrik.h"

namespace ondrik {

class ShellLink : public DispatchObject<ShellLink, _ShellLink> {
public:
    static const CLSID& classId() { return CLSID_ShellLink; }

    STDMETHODIMP get_Argomenti(BSTR* ret) override;
    STDMETHODIMP put_Argomenti(BSTR value) override;
    STDMETHODIMP get_Descrizione(BSTR* ret) override;
    STDMETHODIMP put_Descrizione(BSTR value) override;
    STDMETHODIMP get_DirectoryDiLavoro(BSTR* ret) override;
    STDMETHODIMP put_DirectoryDiLavoro(BSTR value) override;
    STDMETHODIMP get_FileCollegato(BSTR* ret) override;
    STDMETHODIMP put_FileCollegato(BSTR value) override;
    STDMETHODIMP get_Nome(BSTR* ret) override;
    STDMETHODIMP LeggiCollegamento(BSTR linkFile, VARIANT_BOOL* ret) override;
    STDMETHODIMP get_NomeFile(BSTR* ret) override;
    STDMETHODIMP CreaCollegamento(BSTR linkFile, VARIANT_BOOL* ret) override;

private:
    friend class DispatchObject<ShellLink, _ShellLink>;
    ShellLink() = default;

    HRESULT notBuilt() { return fail(E_NOTIMPL); }
};

} // namespace ondrik
