#include "applications/applications.h"

#include "automation/collection_index.h"
#include "automation/enumerator.h"
#include "automation/text_fold.h"
#include "sessions/sessions.h"

namespace ondrik {
namespace {

// Canonical identity of a COM object, for comparison only (no reference kept).
IUnknown* identity(IUnknown* p) {
    if (!p) return nullptr;
    IUnknown* id = nullptr;
    if (FAILED(p->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&id))) || !id) return nullptr;
    id->Release();
    return id;
}

ComPtr<_Sessione> sessionOf(_Applicazione* record) {
    ComPtr<_Sessione> s;
    if (record) record->get_Sessione(s.put());
    return s;
}

} // namespace

Applications::Applications() : entries_(text::foldCase) {}

STDMETHODIMP Applications::Apri(VARIANT vbApp, _Applicazione** ret) {
    if (!ret) return E_POINTER;
    *ret = nullptr;
    return guarded([&] {
        ComPtr<Application> record = ComPtr<Application>::adopt(Application::create());
        if (!record) return;
        // Reading the client's object calls into its process; other calls may run meanwhile
        // (docs/reentrancy.md), but the record is filed only once it is complete. A client
        // that gave no answer in time is registered as one without a name: not at all.
        if (!record->carica(vbApp) || record->exeName().empty()) return;
        *ret = record->itf();
        (*ret)->AddRef();
        std::u16string key = record->chiave();
        entries_.add(std::move(record), key); // a key already filed keeps the earlier record
    });
}

bool Applications::sharedAtClosing(_Sessione* session) {
    VARIANT_BOOL condivisa = VARIANT_FALSE;
    session->get_Condivisa(&condivisa);
    return condivisa == VARIANT_TRUE;
}

size_t Applications::recordsSharing(_Applicazione* closing) const {
    size_t count = 0;
    // The walk reads the closing record afresh for every record, and a record that a client
    // made itself answers from the client's process: other calls may run meanwhile and
    // change the register, so the walk goes over the records as they stood at its start
    // (docs/reentrancy.md, rule 4).
    for (const ComPtr<Application>& record : entries_.snapshot()) {
        if (!record->sessione()) continue;
        ComPtr<_Sessione> mine = sessionOf(closing);
        if (identity(record->sessione()) == identity(mine.get())) ++count;
    }
    return count;
}

STDMETHODIMP Applications::Chiudi(_Applicazione* applicazione) {
    return guarded([&] {
        if (!applicazione) return;
        if (ComPtr<_Sessione> session = sessionOf(applicazione)) {
            if (!sharedAtClosing(session.get()) || recordsSharing(applicazione) == 1)
                sessionRegister()->rimuovi(session.get());
        }
        // The entry filed under the record's current key, whichever record that is.
        if (Application* record = serverCast<Application>(applicazione)) entries_.removeKey(record->chiave());
    });
}

STDMETHODIMP Applications::Count(long* ret) {
    if (!ret) return E_POINTER;
    *ret = long(entries_.size());
    return S_OK;
}

STDMETHODIMP Applications::NewEnum(VARIANT* ret) {
    return unguarded([&] { return enumeratorVariant(entries_.snapshot(), ret); });
}

STDMETHODIMP Applications::Item(VARIANT index, _Applicazione** ret) {
    if (!ret) return E_POINTER;
    *ret = nullptr;
    return guarded([&] {
        if (ComPtr<Application>* found = lookup(entries_, readIndex(index))) {
            *ret = (*found)->itf();
            (*ret)->AddRef();
        }
    });
}

} // namespace ondrik
