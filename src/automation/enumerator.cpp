#include "automation/enumerator.h"

#include "automation/kept_alive.h"
#include "automation/module_lock.h"
#include "automation/variant.h"

#include <new>
#include <utility>

namespace ondrik {
namespace {

class VariantEnumerator final : public IEnumVARIANT, public IExternalConnection {
public:
    // Copies the items; on a failed copy the enumerator is left short and reports it.
    explicit VariantEnumerator(const std::vector<VARIANT>& items) : items_(items.size()) {
        for (size_t i = 0; i < items.size(); ++i) copy(items[i], i);
    }
    VariantEnumerator(const VariantEnumerator& o) : items_(o.items_.size()), next_(o.next_) {
        for (size_t i = 0; i < items_.size(); ++i) copy(*o.items_[i].get(), i);
    }
    virtual ~VariantEnumerator() = default;
    bool complete() const { return complete_; }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IEnumVARIANT)
            *out = static_cast<IEnumVARIANT*>(this);
        else if (iid == IID_IExternalConnection)
            *out = static_cast<IExternalConnection*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG left = --refs_;
        if (!left) delete this;
        return left;
    }

    STDMETHODIMP Next(ULONG wanted, VARIANT* out, ULONG* fetched) override {
        if (!out || (wanted > 1 && !fetched)) return E_POINTER;
        if (fetched) *fetched = 0;
        // Copied first, and handed out only when every copy has been made.
        std::vector<Variant> copies;
        try {
            for (size_t i = next_; copies.size() < wanted && i < items_.size(); ++i) {
                copies.emplace_back();
                if (FAILED(VariantCopy(copies.back().get(), items_[i].get()))) return E_OUTOFMEMORY;
            }
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        ULONG n = ULONG(copies.size());
        for (ULONG k = 0; k < n; ++k) out[k] = copies[k].detach();
        next_ += n;
        if (fetched) *fetched = n;
        return n == wanted ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        size_t left = items_.size() - next_;
        next_ += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override {
        next_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumVARIANT** out) override {
        if (!out) return E_POINTER;
        auto copy = ComPtr<VariantEnumerator>::adopt(new (std::nothrow) VariantEnumerator(*this));
        if (copy && !copy->complete()) copy.reset();
        *out = copy.detach();
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    STDMETHODIMP_(DWORD) AddConnection(DWORD type, DWORD) override { return connections_.add(type); }
    STDMETHODIMP_(DWORD) ReleaseConnection(DWORD type, DWORD, BOOL) override {
        return connections_.release(type);
    }

private:
    void copy(const VARIANT& from, size_t i) {
        if (FAILED(VariantCopy(items_[i].get(), const_cast<VARIANT*>(&from)))) complete_ = false;
    }

    std::vector<Variant> items_;
    size_t next_ = 0;
    ULONG refs_ = 1;
    ClientConnections connections_;
    bool complete_ = true;
    keptAlive::Counted<keptAlive::Kind::object> counted_;
};

} // namespace

ComPtr<IEnumVARIANT> makeEnumerator(const std::vector<VARIANT>& items) {
    auto e = ComPtr<IEnumVARIANT>::adopt(new (std::nothrow) VariantEnumerator(items));
    if (e && !static_cast<VariantEnumerator*>(e.get())->complete()) e.reset();
    return e;
}

} // namespace ondrik
