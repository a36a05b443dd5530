// Ends of a local server, one after another, each as the ending-server test ends one: the
// client holds the class object (CoGetClassObject) past the end of the server, whose last
// object it has let go. Counts the ends; the faults of the servers' ends (under the
// emulator, "qemu: uncaught target signal" in the standard error that each server
// inherits from this client) are counted by the caller.
//   bench_server_ends.exe global|null COUNT
// global: Ondrik.Global of the registered server; null: the do-nothing server of
// bench_null_server.exe (registered with its /regserver).
#include "../tests/wine/file_helpers.h"
#include "generated/Ondrik.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const CLSID CLSID_NullSessioni = {
    0x7d0c51a2, 0x3b1e, 0x4f6a, {0x9a, 0x41, 0x52, 0x10, 0x6e, 0x2b, 0x8c, 0x01}};

// Waits at most 30 s for no process of that name.
bool noneLeft(const wchar_t* exe) {
    for (int i = 0; i < 300; ++i) {
        if (testing_ondrik::processesNamed(exe) == 0) return true;
        Sleep(100);
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    bool global = strcmp(argv[1], "global") == 0;
    const CLSID& clsid = global ? CLSID_Global : CLSID_NullSessioni;
    const wchar_t* exe = global ? L"Ondrik.exe" : L"bench_null_server.exe";
    int count = atoi(argv[2]), ended = 0, failed = 0;
    CoInitialize(nullptr);
    for (int i = 0; i < count; ++i) {
        if (!noneLeft(exe)) break;
        IClassFactory* factory = nullptr;
        IDispatch* object = nullptr;
        if (FAILED(CoGetClassObject(clsid, CLSCTX_LOCAL_SERVER, nullptr, IID_IClassFactory,
                                    reinterpret_cast<void**>(&factory)))) {
            ++failed;
            continue;
        }
        if (SUCCEEDED(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&object)))) {
            UINT n = 0;
            object->GetTypeInfoCount(&n);
            object->Release();
        } else {
            ++failed;
        }
        // The server ends while this client still holds its class object.
        if (noneLeft(exe)) ++ended;
        factory->Release();
    }
    CoUninitialize();
    std::printf("%d ends, %d failed activations\n", ended, failed);
    return 0;
}
