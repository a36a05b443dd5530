#include "cmdline/collection.h"

#include "automation/bstr.h"
#include "automation/collection_index.h"
#include "automation/enumerator.h"
#include "automation/return_if_failed.h"
#include "automation/text_fold.h"

#include <string>
#include <vector>

namespace ondrik {
namespace {

bool isMissing(const VARIANT& v) {
    return V_VT(&v) == VT_ERROR && V_ERROR(&v) == DISP_E_PARAMNOTFOUND;
}

// The Variant itself, or the one it refers to.
const VARIANT& deref(const VARIANT& v) {
    return V_VT(&v) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(&v) ? *V_VARIANTREF(&v) : v;
}

} // namespace

Collection::Collection() : items_(text::foldCase) {}

bool Collection::append(const VARIANT& value, std::optional<std::u16string_view> key) {
    if (key && items_.find(*key)) return false;
    Value stored;
    if (FAILED(VariantCopyInd(stored.get(), const_cast<VARIANT*>(&value)))) return false;
    return items_.add(std::move(stored), key);
}

STDMETHODIMP Collection::Item(VARIANT index, VARIANT* ret) {
    if (!ret) return E_POINTER;
    VariantInit(ret);
    return unguarded([&] {
        Value* found = lookup(items_, readIndex(index));
        if (!found) return kInvalidCall;
        return VariantCopy(ret, found->get());
    });
}

STDMETHODIMP Collection::Add(VARIANT item, VARIANT key, VARIANT before, VARIANT after) {
    return unguarded([&] {
        // The key: a String, or left out.
        std::optional<std::u16string> keyText;
        const VARIANT& k = deref(key);
        if (V_VT(&k) == VT_BSTR)
            keyText = toU16(V_BSTR(&k));
        else if (V_VT(&k) == (VT_BYREF | VT_BSTR) && V_BSTRREF(&k))
            keyText = toU16(*V_BSTRREF(&k));
        else if (!isMissing(k))
            return kTypeMismatch;

        // Where it goes: at the end, or before or after an existing item (not both).
        size_t at = items_.size();
        bool hasBefore = !isMissing(deref(before)), hasAfter = !isMissing(deref(after));
        if (hasBefore && hasAfter) return kInvalidCall;
        if (hasBefore || hasAfter) {
            CollectionIndex where = readIndex(hasBefore ? before : after);
            size_t position = 0;
            if (where.kind == CollectionIndex::Kind::Position && where.position >= 1 &&
                size_t(where.position) <= items_.size())
                position = size_t(where.position);
            else if (where.kind == CollectionIndex::Kind::Key)
                position = items_.positionOf(where.key);
            if (position == 0) return kInvalidCall;
            at = hasBefore ? position - 1 : position;
        }

        if (keyText && items_.find(*keyText)) return kDuplicateKey;
        Value stored;
        RETURN_IF_FAILED(VariantCopyInd(stored.get(), &item));
        std::optional<std::u16string_view> keyView;
        if (keyText) keyView = *keyText;
        return items_.insert(at, std::move(stored), keyView) ? S_OK : kInvalidCall;
    });
}

STDMETHODIMP Collection::Count(long* ret) {
    if (!ret) return E_POINTER;
    *ret = long(items_.size());
    return S_OK;
}

STDMETHODIMP Collection::Remove(VARIANT index) {
    return unguarded([&] {
        CollectionIndex which = readIndex(index);
        bool removed = false;
        if (which.kind == CollectionIndex::Kind::Position)
            removed = items_.removeAt(which.position);
        else if (which.kind == CollectionIndex::Kind::Key)
            removed = items_.removeKey(which.key);
        return removed ? S_OK : kInvalidCall;
    });
}

STDMETHODIMP Collection::_NewEnum(IUnknown** ret) {
    if (!ret) return E_POINTER;
    *ret = nullptr;
    return unguarded([&] {
        // The enumerator copies the items; these are borrowed for the moment.
        std::vector<VARIANT> items;
        items.reserve(items_.size());
        items_.forEach([&](const Value& v) { items.push_back(*v.get()); });
        ComPtr<IEnumVARIANT> e = makeEnumerator(items);
        if (!e) return E_OUTOFMEMORY;
        *ret = e.detach();
        return S_OK;
    });
}

} // namespace ondrik
