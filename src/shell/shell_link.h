// ShellLink: one Windows shell shortcut file, read and written through the shell. Once
// the object knows its file, every change of a value writes the file again.
#pragma once

#include "automation/dispatch_object.h"
#include "generated/Ondrik.h"

#include <string>

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

    // Stores a value, then rewrites the shortcut file when there is one.
    HRESULT storeAndRewrite(std::u16string& field, BSTR value);

    // The work of LeggiCollegamento and CreaCollegamento; both may throw bad_alloc.
    bool readFrom(const std::u16string& linkFile);
    bool writeTo(const std::u16string& linkFile);
    // writeTo() with any failure ignored, as the property lets call it.
    void rewrite() noexcept;

    std::u16string argomenti_;
    std::u16string descrizione_;
    std::u16string directoryDiLavoro_;
    std::u16string fileCollegato_;
    std::u16string nomeFile_; // the shortcut file last read or written; "" until then
};

} // namespace ondrik
