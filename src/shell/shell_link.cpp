#include "shell/shell_link.h"

namespace ondrik {

STDMETHODIMP ShellLink::get_Argomenti(BSTR*) {
    return notBuilt();
}
STDMETHODIMP ShellLink::put_Argomenti(BSTR) {
    return notBuilt();
}
STDMETHODIMP ShellLink::get_Descrizione(BSTR*) {
    return notBuilt();
}
STDMETHODIMP ShellLink::put_Descrizione(BSTR) {
    return notBuilt();
}
STDMETHODIMP ShellLink::get_DirectoryDiLavoro(BSTR*) {
    return notBuilt();
}
STDMETHODIMP ShellLink::put_DirectoryDiLavoro(BSTR) {
    return notBuilt();
}
STDMETHODIMP ShellLink::get_FileCollegato(BSTR*) {
    return notBuilt();
}
STDMETHODIMP ShellLink::put_FileCollegato(BSTR) {
    return notBuilt();
}
STDMETHODIMP ShellLink::get_Nome(BSTR*) {
    return notBuilt();
}
STDMETHODIMP ShellLink::LeggiCollegamento(BSTR, VARIANT_BOOL*) {
    return notBuilt();
}
STDMETHODIMP ShellLink::get_NomeFile(BSTR*) {
    return notBuilt();
}
STDMETHODIMP ShellLink::CreaCollegamento(BSTR, VARIANT_BOOL*) {
    return notBuilt();
}

} // namespace ondrik
