#include "applications/applications.h"

#include "automation/collection_index.h"
#include "automation/enumerator.h"
#include "automation/text_fold.h"
#include "sessions/sessions.h"

namespace ondrik {
namespace {

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

bool Applications::lastInSession(Application* closing, IUnknown* session) const {
    if (!closing || !session) return false;
    bool filed = false, others = false;
    entries_.forEach([&](const ComPtr<Application>& record) {
        if (record.get() == closing)
            filed = true;
        else if (record->sessionIdentity() == session)
            others = true;
    });
    return filed && !others;
}

STDMETHODIMP Applications::Chiudi(_Applicazione* applicazione) {
    return guarded([&] {
        if (!applicazione) return;
        // What a client's object must answer is read first, once: a record or a session
        // that a client made itself answers from the client's process, and other calls may
        // run meanwhile (docs/reentrancy.md). From the decision on nothing calls out, so
        // the register that decides is the register that is changed.
        Application* record = serverCast<Application>(applicazione);
        ComPtr<_Sessione> session = sessionOf(applicazione);
        if (session) {
            bool shared = sharedAtClosing(session.get());
            IUnknown* id = identityOf(session.get());
            bool ours = serverCast<Session>(session.get()) != nullptr;
            // A shared session leaves only with the last filed record that works in it: a
            // record that is not filed (closed already, or never filed) never takes it
            // away from the others.
            if (ours && (!shared || lastInSession(record, id))) sessionRegister()->rimuovi(session.get());
        }
        // The entry filed under the record's current key, whichever record that is.
        if (record) entries_.removeKey(record->chiave());
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
