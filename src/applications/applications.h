// Applicazioni: the process-wide register of running client applications.
#pragma once

#include "applications/application.h"
#include "automation/com_ptr.h"
#include "automation/dispatch_object.h"
#include "automation/keyed_list.h"
#include "generated/Ondrik.h"
#include "process/registers.h"

namespace ondrik {

class Applications : public DispatchObject<Applications, _Applicazioni> {
public:
    static const CLSID& classId() { return CLSID_Applicazioni; }

    // _Applicazioni
    STDMETHODIMP Apri(VARIANT vbApp, _Applicazione** ret) override;
    STDMETHODIMP Chiudi(_Applicazione* applicazione) override;
    STDMETHODIMP Count(long* ret) override;
    STDMETHODIMP NewEnum(VARIANT* ret) override;
    STDMETHODIMP Item(VARIANT index, _Applicazione** ret) override;

private:
    friend class DispatchObject<Applications, _Applicazioni>;
    Applications();

    // Whether the session counts as shared at closing: only a stored True (-1) does.
    static bool sharedAtClosing(_Sessione* session);
    // Whether closing is filed (under whatever key) and no other filed record works in the
    // session of that identity. Asks no client: one step with the removal it decides.
    bool lastInSession(Application* closing, IUnknown* session) const;

    KeyedList<ComPtr<Application>> entries_;
};

// The application register that every client shares (made on first use). The caller borrows it.
inline Applications* applicationRegister() {
    return ondrikMain::FirstUse<Applications>::get();
}

} // namespace ondrik
