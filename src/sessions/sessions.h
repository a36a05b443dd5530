// Sessioni: the process-wide register of open sessions. Its rules are its book's
// (books/session_book.h); this class reads what the clients pass, waits where a member
// must, and asks the book.
#pragma once

#include "automation/com_ptr.h"
#include "automation/register_object.h"
#include "books/session_book.h"
#include "generated/Ondrik.h"
#include "sessions/session.h"

namespace ondrik {

class Sessions : public RegisterObject<Sessions, _Sessioni, _Sessione> {
public:
    static const CLSID& classId() { return CLSID_Sessioni; }
    using Book = SessionBook<ComPtr<Session>>;

    // _Sessioni
    STDMETHODIMP Apri(BSTR codiceAzienda, VARIANT_BOOL condivisa, BSTR userId, BSTR password,
                      _Sessione** ret) override;
    // Count, NewEnum and Item: RegisterObject's, over the book.

    // Server-internal: the register's book, for the application register's closing.
    Book& book() { return book_; }

private:
    friend class DispatchObject<Sessions, _Sessioni>;
    Sessions();

    Book book_;
};

} // namespace ondrik
