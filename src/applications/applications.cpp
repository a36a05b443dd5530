#include "applications/applications.h"

#include "automation/bounded_call.h"
#include "automation/text_fold.h"

#include <memory>
#include <optional>

namespace ondrik {
namespace {

// The session that a record names. A record of a client's own making answers in the
// client's process: it is asked from a worker, within the read limit of Apri, and its
// session handed back to the server's thread (one of the server's own sessions comes back
// as itself; letting go of a session of the client's making later is a call into the
// client that has just answered). False when it did not answer in time or could not be
// asked.
bool sessionOf(_Applicazione* record, ComPtr<_Sessione>& out) {
    if (!isProxy(record)) {
        record->get_Sessione(out.put()); // the server's own, or an object of its apartment
        return true;
    }
    auto back = std::make_shared<HandedBack>();
    if (FAILED(callWithin(record, IID__Applicazione, Application::kReadLimitMs, [back](IUnknown* o) {
            ComPtr<_Sessione> session;
            static_cast<_Applicazione*>(o)->get_Sessione(session.put());
            back->give(IID__Sessione, session.get());
        })))
        return false;
    back->take(IID__Sessione, out.putVoid());
    return true;
}

// What a closing must know of the record and its session, read from them once: a record
// that a client made itself answers from the client's process, and other calls may run
// meanwhile (docs/reentrancy.md). Nothing when the record did not answer in time.
std::optional<Closing> readClosing(_Applicazione* applicazione) {
    Closing c;
    ComPtr<_Sessione> session;
    if (!sessionOf(applicazione, session)) return std::nullopt;
    if (session) {
        c.session = identityOf(session.get());
        // A session that the server did not make is never filed, so nothing of it can
        // change the outcome: it is not asked anything (isProxy makes no call; a look-up
        // of the server's own interface on a proxy, or its Condivisa, would be a call into
        // the client's process). Only a stored True (-1) counts as shared at closing.
        Session* ours = isProxy(session.get()) ? nullptr : serverCast<Session>(session.get());
        if (ours) {
            c.sessionKey = ours->chiave();
            c.shared = ours->condivisa() == VARIANT_TRUE;
        }
    }
    // The record last: its key as it is after every read above.
    Application* record = isProxy(applicazione) ? nullptr : serverCast<Application>(applicazione);
    if (record) {
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
        std::optional<Closing> closing = readClosing(applicazione);
        if (!closing) return;
        // From here on nothing calls out: the books decide and act in one step. Without a
        // session register (a register that outlived the server's state) the record's
        // entry goes all the same.
        Sessions* sessions = sessions_();
        book_.close(*closing, sessions ? &sessions->book() : nullptr,
                    [](const ComPtr<Application>& r) -> Identity { return r->sessionIdentity(); });
    });
}

} // namespace ondrik
