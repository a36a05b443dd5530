// Base of a register's class: the members every register shares, written once over its
// book (Derived::book(): anything that counts its entries, looks them up by position and
// by key, and lists their handles, each handle owning a server object with itf()).
//   Count    the number of entries;
//   NewEnum  an enumerator over the entries in order (unguarded);
//   Item     the entry at a position or under a key, Nothing when there is none (guarded).
#pragma once

#include "automation/collection_index.h"
#include "automation/dispatch_object.h"
#include "automation/enumerator.h"

namespace ondrik {

template <class Derived, class Itf, class ItemItf>
class RegisterObject : public DispatchObject<Derived, Itf> {
public:
    STDMETHODIMP Count(long* ret) override {
        if (!ret) return E_POINTER;
        *ret = long(book().size());
        return S_OK;
    }

    STDMETHODIMP NewEnum(VARIANT* ret) override {
        return this->unguarded([&] { return enumeratorVariant(book().handles(), ret); });
    }

    STDMETHODIMP Item(VARIANT index, ItemItf** ret) override {
        if (!ret) return E_POINTER;
        *ret = nullptr;
        return this->guarded([&] {
            if (const auto* found = lookup(book(), readIndex(index))) {
                *ret = (*found)->itf();
                (*ret)->AddRef();
            }
        });
    }

protected:
    RegisterObject() = default;

private:
    const auto& book() { return static_cast<Derived*>(this)->book(); }
};

} // namespace ondrik
