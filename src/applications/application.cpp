#include "applications/application.h"

#include "applications/application_key.h"
#include "automation/bounded_call.h"
#include "automation/bstr.h"
#include "automation/late_bound.h"
#include "automation/variant.h"

#include <iterator>
#include <memory>
#include <utility>
#include <variant>

namespace ondrik {

STDMETHODIMP Application::get_Sessione(_Sessione** ret) {
    if (!ret) return E_POINTER;
    *ret = sessione_.get();
    if (*ret) (*ret)->AddRef();
    return S_OK;
}

STDMETHODIMP Application::putref_Sessione(_Sessione* value) {
    // A proxy answers for the identity of its object itself, without a call out.
    IUnknown* id = identityOf(value);
    // The new session and its identity are in place before the old one is let go: letting
    // go of a session that a client made is a call into that client, and a closing that
    // runs meanwhile must count this record in the session it now works in.
    ComPtr<_Sessione> old = std::exchange(sessione_, ComPtr<_Sessione>(value));
    sessionIdentity_ = id;
    old.reset();
    return S_OK;
}

STDMETHODIMP Application::put_LinkTopic(BSTR value) {
    return unguarded([&] {
        linkTopic_ = toU16(value);
        return S_OK;
    });
}

std::u16string Application::chiave() const {
    return applicationKey(exeName_, hInstance_, threadId_);
}

// The members read from the client's object, in reading order, each with the field it
// fills. The field's type says to which type the value read is converted and how it is
// stored: an entry cannot pair a member with a field of another type.
struct ApplicationMembers {
    using Field = std::variant<std::u16string Application::*, short Application::*, long Application::*>;
    struct Member {
        const wchar_t* name;
        Field field;
    };
    static inline const Member table[] = {
        {L"Comments", &Application::comments_},
        {L"CompanyName", &Application::companyName_},
        {L"FileDescription", &Application::fileDescription_},
        {L"LegalCopyright", &Application::legalCopyright_},
        {L"LegalTrademarks", &Application::legalTrademarks_},
        {L"Major", &Application::major_},
        {L"Minor", &Application::minor_},
        {L"Revision", &Application::revision_},
        {L"ProductName", &Application::productName_},
        {L"Title", &Application::title_},
        {L"Path", &Application::path_},
        {L"EXEName", &Application::exeName_},
        {L"ThreadID", &Application::threadId_},
        {L"hInstance", &Application::hInstance_},
    };
    static constexpr size_t count = std::size(table);
};

namespace {

using Member = ApplicationMembers::Member;

VARTYPE typeOf(std::u16string Application::*) {
    return VT_BSTR;
}
VARTYPE typeOf(short Application::*) {
    return VT_I2;
}
VARTYPE typeOf(long Application::*) {
    return VT_I4;
}

// A value already converted to the field's type (typeOf) into the field.
void store(std::u16string& field, const VARIANT& value) {
    field = toU16(V_BSTR(&value));
}
void store(short& field, const VARIANT& value) {
    field = V_I2(&value);
}
void store(long& field, const VARIANT& value) {
    field = V_I4(&value);
}

// The values read, already converted to their fields' types: plain data, so that they may
// be read on another thread than the one that stores them.
struct Readings {
    Variant values[ApplicationMembers::count];
    bool read[ApplicationMembers::count] = {};
};

// Each name on its own: a failure leaves that value unread and the next is read.
void readMembers(IDispatch* object, Readings& out) {
    for (size_t i = 0; i < ApplicationMembers::count; ++i) {
        const Member& member = ApplicationMembers::table[i];
        Variant raw;
        if (FAILED(readMember(object, member.name, raw.get()))) continue;
        // An object is no field value: converting it would call into it once more (its
        // default member; a JScript function answers with its source text).
        VARTYPE got = V_VT(raw.get()) & VT_TYPEMASK;
        if (got == VT_DISPATCH || got == VT_UNKNOWN) continue;
        VARTYPE type = std::visit([](auto field) { return typeOf(field); }, member.field);
        // The runtime's conversion; a Boolean becomes "True" or "False" as text.
        out.read[i] = SUCCEEDED(VariantChangeType(out.values[i].get(), raw.get(), VARIANT_ALPHABOOL, type));
    }
}

} // namespace

bool Application::carica(const VARIANT& vbApp) {
    HeldObject held = heldObject(vbApp);
    if (!held.object) return true;
    auto readings = std::make_shared<Readings>();
    if (isProxy(held.object)) {
        // An object in another process is read from a worker thread, and for a limited
        // time: a client that never answers must not hold the server. Its IDispatch is
        // looked up there as well (for an object handed over as an IUnknown, that look-up
        // is a call into the client). When the read cannot be handed to a worker, the
        // object is not read at all: read on the server's thread, it could hold every
        // client for as long as its own does not answer.
        if (FAILED(callWithin(held.object, held.iid, kReadLimitMs, [readings](IUnknown* o) {
                ComPtr<IDispatch> object;
                if (SUCCEEDED(o->QueryInterface(IID_IDispatch, object.putVoid())))
                    readMembers(object.get(), *readings);
            })))
            return false;
    } else if (ComPtr<IDispatch> object = dispatchOf(vbApp)) {
        readMembers(object.get(), *readings); // the server's own apartment: no other process
    }

    for (size_t i = 0; i < ApplicationMembers::count; ++i) {
        if (!readings->read[i]) continue;
        const VARIANT& value = *readings->values[i].get();
        try {
            std::visit([&](auto field) { store(this->*field, value); }, ApplicationMembers::table[i].field);
        } catch (...) { // out of memory for this text: the field keeps its value
        }
    }
    return true;
}

} // namespace ondrik
