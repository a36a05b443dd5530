// A client's application object in a thread of its own, so that the server reads it
// through a proxy as it reads a client's object in another process. The thread stays
// alive but answers nothing until told: a client that hangs.
#pragma once

#include "automation/com_ptr.h"
#include "fake_app.h"

#include <windows.h>

class ThreadedApp {
public:
    // The object answers as filled in by fill, once the thread answers.
    template <class Fill> explicit ThreadedApp(Fill fill) {
        fill(app_);
        ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        answer_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        quit_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        thread_ = CreateThread(nullptr, 0, &ThreadedApp::run, this, 0, nullptr);
        WaitForSingleObject(ready_, 10000);
        if (stream_) CoGetInterfaceAndReleaseStream(stream_, IID_IDispatch, proxy_.putVoid());
    }
    ~ThreadedApp() {
        proxy_.reset();
        SetEvent(answer_);
        SetEvent(quit_);
        WaitForSingleObject(thread_, 30000);
        for (HANDLE h : {thread_, ready_, answer_, quit_}) CloseHandle(h);
    }
    IDispatch* proxy() const { return proxy_.get(); }
    const FakeApp& app() const { return app_; }
    // Lets go of the proxy: then only references marshalled elsewhere and never released
    // still hold the object.
    void releaseProxy() { proxy_.reset(); }
    // From now on the thread dispatches the calls waiting for it, and answers new ones.
    void startAnswering() { SetEvent(answer_); }

private:
    static DWORD WINAPI run(void* p) {
        auto* self = static_cast<ThreadedApp*>(p);
        CoInitialize(nullptr);
        CoMarshalInterThreadInterfaceInStream(IID_IDispatch, &self->app_, &self->stream_);
        SetEvent(self->ready_);
        WaitForSingleObject(self->answer_, INFINITE); // no messages: calls in wait here
        while (MsgWaitForMultipleObjects(1, &self->quit_, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        }
        CoUninitialize();
        return 0;
    }
    FakeApp app_;
    IStream* stream_ = nullptr;
    ondrik::ComPtr<IDispatch> proxy_;
    HANDLE ready_, answer_, quit_, thread_;
};
