// Owns one VARIANT: the one place where the server clears a VARIANT it owns.
#pragma once

#include <windows.h>

#include <oleauto.h>

namespace ondrik {

class Variant {
public:
    Variant() { VariantInit(&v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    Variant(Variant&& o) noexcept : v_(o.detach()) {}
    Variant& operator=(Variant&& o) noexcept {
        if (this != &o) {
            VariantClear(&v_);
            v_ = o.detach();
        }
        return *this;
    }
    ~Variant() { VariantClear(&v_); }

    // Takes over a value whose ownership the caller hands over.
    static Variant adopt(const VARIANT& value) {
        Variant v;
        v.v_ = value;
        return v;
    }

    VARIANT* get() { return &v_; }
    const VARIANT* get() const { return &v_; }
    VARIANT* operator->() { return &v_; }
    void clear() { VariantClear(&v_); }
    VARIANT detach() {
        VARIANT out = v_;
        VariantInit(&v_);
        return out;
    }
    // Moves the value into target (a caller's VARIANT), clearing what target held.
    void moveTo(VARIANT* target) {
        VariantClear(target);
        *target = detach();
    }

private:
    VARIANT v_;
};

} // namespace ondrik
