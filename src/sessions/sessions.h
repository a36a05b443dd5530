// Sessioni: the process-wide register of open sessions.
#pragma once

#include "automation/com_ptr.h"
#include "automation/dispatch_object.h"
#include "automation/keyed_list.h"
#include "generated/Ondrik.h"
#include "process/registers.h"
#include "sessions/session.h"

namespace ondrik {

class Sessions : public DispatchObject<Sessions, _Sessioni> {
public:
    static const CLSID& classId() { return CLSID_Sessioni; }

    // _Sessioni
    STDMETHODIMP Apri(BSTR codiceAzienda, VARIANT_BOOL condivisa, BSTR userId, BSTR password,
                      _Sessione** ret) override;
    STDMETHODIMP Count(long* ret) override;
    STDMETHODIMP NewEnum(VARIANT* ret) override;
    STDMETHODIMP Item(VARIANT index, _Sessione** ret) override;

    // Server-internal: takes the session out of the register, by its key.
    void rimuovi(_Sessione* session);

private:
    friend class DispatchObject<Sessions, _Sessioni>;
    Sessions();

    KeyedList<ComPtr<Session>> entries_;
};

// The session register that every client shares (made on first use). The caller borrows it.
inline Sessions* sessionRegister() {
    return ondrikMain::FirstUse<Sessions>::get();
}

} // namespace ondrik
