// IEnumVARIANT over a snapshot of a collection, taken when the enumerator is made, so a
// for-each loop is not disturbed by changes to the collection while it runs.
#pragma once

#include "automation/com_ptr.h"

#include <windows.h>

#include <oaidl.h>
#include <vector>

namespace ondrik {

// A new enumerator over copies of items, or an empty pointer when memory runs out.
ComPtr<IEnumVARIANT> makeEnumerator(const std::vector<VARIANT>& items);

// Fills out with a Variant holding a new enumerator over the objects, as the
// collections' NewEnum hands it out. Returns E_OUTOFMEMORY on failure.
template <class Ptr> HRESULT enumeratorVariant(const std::vector<Ptr>& objects, VARIANT* out);

} // namespace ondrik

#include <oleauto.h>

template <class Ptr> HRESULT ondrik::enumeratorVariant(const std::vector<Ptr>& objects, VARIANT* out) {
    if (!out) return E_POINTER;
    VariantInit(out);
    std::vector<VARIANT> items(objects.size());
    for (size_t i = 0; i < objects.size(); ++i) {
        V_VT(&items[i]) = VT_DISPATCH;
        V_DISPATCH(&items[i]) = objects[i]->itf(); // borrowed: the enumerator copies
    }
    ComPtr<IEnumVARIANT> e = makeEnumerator(items);
    if (!e) return E_OUTOFMEMORY;
    V_VT(out) = VT_UNKNOWN;
    V_UNKNOWN(out) = e.detach();
    return S_OK;
}
