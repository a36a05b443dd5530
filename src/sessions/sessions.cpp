#include "sessions/sessions.h"

#include "automation/bstr.h"
#include "automation/collection_index.h"
#include "automation/enumerator.h"
#include "automation/text_fold.h"

namespace ondrik {

Sessions::Sessions() : entries_(text::foldCase) {}

STDMETHODIMP Sessions::Apri(BSTR codiceAzienda, VARIANT_BOOL condivisa, BSTR userId, BSTR password,
                            _Sessione** ret) {
    if (!ret) return E_POINTER;
    *ret = nullptr;
    return guarded([&] {
        std::u16string_view code = viewOf(codiceAzienda);
        auto handOutShared = [&] {
            // Ordinal comparison, case included; only sessions stored as shared qualify.
            ComPtr<Session>* found = entries_.findFirst(
                [&](const ComPtr<Session>& s) { return s->condivisa() != 0 && s->codiceAzienda() == code; });
            if (!found) return false;
            *ret = (*found)->itf();
            (*ret)->AddRef();
            return true;
        };
        if (condivisa != 0 && handOutShared()) return;
        // Making the session waits for the tick counter: other calls may run meanwhile, and
        // the register may change (docs/reentrancy.md).
        ComPtr<Session> session = ComPtr<Session>::adopt(Session::create());
        if (!session) return;
        // Another client's request for the same shared company may have made its session
        // during that wait: hand that one out, so a company never has two shared sessions.
        if (condivisa != 0 && handOutShared()) return;
        *ret = session->itf();
        (*ret)->AddRef();
        session->setCodiceAzienda(std::u16string(code));
        session->put_UserID(userId);
        session->put_Password(password);
        session->setCondivisa(condivisa);
        // A key already present (only after the counter wraps) leaves this one unregistered.
        std::u16string key = session->chiave();
        entries_.add(std::move(session), key);
    });
}

STDMETHODIMP Sessions::Count(long* ret) {
    if (!ret) return E_POINTER;
    *ret = long(entries_.size());
    return S_OK;
}

STDMETHODIMP Sessions::NewEnum(VARIANT* ret) {
    return unguarded([&] { return enumeratorVariant(entries_.snapshot(), ret); });
}

STDMETHODIMP Sessions::Item(VARIANT index, _Sessione** ret) {
    if (!ret) return E_POINTER;
    *ret = nullptr;
    return guarded([&] {
        if (ComPtr<Session>* found = lookup(entries_, readIndex(index))) {
            *ret = (*found)->itf();
            (*ret)->AddRef();
        }
    });
}

void Sessions::rimuovi(_Sessione* session) {
    try {
        Session* s = serverCast<Session>(session);
        if (!s) return;
        // This very session only: another one filed under the same key (a tick counter
        // that has wrapped) stays where it is.
        std::u16string key = s->chiave();
        if (ComPtr<Session>* filed = entries_.find(key); filed && filed->get() == s) entries_.removeKey(key);
    } catch (...) {
    }
}

} // namespace ondrik
