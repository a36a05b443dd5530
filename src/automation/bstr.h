// Automation strings (BSTR) and their conversion to the portable UTF-16 strings.
#pragma once

#include <windows.h>

#include <oleauto.h>
#include <string>
#include <string_view>
#include <utility>

namespace ondrik {

inline std::u16string toU16(BSTR b) {
    return std::u16string(reinterpret_cast<const char16_t*>(b), b ? SysStringLen(b) : 0);
}

inline std::u16string_view viewOf(BSTR b) {
    return std::u16string_view(reinterpret_cast<const char16_t*>(b), b ? SysStringLen(b) : 0);
}

// A fresh BSTR for an out-parameter; nullptr only when memory runs out.
inline BSTR allocBstr(std::u16string_view s) {
    return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(s.data()), UINT(s.size()));
}

// Owns one BSTR.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::u16string_view s) : b_(allocBstr(s)) {}
    explicit Bstr(const wchar_t* s) : b_(SysAllocString(s)) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& o) noexcept : b_(std::exchange(o.b_, nullptr)) {}
    Bstr& operator=(Bstr&& o) noexcept {
        std::swap(b_, o.b_);
        return *this;
    }
    ~Bstr() { SysFreeString(b_); }

    BSTR get() const { return b_; }
    BSTR* put() {
        SysFreeString(b_);
        b_ = nullptr;
        return &b_;
    }
    BSTR detach() { return std::exchange(b_, nullptr); }
    std::u16string str() const { return toU16(b_); }

private:
    BSTR b_ = nullptr;
};

} // namespace ondrik
