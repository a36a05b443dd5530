// Owning smart pointer for COM interfaces.
#pragma once

#include <windows.h>

#include <objbase.h>
#include <utility>

namespace ondrik {

template <class T> class ComPtr {
public:
    ComPtr() = default;
    // Takes a reference of its own to p: explicit, so that a pointer whose reference the
    // caller already owns is not held twice (adopt takes that one over).
    explicit ComPtr(T* p) : p_(p) {
        if (p_) p_->AddRef();
    }
    ComPtr(const ComPtr& o) : ComPtr(o.p_) {}
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ~ComPtr() { reset(); }
    ComPtr& operator=(ComPtr o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }

    // Takes over a reference the caller already owns.
    static ComPtr adopt(T* p) {
        ComPtr c;
        c.p_ = p;
        return c;
    }

    void reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out-parameters: releases what is held and hands out the slot.
    T** put() {
        reset();
        return &p_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }
    // Hands the reference to the caller.
    T* detach() { return std::exchange(p_, nullptr); }

    template <class U> ComPtr<U> query(REFIID iid) const {
        ComPtr<U> out;
        if (p_) p_->QueryInterface(iid, out.putVoid());
        return out;
    }

private:
    T* p_ = nullptr;
};

// The identity of a COM object (its IUnknown), for comparison only: no reference is kept,
// so it stays valid only while the object is held otherwise. nullptr for nullptr.
inline IUnknown* identityOf(IUnknown* p) {
    ComPtr<IUnknown> id;
    if (p) p->QueryInterface(IID_IUnknown, id.putVoid());
    return id.get();
}

} // namespace ondrik
