// What one step of COM's marshalling keeps in a process's heaps, outside the server and
// with nothing of it: a fresh object (a bare IDispatchEx, no type library) marshalled to
// another apartment, set by reference once from there (DISPATCH_PROPERTYPUTREF of Nothing,
// as VBScript's "Set record.Sessione = Nothing") and let go, through IDispatch::Invoke
// against through IDispatchEx::InvokeEx, which VBScript uses on every object that answers
// it; and the query for IDispatchEx alone, without a call. Every round makes a new object,
// so a new stub; the object lives in this (single-threaded) apartment, its client in the
// multithreaded one. Prints the busy bytes and blocks each thousand rounds leave, and how
// many of those blocks have the size of the table of forwarding entries that a stub
// delegating to a base interface's stub takes (8 bytes and 256 pointers).
//
// Under Wine 8 each stub of IDispatchEx (its stub forwards IDispatch's methods to
// IDispatch's own stub) leaves such a table for good: rpcrt4's release_delegating_vtbl
// lowers the table's size instead of its count, so the next stub's get_delegating_vtbl
// takes a new table and the old one, still counted, is never freed. The server answers
// IDispatchEx on each of its objects, and VBScript asks every object it uses for it: one
// table for each object a client uses, which no call of the server's can release.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <dispex.h>

