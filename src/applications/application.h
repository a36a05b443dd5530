// Applicazione: the server's record of one running client application.
#pragma once

#include "automation/com_ptr.h"
#include "automation/dispatch_object.h"
#include "generated/Ondrik.h"

#include <cstdint>
#include <string>

namespace ondrik {

class Application : public DispatchObject<Application, _Applicazione> {
public:
    static const CLSID& classId() { return CLSID_Applicazione; }

    // _Applicazione
    STDMETHODIMP get_Comments(BSTR* ret) override { return copyOut(comments_, ret); }
    STDMETHODIMP get_CompanyName(BSTR* ret) override { return copyOut(companyName_, ret); }
    STDMETHODIMP get_FileDescription(BSTR* ret) override { return copyOut(fileDescription_, ret); }
    STDMETHODIMP get_LegalCopyright(BSTR* ret) override { return copyOut(legalCopyright_, ret); }
    STDMETHODIMP get_LegalTrademarks(BSTR* ret) override { return copyOut(legalTrademarks_, ret); }
    STDMETHODIMP get_Major(short* ret) override { return copyOut(major_, ret); }
    STDMETHODIMP get_Minor(short* ret) override { return copyOut(minor_, ret); }
    STDMETHODIMP get_Revision(short* ret) override { return copyOut(revision_, ret); }
    STDMETHODIMP get_ProductName(BSTR* ret) override { return copyOut(productName_, ret); }
    STDMETHODIMP get_Title(BSTR* ret) override { return copyOut(title_, ret); }
    STDMETHODIMP get_Path(BSTR* ret) override { return copyOut(path_, ret); }
    STDMETHODIMP get_EXEName(BSTR* ret) override { return copyOut(exeName_, ret); }
    STDMETHODIMP get_ThreadID(long* ret) override { return copyOut(threadId_, ret); }
    STDMETHODIMP put_ThreadID(long value) override {
        threadId_ = value;
        return S_OK;
    }
    STDMETHODIMP get_hInstance(long* ret) override { return copyOut(hInstance_, ret); }
    STDMETHODIMP get_Sessione(_Sessione** ret) override;
    STDMETHODIMP putref_Sessione(_Sessione* value) override;
    STDMETHODIMP get_LinkTopic(BSTR* ret) override { return copyOut(linkTopic_, ret); }
    STDMETHODIMP put_LinkTopic(BSTR value) override;

    // Server-internal members.
    std::u16string chiave() const;
    // Fills the record from the client's application object, field by field. Returns
    // false when the object, in another process, could not be read or did not answer
    // within kReadLimitMs: the reading is then cut off and the record left as it was.
    bool carica(const VARIANT& vbApp);
    static constexpr DWORD kReadLimitMs = 10000;
    const std::u16string& exeName() const { return exeName_; }
    // The identity (canonical IUnknown) of the session held, nullptr without one: taken
    // when the session is set, so that comparing it never calls into a client's process.
    IUnknown* sessionIdentity() const { return sessionIdentity_; }

private:
    friend class DispatchObject<Application, _Applicazione>;
    friend struct ApplicationMembers; // the fields that carica fills, by member name
    Application() = default;

    std::u16string comments_, companyName_, fileDescription_, legalCopyright_, legalTrademarks_;
    short major_ = 0, minor_ = 0, revision_ = 0;
    std::u16string productName_, title_, path_, exeName_;
    long threadId_ = 0, hInstance_ = 0;
    std::u16string linkTopic_;
    ComPtr<_Sessione> sessione_;
    IUnknown* sessionIdentity_ = nullptr; // no reference of its own: sessione_ keeps it
};

} // namespace ondrik
