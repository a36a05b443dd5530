#include "sessions/session.h"

#include "automation/bstr.h"
#include "sessions/session_key.h"

namespace ondrik {
namespace {

DATE nowToTheSecond() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    t.wMilliseconds = 0;
    DATE d = 0;
    SystemTimeToVariantTime(&t, &d);
    return d;
}

} // namespace

Session::Session(int32_t id) : id_(id), creazione_(nowToTheSecond()) {}

std::u16string Session::chiave() const {
    return sessionKey(id_);
}

HRESULT Session::copyIn(std::u16string& field, BSTR value) {
    return unguarded([&] {
        field = toU16(value);
        return S_OK;
    });
}

STDMETHODIMP Session::get_Creazione(DATE* ret) {
    return copyOut(creazione_, ret);
}

STDMETHODIMP Session::get_ID(long* ret) {
    return copyOut<long>(id_, ret);
}

STDMETHODIMP Session::get_UserID(BSTR* ret) {
    return copyOut(userId_, ret);
}
STDMETHODIMP Session::put_UserID(BSTR value) {
    return copyIn(userId_, value);
}
STDMETHODIMP Session::get_Password(BSTR* ret) {
    return copyOut(password_, ret);
}
STDMETHODIMP Session::put_Password(BSTR value) {
    return copyIn(password_, value);
}
STDMETHODIMP Session::get_CodiceAzienda(BSTR* ret) {
    return copyOut(codiceAzienda_, ret);
}

STDMETHODIMP Session::get_Condivisa(VARIANT_BOOL* ret) {
    return copyOut(condivisa_, ret);
}

} // namespace ondrik
