#include "cmdline/parse_command.h"

#include "automation/bstr.h"
#include "automation/com_ptr.h"
#include "automation/variant.h"
#include "cmdline/collection.h"
#include "cmdline/command_parser.h"

#include <memory>
#include <new>
#include <optional>
#include <vector>

namespace ondrik::cmdline {
namespace {

// The caller's switches: each Variant as passed (by-reference ones read through) and its
// text, converted by the runtime's rules when it is not a String. A switch whose value
// has no text form (Null, an array, an object without a default value) keeps no text.
class Switches {
public:
    explicit Switches(SAFEARRAY* flags) {
        VARTYPE vt = VT_EMPTY;
        if (!flags || SafeArrayGetDim(flags) != 1 || FAILED(SafeArrayGetVartype(flags, &vt)) ||
            vt != VT_VARIANT)
            return;
        LONG lower = 0, upper = -1;
        if (FAILED(SafeArrayGetLBound(flags, 1, &lower)) || FAILED(SafeArrayGetUBound(flags, 1, &upper)))
            return;
        VARIANT* data = nullptr;
        if (FAILED(SafeArrayAccessData(flags, reinterpret_cast<void**>(&data)))) return;
        size_t count = upper >= lower ? size_t(LONGLONG(upper) - lower + 1) : 0;
        values_.reset(new Variant[count]);
        texts_.resize(count);
        for (size_t j = 0; j < count; ++j) read(data[j], j);
        SafeArrayUnaccessData(flags);
    }

    const SwitchList& texts() const { return texts_; }
    const VARIANT& value(size_t j) const { return *values_[j].get(); }

private:
    void read(VARIANT& given, size_t j) {
        VARIANT* value = values_[j].get();
        if (FAILED(VariantCopyInd(value, &given))) return;
        if (V_VT(value) == VT_BSTR) {
            texts_[j] = toU16(V_BSTR(value));
            return;
        }
        // Booleans read as "True" and "False", as the clients' own conversion to String.
        Variant text;
        if (SUCCEEDED(VariantChangeType(text.get(), value, VARIANT_ALPHABOOL, VT_BSTR)))
            texts_[j] = toU16(V_BSTR(text.get()));
    }

    std::unique_ptr<Variant[]> values_;
    SwitchList texts_;
};

} // namespace

ComPtr<Collection> parseCommandToCollection(BSTR commandLine, BSTR delimiter, SAFEARRAY* flags) {
    std::u16string_view line = viewOf(commandLine);
    if (line.empty()) return {};
    ComPtr<Collection> result = Collection::create();
    if (!result) throw std::bad_alloc();
    Switches switches(flags);
    for (const ParsedItem& item : parseCommand(line, viewOf(delimiter), switches.texts())) {
        std::optional<std::u16string_view> key;
        if (item.key) key = *switches.texts()[*item.key];
        if (item.flagValue) {
            result->append(switches.value(*item.flagValue), key);
            continue;
        }
        Variant text;
        V_VT(text.get()) = VT_BSTR;
        V_BSTR(text.get()) = allocBstr(item.text);
        if (!V_BSTR(text.get())) throw std::bad_alloc();
        result->append(*text.get(), key);
    }
    return result;
}

} // namespace ondrik::cmdline
