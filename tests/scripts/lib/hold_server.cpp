// Holds the server while a scenario's other clients come and go (hold_server in
// tests/scripts/lib/run-vbs.sh): makes a Global, writes FOLDER\held, and lets go once
// FOLDER\release exists, then prints its summary. It waits in its own process and calls
// nothing of the server meanwhile: a wait inside the server (Sleep) nests with the other
// clients' waits, and would last as long as the longest of them (a killed client's Sleep
// of 24 days, for one).
//
//   hold_server.exe FOLDER
#include <objbase.h>
#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    const std::wstring folder = argv[1];
    // A thread of the multithreaded apartment: it pumps no messages while it waits.
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 1;
    CLSID global;
    IUnknown* held = nullptr;
    HRESULT hr = CLSIDFromProgID(L"Ondrik.Global", &global);
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(global, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown, reinterpret_cast<void**>(&held));
    if (FAILED(hr)) {
        std::printf("FAILED: no Global: 0x%08lX\n0 passed, 1 failed\n", static_cast<unsigned long>(hr));
        CoUninitialize();
        return 1;
    }
    HANDLE mark = CreateFileW((folder + L"\\held").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (mark != INVALID_HANDLE_VALUE) CloseHandle(mark);
    while (GetFileAttributesW((folder + L"\\release").c_str()) == INVALID_FILE_ATTRIBUTES)
        Sleep(100);
    held->Release();
    CoUninitialize();
    std::printf("1 passed, 0 failed\n");
    return 0;
}
