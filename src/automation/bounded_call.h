// Calls into another process that the server's thread waits for only so long.
//
// A client that stays alive but never answers (hung, or stopped in a debugger) would hold
// for ever whatever call is waiting on it. So such a call runs on a worker thread of the
// multithreaded apartment (worker_call.h) while the server's thread serves the other
// clients. At the limit the server's thread goes on without it; the call ends on its
// worker whenever the client answers or its process goes away.
#pragma once

#include <windows.h>

#include <functional>
#include <oaidl.h>

namespace ondrik {

// Whether object is a proxy, that is lives in another apartment or process. A call into
// an object of the server's own apartment runs in the server's thread and needs no bound.
bool isProxy(IUnknown* object);

// Runs work with object (handed over to, and used on, a worker thread, as the interface
// iid, which object is) and waits for it at most limitMs, dispatching incoming calls
// meanwhile. Returns S_OK when work ended in time, RPC_E_TIMEOUT when it did not (or the
// server is ending), or the error met in handing object over or in starting the thread
// (work has not run then). After a time-out work runs on, so it must touch nothing but
// what it owns.
HRESULT callWithin(IUnknown* object, REFIID iid, DWORD limitMs, std::function<void(IUnknown*)> work);
inline HRESULT callWithin(IDispatch* object, DWORD limitMs, std::function<void(IDispatch*)> work) {
    return callWithin(object, IID_IDispatch, limitMs,
                      [work = std::move(work)](IUnknown* o) { work(static_cast<IDispatch*>(o)); });
}

// An interface pointer marshalled from one thread of the process to another: the object
// to a worker of callWithin, or what its work hands back to the waiting thread (an object
// of the receiving thread's own apartment comes back as itself). Marshalled data that is
// never taken holds a reference to the object for good, and in the object's process its
// stub: what is not taken is released with the last holder, on whichever thread that is,
// whatever left it untaken (a hand-off refused, an exception).
class HandedBack {
public:
    HandedBack() = default;
    HandedBack(const HandedBack&) = delete;
    HandedBack& operator=(const HandedBack&) = delete;
    ~HandedBack();
    // The giving thread: marshals object, as the interface iid (once; nothing for null).
    HRESULT give(REFIID iid, IUnknown* object);
    // The receiving thread, once: the object as the interface iid, or nothing.
    HRESULT take(REFIID iid, void** out);

private:
    IStream* stream_ = nullptr;
};

} // namespace ondrik
