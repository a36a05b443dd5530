// What reading a client's application object costs when the read runs on a thread of its
// own with a time limit (as Applicazioni.Apri reads an object in another process),
// against the same fourteen late-bound reads made directly through the proxy, in the same
// run. The object lives in another apartment of this process, so both go through COM's
// channel. Prints microseconds per reading and the ratio.
//
// Also what a worker hop costs the fast paths that now take one: the existence test of a
// folder that exists (the whole file-system work of GetDirectoryDati when the folder is
// there) made on a worker while this thread serves, against the same test made directly.
#include "automation/bounded_call.h"
#include "automation/com_ptr.h"
#include "automation/late_bound.h"
#include "automation/variant.h"
#include "automation/worker_call.h"
#include "files/file_system.h"

#include <cstdio>
#include <windows.h>

using ondrik::ComPtr;

namespace {

const wchar_t* const kNames[] = {
    L"Comments", L"CompanyName", L"FileDescription", L"LegalCopyright", L"LegalTrademarks",
    L"Major",    L"Minor",       L"Revision",        L"ProductName",    L"Title",
    L"Path",     L"EXEName",     L"ThreadID",        L"hInstance"};

// Answers every name with a number.
class Answering : public IDispatch {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out = (iid == IID_IUnknown || iid == IID_IDispatch) ? static_cast<IDispatch*>(this) : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID* id) override {
        *id = 1;
        return S_OK;
    }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                        UINT*) override {
        if (result) {
            V_VT(result) = VT_I4;
            V_I4(result) = 7;
        }
        return S_OK;
    }
};

struct Home {
    IStream* stream = nullptr;
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE quit = CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

// The object's own apartment: a thread that serves its calls until told to quit.
DWORD WINAPI serve(void* p) {
    auto* home = static_cast<Home*>(p);
    static Answering object;
    CoInitialize(nullptr);
    CoMarshalInterThreadInterfaceInStream(IID_IDispatch, &object, &home->stream);
    SetEvent(home->ready);
    while (MsgWaitForMultipleObjects(1, &home->quit, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    CoUninitialize();
    return 0;
}

void readAll(IDispatch* object) {
    for (const wchar_t* name : kNames) {
        ondrik::Variant v;
        ondrik::readMember(object, name, v.get());
    }
}

void readNothing(IDispatch*) {}

double perReadingMicros(IDispatch* proxy, bool bounded, int readings, void (*work)(IDispatch*) = &readAll) {
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&a);
    for (int i = 0; i < readings; ++i) {
        if (bounded)
            ondrik::callWithin(proxy, 10000, work);
        else
            work(proxy);
    }
    QueryPerformanceCounter(&b);
    return double(b.QuadPart - a.QuadPart) * 1e6 / double(f.QuadPart) / readings;
}

template <class Look> double perLookUpMicros(int count, Look&& look) {
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&a);
    for (int i = 0; i < count; ++i) look();
    QueryPerformanceCounter(&b);
    return double(b.QuadPart - a.QuadPart) * 1e6 / double(f.QuadPart) / count;
}

void compareFolderLookUps(int count) {
    wchar_t folder[MAX_PATH] = {};
    GetWindowsDirectoryW(folder, MAX_PATH);
    std::u16string path(reinterpret_cast<const char16_t*>(folder));
    auto direct = [&] { ondrik::fileSystem::lookUp(path); };
    auto hopped = [&] { ondrik::runServing([path] { ondrik::fileSystem::lookUp(path); }); };
    perLookUpMicros(count / 10, direct); // warm up both
    perLookUpMicros(count / 10, hopped);
    double d = perLookUpMicros(count, direct);
    double h = perLookUpMicros(count, hopped);
    printf("%-36s %12s %12s %8s\n", "Existence test of a folder", "worker us", "direct us", "ratio");
    printf("%-36s %12.1f %12.1f %8.2f\n", "(GetDirectoryDati, folder there)", h, d, h / d);
}

} // namespace

int main(int argc, char** argv) {
    int readings = argc > 1 ? atoi(argv[1]) : 300;
    CoInitialize(nullptr);
    Home home;
    HANDLE thread = CreateThread(nullptr, 0, &serve, &home, 0, nullptr);
    WaitForSingleObject(home.ready, INFINITE);
    ComPtr<IDispatch> proxy;
    if (!home.stream || FAILED(CoGetInterfaceAndReleaseStream(home.stream, IID_IDispatch, proxy.putVoid()))) {
        printf("could not reach the object\n");
        return 1;
    }
    perReadingMicros(proxy.get(), false, readings / 10); // warm up both
    perReadingMicros(proxy.get(), true, readings / 10);
    double direct = perReadingMicros(proxy.get(), false, readings);
    double bounded = perReadingMicros(proxy.get(), true, readings);
    printf("%-36s %12s %12s %8s\n", "Reading 14 members of an object", "bounded us", "direct us", "ratio");
    printf("%-36s %12.1f %12.1f %8.2f\n", "(Applicazioni.Apri's reading)", bounded, direct, bounded / direct);
    printf("%-36s %12.1f\n", "Hand-off alone, reading nothing",
           perReadingMicros(proxy.get(), true, readings, &readNothing));
    compareFolderLookUps(readings * 10);
    proxy.reset();
    SetEvent(home.quit);
    WaitForSingleObject(thread, INFINITE);
    CoUninitialize();
    return 0;
}