namespace {

constexpr SIZE_T kForwardingTable = 8 + 256 * sizeof(void*);

struct HeapUse {
    long long bytes = 0, blocks = 0, tables = 0;
};

HeapUse heapUse() {
    HANDLE heaps[64];
    DWORD n = GetProcessHeaps(64, heaps);
    HeapUse use;
    for (DWORD i = 0; i < n && i < 64; ++i) {
        PROCESS_HEAP_ENTRY e = {};
        HeapLock(heaps[i]);
        while (HeapWalk(heaps[i], &e))
            if (e.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
                use.bytes += e.cbData;
                ++use.blocks;
                use.tables += e.cbData == kForwardingTable;
            }
        HeapUnlock(heaps[i]);
    }
    return use;
}

std::atomic<long> liveObjects{0};

// One property, 1, that takes an object by reference; nothing else.
class Object final : public IDispatchEx {
public:
    Object() { ++liveObjects; }
    ~Object() {
        if (value_) value_->Release();
        --liveObjects;
    }
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IDispatchEx) {
            *out = static_cast<IDispatchEx*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG left = --refs_;
        if (!left) delete this;
        return left;
    }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override { return *n = 0, S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* p, VARIANT*, EXCEPINFO*, UINT*) override {
        if (id != 1 || flags != DISPATCH_PROPERTYPUTREF || p->cArgs != 1 || V_VT(&p->rgvarg[0]) != VT_DISPATCH)
            return DISP_E_MEMBERNOTFOUND;
        if (IDispatch* v = V_DISPATCH(&p->rgvarg[0])) v->AddRef();
        if (value_) value_->Release();
        value_ = V_DISPATCH(&p->rgvarg[0]);
        return S_OK;
    }
    STDMETHODIMP GetDispID(BSTR, DWORD, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP InvokeEx(DISPID id, LCID lcid, WORD flags, DISPPARAMS* p, VARIANT* r, EXCEPINFO* e,
                          IServiceProvider*) override {
        return Invoke(id, IID_NULL, lcid, flags, p, r, e, nullptr);
    }
    STDMETHODIMP DeleteMemberByName(BSTR, DWORD) override { return S_FALSE; }
    STDMETHODIMP DeleteMemberByDispID(DISPID) override { return S_FALSE; }
    STDMETHODIMP GetMemberProperties(DISPID, DWORD, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMemberName(DISPID, BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP GetNextDispID(DWORD, DISPID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetNameSpaceParent(IUnknown**) override { return E_NOTIMPL; }

private:
    std::atomic<ULONG> refs_{1};
    IDispatch* value_ = nullptr;
};

enum class Step { invoke, queryOnly, invokeEx };

// The client's side, on a thread of the multithreaded apartment: one round each time it
// is told.
struct Client {
    HANDLE go = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE done = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    IStream* handedOver = nullptr;
    Step step = Step::invoke;
    bool quit = false;
    HRESULT last = S_OK;

    static DWORD WINAPI run(void* self) {
        auto* c = static_cast<Client*>(self);
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        for (;;) {
            WaitForSingleObject(c->go, INFINITE);
            if (c->quit) break;
            c->last = c->once();
            SetEvent(c->done);
        }
        CoUninitialize();
        return 0;
    }

    HRESULT once() {
        IDispatch* object = nullptr;
        HRESULT hr = CoGetInterfaceAndReleaseStream(handedOver, IID_IDispatch, reinterpret_cast<void**>(&object));
        if (FAILED(hr)) return hr;
        VARIANT nothing;
        VariantInit(&nothing);
        V_VT(&nothing) = VT_DISPATCH;
        V_DISPATCH(&nothing) = nullptr;
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS dp = {&nothing, &named, 1, 1};
        EXCEPINFO ei = {};
        if (step == Step::invoke) {
            hr = object->Invoke(1, IID_NULL, 0, DISPATCH_PROPERTYPUTREF, &dp, nullptr, &ei, nullptr);
        } else {
            IDispatchEx* ex = nullptr;
            hr = object->QueryInterface(IID_IDispatchEx, reinterpret_cast<void**>(&ex));
            if (SUCCEEDED(hr) && step == Step::invokeEx)
                hr = ex->InvokeEx(1, 0, DISPATCH_PROPERTYPUTREF, &dp, nullptr, &ei, nullptr);
            if (ex) ex->Release();
        }
        object->Release();
        return hr;
    }
};

// One round, from this apartment: a new object, handed to the client, which uses it and
// lets go; this thread serves the client's calls meanwhile.
HRESULT round(Client& client, Step step) {
    auto* object = new Object;
    HRESULT hr = CoMarshalInterThreadInterfaceInStream(IID_IDispatch, static_cast<IDispatchEx*>(object),
                                                        &client.handedOver);
    object->Release(); // its stub holds it now
    if (FAILED(hr)) return hr;
    client.step = step;
    SetEvent(client.go);
    DWORD index;
    CoWaitForMultipleHandles(0, INFINITE, 1, &client.done, &index);
    return client.last;
}

void measure(Client& client, const char* what, Step step, int rounds) {
    for (int i = 0; i < 50; ++i) round(client, step); // warm-up
    HeapUse before = heapUse();
    HRESULT hr = S_OK;
    for (int i = 0; i < rounds && SUCCEEDED(hr); ++i) hr = round(client, step);
    HeapUse after = heapUse();
    std::printf("%-40s %9.0f B %7.0f blocks %7.0f tables per 1000 rounds%s\n", what,
                double(after.bytes - before.bytes) * 1000.0 / rounds,
                double(after.blocks - before.blocks) * 1000.0 / rounds,
                double(after.tables - before.tables) * 1000.0 / rounds,
                FAILED(hr) ? " (a round failed)" : "");
}

} // namespace

int main(int argc, char** argv) {
    int rounds = argc > 1 ? std::atoi(argv[1]) : 1000;
    CoInitialize(nullptr);
    Client client;
    HANDLE thread = CreateThread(nullptr, 0, &Client::run, &client, 0, nullptr);
    std::printf("A fresh object marshalled to another apartment, used once, let go "
                "(tables: heap blocks of %u bytes)\n",
                unsigned(kForwardingTable));
    measure(client, "IDispatch::Invoke, putref Nothing", Step::invoke, rounds);
    measure(client, "QueryInterface(IDispatchEx) alone", Step::queryOnly, rounds);
    measure(client, "IDispatchEx::InvokeEx, putref Nothing", Step::invokeEx, rounds);
    measure(client, "IDispatch::Invoke again", Step::invoke, rounds);
    std::printf("objects still alive: %ld\n", liveObjects.load());
    client.quit = true;
    SetEvent(client.go);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    CoUninitialize();
    return 0;
}
