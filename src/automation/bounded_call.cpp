#include "automation/bounded_call.h"

#include "automation/com_ptr.h"
#include "automation/kept_alive.h"
#include "automation/message_pump.h"
#include "automation/return_if_failed.h"
#include "automation/worker_call.h"

#include <atomic>
#include <memory>
#include <utility>
#include <vector>

namespace ondrik {
namespace {

// What the waiting thread and the calling thread share; whichever lets go last frees it.
// Counted while it lives: it holds the client's object, marshalled or in use.
struct Call {
    IID iid;
    std::function<void(IUnknown*)> work;
    HandedBack object; // the object, marshalled for the calling thread
    std::atomic<bool> ended{false};
    std::atomic<HWND> told{nullptr}; // told when the call ends, if it was given up
    keptAlive::Counted<keptAlive::Kind::handOver> counted;
};

// Runs on a worker of the multithreaded apartment.
void runCall(const std::shared_ptr<Call>& call) {
    ComPtr<IUnknown> object;
    if (SUCCEEDED(call->object.take(call->iid, object.putVoid())) && object) {
        try {
            call->work(object.get());
        } catch (...) {
        }
        object.reset(); // a call into the object's process too: part of the call's time
    }
    call->ended = true;
    if (HWND told = call->told) PostMessageW(told, WM_APP, 0, 0);
}

// A call given up, with the server thread's reference to its object. That reference is
// kept until the call ends: dropping the last reference to a proxy is itself a call into
// the object's process, which would wait on the very client that did not answer.
struct GivenUp {
    std::shared_ptr<Call> call;
    ComPtr<IUnknown> object;
};
// The server's thread only. Never destroyed: what is still in it when the process ends
// belongs to an apartment that is gone by then.
std::vector<GivenUp>& givenUp = *new std::vector<GivenUp>;

// Lets go of the objects whose calls have ended. Taken out of the list first: a release
// calls out, and meanwhile other calls may come in and change the list.
void releaseEnded() {
    std::vector<GivenUp> ended;
    for (auto it = givenUp.begin(); it != givenUp.end();) {
        if (it->call->ended) {
            ended.push_back(std::move(*it));
            it = givenUp.erase(it);
        } else {
            ++it;
        }
    }
}

LRESULT CALLBACK hearEnds(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) {
        releaseEnded();
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// The message-only window of the server's thread to which given-up calls report their end.
HWND endsWindow() {
    static HWND hwnd = createMessageWindow(L"BoundedCallEnds", &hearEnds);
    return hwnd;
}

} // namespace

bool isProxy(IUnknown* object) {
    // Only COM's proxy manager answers IClientSecurity on a client's behalf.
    ComPtr<IClientSecurity> security;
    return object && SUCCEEDED(object->QueryInterface(IID_IClientSecurity, security.putVoid()));
}

HRESULT callWithin(IUnknown* object, REFIID iid, DWORD limitMs, std::function<void(IUnknown*)> work) {
    auto call = std::make_shared<Call>();
    call->iid = iid;
    call->work = std::move(work);
    if (!object) return E_POINTER;
    RETURN_IF_FAILED(call->object.give(iid, object));
    // Not handed over (no thread, or an exception): the call's owner releases the object.
    HRESULT hr = runServing([call] { runCall(call); }, limitMs);
    if (hr == RPC_E_TIMEOUT) {
        givenUp.push_back({call, ComPtr<IUnknown>(object)});
        call->told = endsWindow();
        // The call may have ended before it could see whom to tell.
        releaseEnded();
    }
    return hr;
}

HandedBack::~HandedBack() {
    if (!stream_) return;
    CoReleaseMarshalData(stream_);
    stream_->Release();
}

HRESULT HandedBack::give(REFIID iid, IUnknown* object) {
    if (stream_ || !object) return S_FALSE;
    return CoMarshalInterThreadInterfaceInStream(iid, object, &stream_);
}

HRESULT HandedBack::take(REFIID iid, void** out) {
    *out = nullptr;
    return stream_ ? CoGetInterfaceAndReleaseStream(std::exchange(stream_, nullptr), iid, out) : S_FALSE;
}

} // namespace ondrik
