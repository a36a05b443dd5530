// Owns one VARIANT.
#pragma once

#include <windows.h>

#include <oleauto.h>

namespace ondrik {

class Variant {
public:
    Variant() { VariantInit(&v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&v_); }

    VARIANT* get() { return &v_; }
    const VARIANT* get() const { return &v_; }
    VARIANT* operator->() { return &v_; }
    void clear() { VariantClear(&v_); }
    VARIANT detach() {
        VARIANT out = v_;
        VariantInit(&v_);
        return out;
    }

private:
    VARIANT v_;
};

} // namespace ondrik
