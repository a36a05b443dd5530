#include "automation/enumerator.h"

#include "automation/module_lock.h"

#include <new>
#include <utility>

namespace ondrik {
namespace {

class VariantEnumerator final : public IEnumVARIANT, public IExternalConnection {
public:
    // Copies the items; on a failed copy the enumerator is left short and reports it.
    explicit VariantEnumerator(const std::vector<VARIANT>& items) : items_(items.size()) {
        for (size_t i = 0; i < items.size(); ++i) {
            VariantInit(&items_[i]);
            if (FAILED(VariantCopy(&items_[i], const_cast<VARIANT*>(&items[i])))) complete_ = false;
        }
    }
    VariantEnumerator(const VariantEnumerator& o) : VariantEnumerator(o.items_) { next_ = o.next_; }
    virtual ~VariantEnumerator() {
        for (auto& v : items_) VariantClear(&v);
    }
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
        ULONG n = 0;
        for (; n < wanted && next_ < items_.size(); ++n, ++next_) {
            VariantInit(&out[n]);
            if (FAILED(VariantCopy(&out[n], &items_[next_]))) {
                for (ULONG k = 0; k < n; ++k) VariantClear(&out[k]);
                if (fetched) *fetched = 0;
                return E_OUTOFMEMORY;
            }
        }
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
        auto* copy = new (std::nothrow) VariantEnumerator(*this);
        if (copy && !copy->complete()) {
            copy->Release();
            copy = nullptr;
        }
        *out = copy;
        return copy ? S_OK : E_OUTOFMEMORY;
    }

    STDMETHODIMP_(DWORD) AddConnection(DWORD type, DWORD) override { return connections_.add(type); }
    STDMETHODIMP_(DWORD) ReleaseConnection(DWORD type, DWORD, BOOL) override {
        return connections_.release(type);
    }

private:
    std::vector<VARIANT> items_;
    size_t next_ = 0;
    ULONG refs_ = 1;
    ClientConnections connections_;
    bool complete_ = true;
};

} // namespace

IEnumVARIANT* makeEnumerator(const std::vector<VARIANT>& items) {
    auto* e = new (std::nothrow) VariantEnumerator(items);
    if (e && !e->complete()) {
        e->Release();
        return nullptr;
    }
    return e;
}

} // namespace ondrik
