// Cost of the application register's operations as it grows (in-process, so the register
// and not the transport is measured): Apri, Item by position, Item by key and Chiudi with
// 10, 1,000 and 100,000 records filed. Baseline in the same run: a position look-up that
// walks a linked list, as the automation runtime's own Collection does.
#include "applications/applications.h"
#include "automation/bstr.h"
#include "state/process_state.h"

#include <cstdio>
#include <list>
#include <random>
#include <string>
#include <vector>
#include <windows.h>

using namespace ondrik;

namespace {

// An application object that answers EXEName, hInstance and ThreadID at once.
class QuickApp : public IDispatch {
public:
    explicit QuickApp(long id) : id_(id) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out = (iid == IID_IUnknown || iid == IID_IDispatch) ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* id) override {
        if (!lstrcmpiW(names[0], L"EXEName"))
            *id = 1;
        else if (!lstrcmpiW(names[0], L"hInstance"))
            *id = 2;
        else
            return DISP_E_UNKNOWNNAME;
        return S_OK;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* r, EXCEPINFO*, UINT*) override {
        if (id == 1) {
            V_VT(r) = VT_BSTR;
            V_BSTR(r) = SysAllocString(L"Bench");
        } else {
            V_VT(r) = VT_I4;
            V_I4(r) = id_;
        }
        return S_OK;
    }

private:
    long id_;
};

double now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return double(c.QuadPart) / double(f.QuadPart);
}

VARIANT objectArg(IDispatch* d) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = d;
    return v;
}

struct Costs {
    double apri, byPosition, byKey, chiudi, linkedList;
};

Costs measure(Applications* apps, long size, int ops, long& nextId, std::mt19937& rng) {
    std::vector<_Applicazione*> filed;
    const long firstId = nextId;
    for (long n = 0; n < size; ++n) {
        QuickApp app(nextId++);
        _Applicazione* r = nullptr;
        apps->Apri(objectArg(&app), &r);
        filed.push_back(r);
    }
    Costs c{};
    std::vector<_Applicazione*> added;
    double t = now();
    for (int i = 0; i < ops; ++i) {
        QuickApp app(nextId++);
        _Applicazione* r = nullptr;
        apps->Apri(objectArg(&app), &r);
        added.push_back(r);
    }
    c.apri = (now() - t) / ops;

    std::uniform_int_distribution<long> pick(1, size);
    t = now();
    for (int i = 0; i < ops; ++i) {
        VARIANT index;
        V_VT(&index) = VT_I4;
        V_I4(&index) = pick(rng);
        _Applicazione* r = nullptr;
        apps->Item(index, &r);
        if (r) r->Release();
    }
    c.byPosition = (now() - t) / ops;

    std::vector<Bstr> keys;
    for (int i = 0; i < ops; ++i)
        keys.emplace_back((L"bench|" + std::to_wstring(firstId + pick(rng) - 1) + L"|0").c_str());
    t = now();
    for (int i = 0; i < ops; ++i) {
        VARIANT index;
        V_VT(&index) = VT_BSTR;
        V_BSTR(&index) = keys[size_t(i)].get();
        _Applicazione* r = nullptr;
        apps->Item(index, &r);
        if (r) r->Release();
    }
    c.byKey = (now() - t) / ops;

    t = now();
    for (auto* r : added) apps->Chiudi(r);
    c.chiudi = (now() - t) / ops;

    std::list<_Applicazione*> linked(filed.begin(), filed.end());
    t = now();
    size_t sink = 0;
    for (int i = 0; i < ops; ++i) {
        auto it = linked.begin();
        std::advance(it, pick(rng) - 1);
        sink += size_t(*it != nullptr);
    }
    c.linkedList = (now() - t) / ops;
    if (sink == 0) printf(" ");

    for (auto* r : added) r->Release();
    for (auto* r : filed) {
        apps->Chiudi(r);
        r->Release();
    }
    return c;
}

} // namespace

int main() {
    CoInitialize(nullptr);
    std::mt19937 rng(1);
    auto state = ProcessState::make();
    long nextId = 1;
    const long sizes[] = {10, 1000, 100000};
    Costs costs[3];
    printf("%9s %10s %10s %10s %10s %14s   (microseconds per operation)\n", "records", "Apri", "Item(pos)",
           "Item(key)", "Chiudi", "linked list");
    for (int i = 0; i < 3; ++i) {
        costs[i] = measure(state->applications(), sizes[i], 1000, nextId, rng);
        printf("%9ld %10.2f %10.2f %10.2f %10.2f %14.2f\n", sizes[i], costs[i].apri * 1e6,
               costs[i].byPosition * 1e6, costs[i].byKey * 1e6, costs[i].chiudi * 1e6,
               costs[i].linkedList * 1e6);
    }
    printf("%9s %10.2f %10.2f %10.2f %10.2f %14.2f   (cost at 100,000 / cost at 1,000)\n", "ratio",
           costs[2].apri / costs[1].apri, costs[2].byPosition / costs[1].byPosition,
           costs[2].byKey / costs[1].byKey, costs[2].chiudi / costs[1].chiudi,
           costs[2].linkedList / costs[1].linkedList);
    state->release();
    CoUninitialize();
    return 0;
}
