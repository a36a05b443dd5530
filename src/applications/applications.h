// Applicazioni: the process-wide register of running client applications. Its rules are
// its book's (books/application_book.h); this class reads what the clients' objects must
// answer, and then asks the book.
#pragma once

#include "applications/application.h"
#include "automation/com_ptr.h"
#include "automation/register_object.h"
#include "books/application_book.h"
#include "generated/Ondrik.h"
#include "sessions/sessions.h"

#include <functional>

namespace ondrik {

class Applications : public RegisterObject<Applications, _Applicazioni, _Applicazione> {
public:
    static const CLSID& classId() { return CLSID_Applicazioni; }

    // _Applicazioni
    STDMETHODIMP Apri(VARIANT vbApp, _Applicazione** ret) override;
    STDMETHODIMP Chiudi(_Applicazione* applicazione) override;
    // Count, NewEnum and Item: RegisterObject's, over the book.

    // Server-internal: the register's book.
    const ApplicationBook<ComPtr<Application>>& book() const { return book_; }

private:
    friend class DispatchObject<Applications, _Applicazioni>;
    // sessions: the session register whose sessions the closings settle (nullptr when
    // there is none to be had).
    explicit Applications(std::function<Sessions*()> sessions);

    ApplicationBook<ComPtr<Application>> book_;
    std::function<Sessions*()> sessions_;
};

} // namespace ondrik
