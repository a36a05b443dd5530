#include "applications/application.h"

#include "applications/application_key.h"
#include "automation/bstr.h"
#include "automation/late_bound.h"
#include "automation/variant.h"

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

void Application::carica(const VARIANT& vbApp) {
    struct Field {
        const wchar_t* name;
        VARTYPE type;
        void* target;
    };
    const Field fields[] = {
        {L"Comments", VT_BSTR, &comments_},
        {L"CompanyName", VT_BSTR, &companyName_},
        {L"FileDescription", VT_BSTR, &fileDescription_},
        {L"LegalCopyright", VT_BSTR, &legalCopyright_},
        {L"LegalTrademarks", VT_BSTR, &legalTrademarks_},
        {L"Major", VT_I2, &major_},
        {L"Minor", VT_I2, &minor_},
        {L"Revision", VT_I2, &revision_},
        {L"ProductName", VT_BSTR, &productName_},
        {L"Title", VT_BSTR, &title_},
        {L"Path", VT_BSTR, &path_},
        {L"EXEName", VT_BSTR, &exeName_},
        {L"ThreadID", VT_I4, &threadId_},
        {L"hInstance", VT_I4, &hInstance_},
    };
    ComPtr<IDispatch> object = ComPtr<IDispatch>::adopt(dispatchOf(vbApp));
    if (!object) return;
    // Each name on its own: a failure leaves that field alone and the next is read.
    for (const Field& f : fields) {
        try {
            Variant raw, value;
            if (FAILED(readMember(object.get(), f.name, raw.get()))) continue;
            // The runtime's conversion; a Boolean becomes "True" or "False" as text.
            if (FAILED(VariantChangeType(value.get(), raw.get(), VARIANT_ALPHABOOL, f.type))) continue;
            switch (f.type) {
            case VT_BSTR:
                *static_cast<std::u16string*>(f.target) = toU16(V_BSTR(value.get()));
                break;
            case VT_I2:
                *static_cast<short*>(f.target) = V_I2(value.get());
                break;
            default:
                *static_cast<long*>(f.target) = V_I4(value.get());
                break;
            }
        } catch (...) {
        }
    }
}

} // namespace ondrik
