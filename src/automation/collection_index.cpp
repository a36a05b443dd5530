#include "automation/collection_index.h"

#include "automation/bstr.h"
#include "automation/variant.h"

#include <oleauto.h>

namespace ondrik {

CollectionIndex readIndex(const VARIANT& index) {
    Variant value;
    CollectionIndex out;
    if (FAILED(VariantCopyInd(value.get(), const_cast<VARIANT*>(&index)))) return out;
    switch (V_VT(value.get())) {
    case VT_BSTR:
        out.kind = CollectionIndex::Kind::Key;
        out.key = toU16(V_BSTR(value.get()));
        return out;
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_I8:
    case VT_INT:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_UI8:
    case VT_UINT:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DECIMAL:
    case VT_BOOL:
    case VT_DATE: {
        Variant position;
        if (SUCCEEDED(VariantChangeType(position.get(), value.get(), 0, VT_I4))) {
            out.kind = CollectionIndex::Kind::Position;
            out.position = V_I4(position.get());
        }
        return out;
    }
    default:
        return out;
    }
}

} // namespace ondrik
