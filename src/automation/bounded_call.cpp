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

// The object marshalled for the calling thread, owned until that thread takes it back.
// Marshalled data that is never taken back (the call could not be handed over) holds a
// reference to the object for good, and in the object's process its stub, unless it is
// released: so the owner releases it whatever leaves it untaken, an exception too.
class HandedOver {
public:
    HandedOver() = default;
    HandedOver(const HandedOver&) = delete;
    HandedOver& operator=(const HandedOver&) = delete;
    ~HandedOver() {
        if (!stream_) return;
        CoReleaseMarshalData(stream_); // the stream stands at the start of the marshalled data
        stream_->Release();
    }

    HRESULT marshal(IDispatch* object) {
        return CoMarshalInterThreadInterfaceInStream(IID_IDispatch, object, &stream_);
    }
    // On the calling thread, once: the object in its apartment, or empty.
    ComPtr<IDispatch> take() {
        ComPtr<IDispatch> object;
        if (stream_) CoGetInterfaceAndReleaseStream(std::exchange(stream_, nullptr), IID_IDispatch, object.putVoid());
        return object;
    }

private:
    IStream* stream_ = nullptr;
};

// What the waiting thread and the calling thread share; whichever lets go last frees it.
// Counted while it lives: it holds the client's object, marshalled or in use.
struct Call {
    std::function<void(IDispatch*)> work;
    HandedOver object;
    std::atomic<bool> ended{false};
    std::atomic<HWND> told{nullptr}; // told when the call ends, if it was given up
    keptAlive::Counted<keptAlive::Kind::handOver> counted;
};

// Runs on a worker of the multithreaded apartment.
void runCall(const std::shared_ptr<Call>& call) {
    if (ComPtr<IDispatch> object = call->object.take()) {
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
    ComPtr<IDispatch> object;
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

HRESULT callWithin(IDispatch* object, DWORD limitMs, std::function<void(IDispatch*)> work) {
    auto call = std::make_shared<Call>();
    call->work = std::move(work);
    RETURN_IF_FAILED(call->object.marshal(object));
    // Not handed over (no thread, or an exception): the call's owner releases the object.
    HRESULT hr = runServing([call] { runCall(call); }, limitMs);
    if (hr == RPC_E_TIMEOUT) {
        givenUp.push_back({call, ComPtr<IDispatch>(object)});
        call->told = endsWindow();
        // The call may have ended before it could see whom to tell.
        releaseEnded();
    }
    return hr;
}

} // namespace ondrik
