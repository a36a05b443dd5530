// The desktop helpers of Global: a real window put into and out of the topmost band, the
// computer's name, the sleep, and opening documents without leaving a program behind.
#include "dispatch_helpers.h"
#include "shell_shortcut.h"

#include "global/global.h"

#include <climits>
#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <tlhelp32.h>
#include <vector>

using namespace testing_ondrik;

namespace {

ComPtr<ondrik::Global> localGlobal() {
    return ondrik::Global::create(ondrik::ProcessState::make());
}

HWND makeWindow() {
    WNDCLASSW cls = {};
    cls.lpfnWndProc = DefWindowProcW;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"OndrikTestWindow";
    RegisterClassW(&cls); // fails harmlessly when already registered
    return CreateWindowExW(0, cls.lpszClassName, L"prova", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 20, 200, 100,
                           nullptr, nullptr, cls.hInstance, nullptr);
}

bool isTopmost(HWND w) {
    return (GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

long handleOf(HWND w) {
    return long(LONG_PTR(w));
}

// Processes started by this one that are still running.
std::vector<DWORD> children() {
    std::vector<DWORD> found;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return found;
    PROCESSENTRY32W e = {};
    e.dwSize = sizeof(e);
    for (BOOL more = Process32FirstW(snap, &e); more; more = Process32NextW(snap, &e))
        if (e.th32ParentProcessID == GetCurrentProcessId()) found.push_back(e.th32ProcessID);
    CloseHandle(snap);
    return found;
}

// Waits up to seconds for the process to end; true when it has.
bool ended(DWORD pid, int seconds) {
    HANDLE p = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!p) return true;
    bool done = WaitForSingleObject(p, DWORD(seconds) * 1000) == WAIT_OBJECT_0;
    CloseHandle(p);
    return done;
}

bool waitForFile(const std::wstring& path, int seconds) {
    for (int i = 0; i < seconds * 20; ++i) {
        if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
        Sleep(50);
    }
    return false;
}

} // namespace

TEST(DesktopHelpers, SetTopMostWindowTakesOnlyTrueAsTopmost) {
    HWND w = makeWindow();
    ASSERT_TRUE(w);
    RECT before, after;
    GetWindowRect(w, &before);
    auto g = localGlobal();
    EXPECT_EQ(g->SetTopMostWindow(handleOf(w), VARIANT_TRUE), S_OK);
    EXPECT_TRUE(isTopmost(w));
    EXPECT_EQ(g->SetTopMostWindow(handleOf(w), VARIANT_FALSE), S_OK);
    EXPECT_FALSE(isTopmost(w));
    g->SetTopMostWindow(handleOf(w), VARIANT_TRUE);
    ASSERT_TRUE(isTopmost(w));
    EXPECT_EQ(g->SetTopMostWindow(handleOf(w), VARIANT_BOOL(1)), S_OK); // not exactly True
    EXPECT_FALSE(isTopmost(w));
    g->SetTopMostWindow(handleOf(w), VARIANT_TRUE);
    g->SetTopMostWindow(handleOf(w), VARIANT_BOOL(-2));
    EXPECT_FALSE(isTopmost(w));
    GetWindowRect(w, &after);
    EXPECT_TRUE(EqualRect(&before, &after)); // neither moved nor sized

    // Handles that name no window are handed on all the same, and nothing is reported.
    EXPECT_EQ(g->SetTopMostWindow(0, VARIANT_TRUE), S_OK);
    EXPECT_EQ(g->SetTopMostWindow(0x7FFFFFF0, VARIANT_FALSE), S_OK);

    // Through the registered server: another process moves this process's window.
    ComPtr<_Global> remote;
    ASSERT_EQ(CoCreateInstance(CLSID_Global, nullptr, CLSCTX_LOCAL_SERVER, IID__Global, remote.putVoid()),
              S_OK);
    EXPECT_EQ(remote->SetTopMostWindow(handleOf(w), VARIANT_TRUE), S_OK);
    EXPECT_TRUE(isTopmost(w));
    EXPECT_EQ(remote->SetTopMostWindow(handleOf(w), VARIANT_BOOL(1)), S_OK);
    EXPECT_FALSE(isTopmost(w));
    // Late-bound, a number becomes a Boolean first: 1 arrives as True.
    ComPtr<IDispatch> d = remote.query<IDispatch>(IID_IDispatch);
    CallResult r1, r2;
    call(d.get(), L"SetTopMostWindow", {i4(handleOf(w)), i4(1)}, r1);
    EXPECT_EQ(r1.hr, S_OK);
    EXPECT_TRUE(isTopmost(w));
    call(d.get(), L"SetTopMostWindow", {i4(handleOf(w)), vbool(false)}, r2);
    EXPECT_EQ(r2.hr, S_OK);
    EXPECT_FALSE(isTopmost(w));
    remote.reset();
    DestroyWindow(w);
}

TEST(DesktopHelpers, GetComputerNameIsThePlatformsNameAlone) {
    wchar_t expected[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    ASSERT_TRUE(GetComputerNameW(expected, &size));
    auto g = localGlobal();
    Bstr name;
    ASSERT_EQ(g->GetComputerName(name.put()), S_OK);
    EXPECT_EQ(std::wstring(name.get(), SysStringLen(name.get())), std::wstring(expected, size));
    EXPECT_EQ(g->GetComputerName(nullptr), E_POINTER);

    CallResult r;
    call(g->itf(), L"GetComputerName", {}, r);
    ASSERT_EQ(r.hr, S_OK);
    ASSERT_EQ(V_VT(r.value.get()), VT_BSTR);
    EXPECT_EQ(std::wstring(V_BSTR(r.value.get()), SysStringLen(V_BSTR(r.value.get()))),
              std::wstring(expected, size));
}

TEST(DesktopHelpers, SleepWaitsAndANegativeCountDoesNotWait) {
    auto g = localGlobal();
    EXPECT_EQ(g->Sleep(0), S_OK);
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    EXPECT_EQ(g->Sleep(60), S_OK);
    QueryPerformanceCounter(&end);
    EXPECT_GE((end.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart, 50); // it did wait

    // -1 would be the platform's endless wait: run it where a hang is caught, not suffered.
    struct Call {
        ondrik::Global* g;
        long ms;
        static DWORD WINAPI run(void* p) {
            auto* c = static_cast<Call*>(p);
            return DWORD(c->g->Sleep(c->ms));
        }
    };
    for (long ms : {-1L, -1000L, long(INT_MIN)}) {
        Call c{g.get(), ms};
        HANDLE worker = CreateThread(nullptr, 0, &Call::run, &c, 0, nullptr);
        ASSERT_TRUE(worker);
        bool returned = WaitForSingleObject(worker, 10000) == WAIT_OBJECT_0;
        EXPECT_TRUE(returned) << "Sleep(" << ms << ") did not return";
        if (!returned) TerminateThread(worker, 1);
        DWORD code = 1;
        GetExitCodeThread(worker, &code);
        EXPECT_EQ(code, DWORD(S_OK));
        CloseHandle(worker);
    }
}

TEST(DesktopHelpers, ApriDocumentoOpensWithTheDefaultVerbAndReportsNothing) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring dir = std::wstring(temp) + L"ondrik-apri-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
    auto g = localGlobal();
    IDispatch* d = g->itf();

    // A missing file, with the default verb and with others: no error.
    std::wstring missing = dir + L"\\manca.txt";
    CallResult r1, r2;
    call(d, L"ApriDocumento", {str(missing.c_str())}, r1);
    EXPECT_EQ(r1.hr, S_OK);
    call(d, L"ApriDocumento", {str(missing.c_str()), str(L"nessunverbo")}, r2);
    EXPECT_EQ(r2.hr, S_OK);
    // (An empty file name is not tried: the shell would open a folder window that stays.)
    Bstr empty(L"");
    EXPECT_EQ(g->ApriDocumento(Bstr(missing.c_str()).get(), nullptr), S_OK);
    EXPECT_EQ(g->ApriDocumento(Bstr(missing.c_str()).get(), empty.get()), S_OK);

    // A command file that leaves a mark and ends at once, opened with the verb left out.
    std::wstring script = dir + L"\\segno.cmd", mark = dir + L"\\segno.txt";
    std::string text = "@echo off\r\necho fatto> \"" + std::string(mark.begin(), mark.end()) + "\"\r\n";
    HANDLE f = CreateFileW(script.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(f, text.data(), DWORD(text.size()), &written, nullptr);
    CloseHandle(f);
    // Processes this test started before (servers of earlier tests) are not its concern.
    std::vector<DWORD> before = children();
    CallResult r3;
    call(d, L"ApriDocumento", {str(script.c_str())}, r3);
    EXPECT_EQ(r3.hr, S_OK);
    EXPECT_TRUE(waitForFile(mark, 20));
    for (DWORD pid : children()) {
        if (std::find(before.begin(), before.end(), pid) == before.end()) {
            EXPECT_TRUE(ended(pid, 20)) << "process " << pid << " still runs";
        }
    }
    removeTree(dir);
}
