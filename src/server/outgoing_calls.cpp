#include "server/outgoing_calls.h"

#include <objbase.h>

namespace ondrik::outgoingCalls {
namespace {

bool active = false;
DWORD deadline = 0; // GetTickCount() value

class Filter : public IMessageFilter {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out =
            (iid == IID_IUnknown || iid == IID_IMessageFilter) ? static_cast<IMessageFilter*>(this) : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP_(DWORD) HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
        return SERVERCALL_ISHANDLED;
    }
    STDMETHODIMP_(DWORD) RetryRejectedCall(HTASK, DWORD, DWORD) override { return DWORD(-1); }
    STDMETHODIMP_(DWORD) MessagePending(HTASK, DWORD, DWORD) override {
        if (active && LONG(GetTickCount() - deadline) >= 0) return PENDINGMSG_CANCELCALL;
        return PENDINGMSG_WAITDEFPROCESS;
    }
};

Filter filter;

// Posts an empty message to the server's thread: COM asks the filter only when a message
// arrives during its wait, and a timer's messages do not end that wait.
void CALLBACK nudge(void* thread, BOOLEAN) {
    PostThreadMessageW(DWORD(UINT_PTR(thread)), WM_NULL, 0, 0);
}

} // namespace

void install() {
    CoRegisterMessageFilter(&filter, nullptr);
}
void uninstall() {
    CoRegisterMessageFilter(nullptr, nullptr);
}

Deadline::Deadline(DWORD milliseconds) : previous_(deadline), hadPrevious_(active) {
    deadline = GetTickCount() + milliseconds;
    active = true;
    if (!CreateTimerQueueTimer(&timer_, nullptr, &nudge,
                               reinterpret_cast<void*>(UINT_PTR(GetCurrentThreadId())), 100, 100,
                               WT_EXECUTEDEFAULT))
        timer_ = nullptr;
}

Deadline::~Deadline() {
    if (timer_) DeleteTimerQueueTimer(nullptr, timer_, INVALID_HANDLE_VALUE);
    deadline = previous_;
    active = hadPrevious_;
}

} // namespace ondrik::outgoingCalls
