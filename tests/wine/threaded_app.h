// A client's object in a thread of its own, so that the server reaches it through a proxy
// as it reaches a client's object in another process. The thread stays alive but answers
// nothing until told: a client that hangs.
#pragma once

#include "automation/com_ptr.h"
#include "fake_app.h"

#include <windows.h>

#include <atomic>

// The thread that hosts one object; the object must outlive it.
class ClientThread {
public:
    ClientThread() = default;
    ClientThread(const ClientThread&) = delete;
    ClientThread& operator=(const ClientThread&) = delete;
    ~ClientThread() {
        if (!thread_) return;
        startAnswering(); // letting go of the proxy may be a call into the thread
        proxy_.reset();
        SetEvent(quit_);
        WaitForSingleObject(thread_, 30000);
        for (HANDLE h : {thread_, ready_, answer_, quit_}) CloseHandle(h);
    }
    // Marshals object, as the interface iid, from the new thread.
    void start(IUnknown* object, REFIID iid) {
        object_ = object;
        iid_ = iid;
        ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        answer_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        quit_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        thread_ = CreateThread(nullptr, 0, &ClientThread::run, this, 0, nullptr);
        WaitForSingleObject(ready_, 10000);
        if (stream_) CoGetInterfaceAndReleaseStream(stream_, iid, proxy_.putVoid());
    }
    // The proxy, as the interface it was marshalled as.
    template <class I = IUnknown> I* proxy() const { return static_cast<I*>(proxy_.get()); }
    // Lets go of the proxy: then only references marshalled elsewhere and never released
    // still hold the object.
    void releaseProxy() { proxy_.reset(); }
    // From now on the thread dispatches the calls waiting for it, and answers new ones.
    void startAnswering() {
        answering_ = true;
        SetEvent(answer_);
    }
    bool answering() const { return answering_; }

private:
    static DWORD WINAPI run(void* p) {
        auto* self = static_cast<ClientThread*>(p);
        CoInitialize(nullptr);
        CoMarshalInterThreadInterfaceInStream(self->iid_, self->object_, &self->stream_);
        SetEvent(self->ready_);
        WaitForSingleObject(self->answer_, INFINITE); // no messages: calls in wait here
        while (MsgWaitForMultipleObjects(1, &self->quit_, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        }
        CoUninitialize();
        return 0;
    }
    IUnknown* object_ = nullptr;
    IID iid_ = {};
    IStream* stream_ = nullptr;
    ondrik::ComPtr<IUnknown> proxy_;
    std::atomic<bool> answering_{false};
    HANDLE ready_ = nullptr, answer_ = nullptr, quit_ = nullptr, thread_ = nullptr;
};

// A client's application object so hosted.
class ThreadedApp {
public:
    // The object answers as filled in by fill, once the thread answers.
    template <class Fill> explicit ThreadedApp(Fill fill) {
        fill(app_);
        thread_.start(&app_, IID_IDispatch);
    }
    IDispatch* proxy() const { return thread_.proxy<IDispatch>(); }
    const FakeApp& app() const { return app_; }
    void releaseProxy() { thread_.releaseProxy(); }
    void startAnswering() { thread_.startAnswering(); }

private:
    FakeApp app_;
    ClientThread thread_; // ends before app_ goes
};
