// The transfer component: fetches a whole resource synchronously through WinINet, each
// transfer bounded in time, and keeps the headers of the last response. The transfer
// runs on a worker thread; the caller waits for it while the server serves other clients.
#pragma once

#include <string>
#include <windows.h>

namespace ondrik {

class Transfer {
public:
    // The transfer control's request timeout, which this component keeps: 60 seconds for
    // connecting, sending and each wait for data.
    static constexpr DWORD kTimeoutMs = 60000;

    // The body of the resource; false when the transfer fails.
    bool openUrl(const std::wstring& url, std::string& body);
    // All header lines of the last response; false when there is none.
    bool header(std::wstring& out) const;

private:
    std::wstring headers_;
    bool haveHeaders_ = false;
};

} // namespace ondrik
