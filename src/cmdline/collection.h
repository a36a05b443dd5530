// Collection: the automation runtime's ordered keyed collection, as an object of our own.
// Items stand in order at positions counted from 1 and may carry a String key, unique
// and compared without regard to case; Item (the default member) and Remove take a
// position or a key, Add places an item at the end or before or after another one.
// Unlike the runtime's own, look-ups by position cost O(log n) rather than O(n).
#pragma once

#include "automation/dispatch_object.h"
#include "automation/variant.h"
#include "lists/keyed_list.h"
#include "generated/Ondrik.h"

#include <optional>
#include <string_view>

namespace ondrik {

class Collection : public DispatchObject<Collection, _Collection> {
public:
    static const CLSID& classId() { return CLSID_Collection; }

    // _Collection
    STDMETHODIMP Item(VARIANT index, VARIANT* ret) override;
    STDMETHODIMP Add(VARIANT item, VARIANT key, VARIANT before, VARIANT after) override;
    STDMETHODIMP Count(long* ret) override;
    STDMETHODIMP Remove(VARIANT index) override;
    STDMETHODIMP _NewEnum(IUnknown** ret) override;

    // For the server's own code: appends a copy of value (by-reference values are read
    // through). False when the key is already present or the copy fails.
    bool append(const VARIANT& value, std::optional<std::u16string_view> key = std::nullopt);

private:
    friend class DispatchObject<Collection, _Collection>;
    Collection();
    ~Collection() override = default;

    using Value = Variant; // owns one stored item
    KeyedList<Value> items_;
};

} // namespace ondrik
