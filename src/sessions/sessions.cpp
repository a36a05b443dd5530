#include "sessions/sessions.h"

#include "automation/bstr.h"
#include "automation/text_fold.h"
#include "process/tick_source.h"

namespace ondrik {

Sessions::Sessions() : book_(text::foldCase) {}

STDMETHODIMP Sessions::Apri(BSTR codiceAzienda, VARIANT_BOOL condivisa, BSTR userId, BSTR password,
                            _Sessione** ret) {
    if (!ret) return E_POINTER;
    *ret = nullptr;
    return guarded([&] {
        std::u16string_view code = viewOf(codiceAzienda);
        auto handOut = [&](const ComPtr<Session>& s) {
            *ret = s->itf();
            (*ret)->AddRef();
        };
        const ComPtr<Session>* shared = condivisa != 0 ? book_.sharedOf(code) : nullptr;
        if (shared) return handOut(*shared);
        // The wait: the next step of the tick counter, the new session's ID. Other calls
        // run meanwhile and may change the register (docs/reentrancy.md).
        int32_t id = ondrikMain::getNuovoTick();
        // Look again: a shared session of the company made during the wait is the one
        // handed out, so a company never has two shared sessions.
        shared = condivisa != 0 ? book_.sharedOf(code) : nullptr;
        if (shared) return handOut(*shared);
        ComPtr<Session> session = Session::create(id);
        if (!session) return;
        handOut(session);
        session->setCodiceAzienda(std::u16string(code));
        session->put_UserID(userId);
        session->put_Password(password);
        session->setCondivisa(condivisa);
        // File, with no wait since the last look. A key already filed (only after the
        // counter wraps) leaves this one unfiled.
        std::u16string key = session->chiave();
        Identity identity = identityOf(session->itf());
        book_.file(key, {std::move(session), identity, std::u16string(code), condivisa != 0});
    });
}

} // namespace ondrik
