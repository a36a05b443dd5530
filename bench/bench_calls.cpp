// Cost of one out-of-process call: Sessioni.Count of the real server against the same
// call on a do-nothing server built from the same dispatch kit, through the vtable and
// through IDispatch. Prints microseconds per call and the ratio.
#include "automation/com_ptr.h"
#include "generated/Ondrik.h"

#include <cstdio>
#include <windows.h>

using ondrik::ComPtr;

namespace {

double perCallMicros(_Sessioni* s, bool viaDispatch, int calls) {
    ComPtr<IDispatch> d;
    s->QueryInterface(IID_IDispatch, d.putVoid());
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&a);
    for (int i = 0; i < calls; ++i) {
        long n = 0;
        if (viaDispatch) {
            VARIANT r;
            VariantInit(&r);
            d->Invoke(0x60030002, IID_NULL, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &none, &r, nullptr,
                      nullptr);
        } else {
            s->Count(&n);
        }
    }
    QueryPerformanceCounter(&b);
    return double(b.QuadPart - a.QuadPart) * 1e6 / double(f.QuadPart) / calls;
}

} // namespace

int main(int argc, char** argv) {
    int calls = argc > 1 ? atoi(argv[1]) : 2000;
    CoInitialize(nullptr);
    ComPtr<_Global> g;
    ComPtr<_Sessioni> real, baseline;
    CLSID nullClass = {};
    if (FAILED(CoCreateInstance(CLSID_Global, nullptr, CLSCTX_LOCAL_SERVER, IID__Global, g.putVoid())) ||
        FAILED(g->get_Sessioni(real.put())) || FAILED(CLSIDFromProgID(L"OndrikBench.Null", &nullClass)) ||
        FAILED(
            CoCreateInstance(nullClass, nullptr, CLSCTX_LOCAL_SERVER, IID__Sessioni, baseline.putVoid()))) {
        printf("could not reach the servers\n");
        return 1;
    }
    printf("%-28s %12s %12s %8s\n", "Sessioni.Count", "Ondrik us", "baseline us", "ratio");
    for (bool viaDispatch : {false, true}) {
        perCallMicros(real.get(), viaDispatch, calls / 10); // warm up both
        perCallMicros(baseline.get(), viaDispatch, calls / 10);
        double r = perCallMicros(real.get(), viaDispatch, calls);
        double b = perCallMicros(baseline.get(), viaDispatch, calls);
        printf("%-28s %12.1f %12.1f %8.2f\n", viaDispatch ? "through IDispatch" : "through the vtable", r, b,
               r / b);
    }
    return 0;
}
