#include "applications/applications.h"

#include "automation/text_fold.h"

namespace ondrik {
namespace {

// What a closing must know of the record and its session, read from them once: a record
// or a session that a client made itself answers from the client's process, and other
// calls may run meanwhile (docs/reentrancy.md).
Closing readClosing(_Applicazione* applicazione) {
    Closing c;
    ComPtr<_Sessione> session;
    applicazione->get_Sessione(session.put());
    if (session) {
        c.session = identityOf(session.get());
        if (Session* ours = serverCast<Session>(session.get())) c.sessionKey = ours->chiave();
        // Only a stored True (-1) counts as shared at closing.
        VARIANT_BOOL condivisa = VARIANT_FALSE;
        session->get_Condivisa(&condivisa);
        c.shared = condivisa == VARIANT_TRUE;
    }
    // The record last: its key as it is after every read above.
    if (Application* record = serverCast<Application>(applicazione)) {
        c.record = record;
        c.recordKey = record->chiave();
    }
    return c;
}

} // namespace

Applications::Applications(std::function<Sessions*()> sessions)
    : book_(text::foldCase), sessions_(std::move(sessions)) {}

STDMETHODIMP Applications::Apri(VARIANT vbApp, _Applicazione** ret) {
    if (!ret) return E_POINTER;
    *ret = nullptr;
    return guarded([&] {
        ComPtr<Application> record = Application::create();
        if (!record) return;
        // The wait: reading the client's object calls into its process, and other calls
        // run meanwhile (docs/reentrancy.md); nobody sees the record until it is filed. A
        // client that gave no answer in time is registered as one without a name: not at all.
        if (!record->carica(vbApp) || record->exeName().empty()) return;
        *ret = record->itf();
        (*ret)->AddRef();
        // File, as the book is now: a key already filed keeps the earlier record.
        std::u16string key = record->chiave();
        Identity identity = record.get();
        book_.file(key, std::move(record), identity);
    });
}

STDMETHODIMP Applications::Chiudi(_Applicazione* applicazione) {
    return guarded([&] {
        if (!applicazione) return;
        Closing closing = readClosing(applicazione);
        // From here on nothing calls out: the books decide and act in one step.
        Sessions* sessions = sessions_();
        if (!sessions) return;
        book_.close(closing, sessions->book(),
                    [](const ComPtr<Application>& r) -> Identity { return r->sessionIdentity(); });
    });
}

} // namespace ondrik
