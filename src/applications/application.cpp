#include "applications/application.h"

#include "applications/application_key.h"
#include "automation/bounded_call.h"
#include "automation/bstr.h"
#include "automation/late_bound.h"
#include "automation/variant.h"

#include <memory>

namespace ondrik {

STDMETHODIMP Application::get_Sessione(_Sessione** ret) {
    if (!ret) return E_POINTER;
    *ret = sessione_.get();
    if (*ret) (*ret)->AddRef();
    return S_OK;
}

STDMETHODIMP Application::putref_Sessione(_Sessione* value) {
    sessione_ = value;
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

namespace {

// The members read from the client's object, in reading order, with the type of the
// field each fills.
struct Member {
    const wchar_t* name;
    VARTYPE type;
};
constexpr Member kMembers[] = {
    {L"Comments", VT_BSTR},
    {L"CompanyName", VT_BSTR},
    {L"FileDescription", VT_BSTR},
    {L"LegalCopyright", VT_BSTR},
    {L"LegalTrademarks", VT_BSTR},
    {L"Major", VT_I2},
    {L"Minor", VT_I2},
    {L"Revision", VT_I2},
    {L"ProductName", VT_BSTR},
    {L"Title", VT_BSTR},
    {L"Path", VT_BSTR},
    {L"EXEName", VT_BSTR},
    {L"ThreadID", VT_I4},
    {L"hInstance", VT_I4},
};
constexpr size_t kMemberCount = sizeof kMembers / sizeof kMembers[0];

// The values read, already converted to their fields' types: plain data, so that they may
// be read on another thread than the one that stores them.
struct Readings {
    Variant values[kMemberCount];
    bool read[kMemberCount] = {};
};

// Each name on its own: a failure leaves that value unread and the next is read.
void readMembers(IDispatch* object, Readings& out) {
    for (size_t i = 0; i < kMemberCount; ++i) {
        Variant raw;
        if (FAILED(readMember(object, kMembers[i].name, raw.get()))) continue;
        // An object is no field value: converting it would call into it once more (its
        // default member; a JScript function answers with its source text).
        VARTYPE type = V_VT(raw.get()) & VT_TYPEMASK;
        if (type == VT_DISPATCH || type == VT_UNKNOWN) continue;
        // The runtime's conversion; a Boolean becomes "True" or "False" as text.
        out.read[i] =
            SUCCEEDED(VariantChangeType(out.values[i].get(), raw.get(), VARIANT_ALPHABOOL, kMembers[i].type));
    }
}

} // namespace

bool Application::carica(const VARIANT& vbApp) {
    ComPtr<IDispatch> object = ComPtr<IDispatch>::adopt(dispatchOf(vbApp));
    if (!object) return true;
    auto readings = std::make_shared<Readings>();
    // An object in another process is read from a worker thread, and for a limited
    // time: a client that never answers must not hold the server.
    HRESULT hr = E_FAIL;
    if (isProxy(object.get()))
        hr = callWithin(object.get(), kReadLimitMs, [readings](IDispatch* o) { readMembers(o, *readings); });
    if (hr == RPC_E_TIMEOUT) return false;
    if (FAILED(hr)) readMembers(object.get(), *readings);

    void* const targets[kMemberCount] = {
        &comments_, &companyName_, &fileDescription_, &legalCopyright_, &legalTrademarks_,
        &major_,    &minor_,       &revision_,        &productName_,    &title_,
        &path_,     &exeName_,     &threadId_,        &hInstance_};
    for (size_t i = 0; i < kMemberCount; ++i) {
        if (!readings->read[i]) continue;
        const VARIANT* value = readings->values[i].get();
        try {
            switch (kMembers[i].type) {
            case VT_BSTR:
                *static_cast<std::u16string*>(targets[i]) = toU16(V_BSTR(value));
                break;
            case VT_I2:
                *static_cast<short*>(targets[i]) = V_I2(value);
                break;
            default:
                *static_cast<long*>(targets[i]) = V_I4(value);
                break;
            }
        } catch (...) { // out of memory for this text: the field keeps its value
        }
    }
    return true;
}

} // namespace ondrik
