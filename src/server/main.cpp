// Ondrik.exe: the suite's shared local automation server.
//
//   Ondrik.exe /regserver [/user]     register the classes and the type library
//   Ondrik.exe /unregserver [/user]   remove them
//   Ondrik.exe [-Embedding]           serve (COM starts it so)
#include "automation/module_lock.h"
#include "automation/type_library.h"
#include "automation/unfinished_work.h"
#include "generated/Ondrik.h"
#include "global/global.h"
#include "state/process_state.h"
#include "server/class_factory.h"
#include "server/registration.h"
#include "server/security.h"
#include "shell_link/shell_link.h"

#include <shellapi.h>
#include <windows.h>

#include <memory>
#include <utility>

namespace ondrik {
namespace {

// A server that no client ever reaches (started by hand, or a failed activation) ends
// after this long instead of waiting for ever.
constexpr UINT kIdleLimitMs = 60000;

bool switchIs(const wchar_t* arg, const wchar_t* name) {
    return (arg[0] == L'/' || arg[0] == L'-') && lstrcmpiW(arg + 1, name) == 0;
}

DWORD cookies[2] = {};

void revokeClassObjects() {
    for (DWORD& cookie : cookies)
        if (cookie) CoRevokeClassObject(std::exchange(cookie, 0));
}

// How long the server may take to end once its last client has gone. Letting go of what
// it holds can wait on a client (a record that a client made itself is released by a call
// into that client), and so can the system's own end of a process that still has worker
// threads; under Wine in the emulator such an end was seen to hang for good, with the
// class objects already revoked. Past this limit the process ends at once.
constexpr DWORD kEndLimitMs = 10000;

DWORD WINAPI endWithinLimit(void*) {
    Sleep(kEndLimitMs);
    TerminateProcess(GetCurrentProcess(), 0);
    return 0;
}

void endServer() {
    // No new client may reach this process from now on; the next one starts a fresh server
    // (an activation that still arrives is told CO_E_SERVER_STOPPING).
    ClassFactory::refuseNewObjects();
    revokeClassObjects();
    static bool ending = false;
    if (!std::exchange(ending, true))
        if (HANDLE thread = CreateThread(nullptr, 0, &endWithinLimit, nullptr, 0, nullptr)) CloseHandle(thread);
    PostQuitMessage(0);
}

// The one timer that may end the server: its idle limit from the start, then the grace
// after each last client, each set in place of the one before, so that the limit of the
// start can never cut short a grace that began later.
UINT_PTR endTimer = 0;

void CALLBACK idleCheck(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (timer == endTimer) endTimer = 0; // its id may be given to another timer now
    if (moduleLock::count() == 0) endServer();
}

// The server ends after MS unless a client holds it then.
void endAfter(UINT ms) {
    endTimer = SetTimer(nullptr, endTimer, ms, &idleCheck);
}

// How long the server goes on serving after its last client has let go, as the system's
// own local servers do (ATL's wait a few seconds too): a client that starts just then
// (the next suite application, while the previous one closes) is served by this process,
// with its registers, instead of reaching a server that is ending; under Wine such a client
// would be told CO_E_SERVER_STOPPING (error 429), where Windows starts a fresh server. With
// kEndLimitMs the server has ended at most 13 s after its last client.
constexpr UINT kGraceMs = 3000;

// The last client has let go: the server ends after the grace period unless a client has
// come meanwhile (an activation holds an object, or locks the server, and nothing has
// been revoked yet).
void lastClientGone() {
    endAfter(kGraceMs);
}

int serve() {
    if (FAILED(security::initialize())) return 1;
    // The state every client shares; every Global holds it.
    std::shared_ptr<ProcessState> state = ProcessState::make();
    // The class objects outlive serve(): a client may still hold one (CoGetClassObject),
    // and COM lets go of their stubs as late as CoUninitialize, after serve() has returned.
    // They are never destroyed (the process ends without running static destructors).
    static ClassFactory& globalFactory = *new ClassFactory(
        [held = std::weak_ptr<ProcessState>(state)](REFIID iid, void** out) -> HRESULT {
            std::shared_ptr<ProcessState> state = held.lock();
            return state ? createObject<Global>(iid, out, state) : CO_E_SERVER_STOPPING;
        });
    static ClassFactory& shellLinkFactory =
        *new ClassFactory([](REFIID iid, void** out) { return createObject<ShellLink>(iid, out); });
    HRESULT hr = CoRegisterClassObject(CLSID_Global, &globalFactory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE,
                                       &cookies[0]);
    if (SUCCEEDED(hr))
        hr = CoRegisterClassObject(CLSID_ShellLink, &shellLinkFactory, CLSCTX_LOCAL_SERVER,
                                   REGCLS_MULTIPLEUSE, &cookies[1]);
    if (FAILED(hr)) {
        revokeClassObjects();
        return 1;
    }
    moduleLock::onLastUnlock(&lastClientGone);
    endAfter(kIdleLimitMs);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    revokeClassObjects();
    state->release();
    // A shortcut file being replaced is let finish (the end limit still holds).
    unfinishedWork::waitForAll();
    return 0;
}

} // namespace
} // namespace ondrik

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    using namespace ondrik;
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    bool doRegister = false, doUnregister = false, perUser = false;
    for (int i = 1; argv && i < argc; ++i) {
        doRegister |= switchIs(argv[i], L"regserver");
        doUnregister |= switchIs(argv[i], L"unregserver");
        perUser |= switchIs(argv[i], L"user");
    }
    LocalFree(argv);

    if (FAILED(CoInitialize(nullptr))) return 1;
    int rc;
    if (doRegister)
        rc = FAILED(registerServer(perUser)) ? 1 : 0;
    else if (doUnregister)
        rc = FAILED(unregisterServer(perUser)) ? 1 : 0;
    else
        rc = serve();
    typeLibrary::release();
    CoUninitialize();
    // A served process ends here, without the system's detaching of every library, which
    // would first have to stop the worker threads that may still wait on clients.
    if (!doRegister && !doUnregister) TerminateProcess(GetCurrentProcess(), UINT(rc));
    return rc;
}
