// Sessione: one user's working session on the data of one company.
#pragma once

#include "automation/dispatch_object.h"
#include "generated/Ondrik.h"

#include <cstdint>
#include <string>

namespace ondrik {

class Session : public DispatchObject<Session, _Sessione> {
public:
    static const CLSID& classId() { return CLSID_Sessione; }

    // _Sessione
    STDMETHODIMP get_Creazione(DATE* ret) override;
    STDMETHODIMP get_ID(long* ret) override;
    STDMETHODIMP get_UserID(BSTR* ret) override;
    STDMETHODIMP put_UserID(BSTR value) override;
    STDMETHODIMP get_Password(BSTR* ret) override;
    STDMETHODIMP put_Password(BSTR value) override;
    STDMETHODIMP get_CodiceAzienda(BSTR* ret) override;
    STDMETHODIMP get_Condivisa(VARIANT_BOOL* ret) override;

    // Server-internal members.
    std::u16string chiave() const;
    void setCodiceAzienda(std::u16string value) { codiceAzienda_ = std::move(value); }
    void setCondivisa(VARIANT_BOOL value) { condivisa_ = value; }
    const std::u16string& codiceAzienda() const { return codiceAzienda_; }
    VARIANT_BOOL condivisa() const { return condivisa_; }
    int32_t id() const { return id_; }

private:
    friend class DispatchObject<Session, _Sessione>;
    explicit Session(int32_t id); // id: a reading of the tick source

    HRESULT copyIn(std::u16string& field, BSTR value);

    int32_t id_;
    DATE creazione_;
    std::u16string codiceAzienda_, userId_, password_;
    VARIANT_BOOL condivisa_ = VARIANT_FALSE;
};

} // namespace ondrik
