// What one step of the platform keeps in this process's heaps, outside the server: the
// setting of an object property through oleaut32's ITypeInfo::Invoke
// (DISPATCH_PROPERTYPUTREF, as VBScript's "Set record.Sessione = s" reaches the server),
// against the same setting through the interface's function table. Prints the heaps'
// busy bytes and blocks that each thousand settings leave behind.
#include "applications/application.h"
#include "automation/type_library.h"
#include "generated/Ondrik.h"
#include "sessions/session.h"

#include <cstdio>
#include <functional>

using namespace ondrik;

namespace {

struct HeapUse {
    unsigned long long bytes = 0, blocks = 0;
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
            }
        HeapUnlock(heaps[i]);
    }
    return use;
}

void measure(const char* what, int rounds, const std::function<void()>& step) {
    for (int i = 0; i < 50; ++i) step(); // warm-up
    HeapUse before = heapUse();
    for (int i = 0; i < rounds; ++i) step();
    HeapUse after = heapUse();
    std::printf("%-44s %10.1f B %8.2f blocks per 1000 settings\n", what,
                double(after.bytes - before.bytes) * 1000.0 / rounds,
                double(after.blocks - before.blocks) * 1000.0 / rounds);
}

} // namespace

int main(int argc, char** argv) {
    int rounds = argc > 1 ? std::atoi(argv[1]) : 2000;
    CoInitialize(nullptr);
    {
        ComPtr<Application> record = Application::create();
        ComPtr<Session> session = Session::create(1);
        ITypeInfo* info = typeLibrary::infoOf(IID__Applicazione);
        DISPID id = DISPID_UNKNOWN;
        LPOLESTR name = const_cast<LPOLESTR>(L"Sessione");
        info->GetIDsOfNames(&name, 1, &id);
        auto putref = [&](IDispatch* value) {
            VARIANT arg;
            VariantInit(&arg);
            V_VT(&arg) = VT_DISPATCH;
            V_DISPATCH(&arg) = value;
            DISPID named = DISPID_PROPERTYPUT;
            DISPPARAMS dp = {&arg, &named, 1, 1};
            info->Invoke(record->itf(), id, DISPATCH_PROPERTYPUTREF, &dp, nullptr, nullptr, nullptr);
        };
        measure("function table: putref_Sessione(s), (Nothing)", rounds, [&] {
            record->putref_Sessione(session->itf());
            record->putref_Sessione(nullptr);
        });
        measure("ITypeInfo::Invoke: putref Sessione s", rounds, [&] {
            putref(session->itf());
            record->putref_Sessione(nullptr);
        });
        measure("ITypeInfo::Invoke: putref Sessione Nothing", rounds, [&] { putref(nullptr); });
        measure("the server's IDispatch::Invoke: s, Nothing", rounds, [&] {
            VARIANT arg;
            VariantInit(&arg);
            V_VT(&arg) = VT_DISPATCH;
            V_DISPATCH(&arg) = session->itf();
            DISPID named = DISPID_PROPERTYPUT;
            DISPPARAMS dp = {&arg, &named, 1, 1};
            record->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUTREF, &dp, nullptr, nullptr, nullptr);
            V_DISPATCH(&arg) = nullptr;
            record->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUTREF, &dp, nullptr, nullptr, nullptr);
        });
    }
    CoUninitialize();
    return 0;
}
