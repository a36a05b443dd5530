// ShellLink: one Windows shell shortcut file, read and written through the shell. Once
// the object knows its file, every change of a value writes the file again.
//
// The file work (look-ups, reading, emptying and writing the file, perhaps on a share that
// answers slowly) runs on a worker thread while the server serves other clients. A call
// on the same object that arrives meanwhile has its own file work done after it, and sees
// what it left.
#pragma once

#include "automation/dispatch_object.h"
#include "generated/Ondrik.h"

#include <memory>
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
    ShellLink();

    // The values and the file work on them, shared with the worker thread that does that
    // work (the object may be gone before a worker given up on has finished).
    struct State;
    std::shared_ptr<State> state_;

    // Stores a value, then rewrites the shortcut file when there is one.
    HRESULT storeAndRewrite(std::u16string State::*field, BSTR value);
};

} // namespace ondrik
