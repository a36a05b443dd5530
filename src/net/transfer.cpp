#include "net/transfer.h"

#include "automation/worker_call.h"

#include <memory>
#include <vector>
#include <wininet.h>

namespace ondrik {
namespace {

struct HandleCloser {
    void operator()(HINTERNET h) const { InternetCloseHandle(h); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

void setTimeouts(HINTERNET h) {
    DWORD ms = Transfer::kTimeoutMs;
    for (DWORD option :
         {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
        InternetSetOptionW(h, option, &ms, sizeof(ms));
}

// An HTTP(S) request made step by step, so that the timeouts sit on the connection and
// request handles (WinINet ignores a receive timeout set only on the session).
bool openHttp(HINTERNET session, const std::wstring& url, Handle& connection, Handle& request) {
    URL_COMPONENTSW parts = {};
    parts.dwStructSize = sizeof(parts);
    wchar_t host[INTERNET_MAX_HOST_NAME_LENGTH] = {};
    std::vector<wchar_t> path(url.size() + 2);
    parts.lpszHostName = host;
    parts.dwHostNameLength = INTERNET_MAX_HOST_NAME_LENGTH;
    parts.lpszUrlPath = path.data();
    parts.dwUrlPathLength = DWORD(path.size());
    if (!InternetCrackUrlW(url.c_str(), DWORD(url.size()), 0, &parts)) return false;
    connection.reset(
        InternetConnectW(session, host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return false;
    setTimeouts(connection.get());
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI |
                  (parts.nScheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0);
    std::wstring object = parts.dwUrlPathLength ? std::wstring(path.data(), parts.dwUrlPathLength) : L"/";
    request.reset(
        HttpOpenRequestW(connection.get(), L"GET", object.c_str(), nullptr, nullptr, nullptr, flags, 0));
    if (!request) return false;
    setTimeouts(request.get());
    return HttpSendRequestW(request.get(), nullptr, 0, nullptr, 0);
}

bool isHttp(const std::wstring& url) {
    auto starts = [&](const wchar_t* scheme) { return _wcsnicmp(url.c_str(), scheme, wcslen(scheme)) == 0; };
    return starts(L"http://") || starts(L"https://");
}

// What one transfer brought: made on a worker thread, taken over by the caller.
struct Fetched {
    bool ok = false;
    std::string body;
    std::wstring headers;
    bool haveHeaders = false;
};

bool fetch(const std::wstring& url, Fetched& out) {
    Handle session(InternetOpenW(L"Ondrik", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) return false;
    setTimeouts(session.get());
    Handle connection, request; // released in reverse order
    if (isHttp(url)) {
        if (!openHttp(session.get(), url, connection, request)) return false;
    } else {
        request.reset(InternetOpenUrlW(session.get(), url.c_str(), nullptr, 0,
                                       INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_UI, 0));
        if (!request) return false;
    }

    DWORD size = 0;
    HttpQueryInfoW(request.get(), HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &size, nullptr);
    if (size) {
        std::vector<wchar_t> text(size / sizeof(wchar_t) + 1);
        if (HttpQueryInfoW(request.get(), HTTP_QUERY_RAW_HEADERS_CRLF, text.data(), &size, nullptr)) {
            out.headers.assign(text.data(), size / sizeof(wchar_t));
            out.haveHeaders = true;
        }
    }

    char chunk[16384];
    for (;;) {
        DWORD got = 0;
        if (!InternetReadFile(request.get(), chunk, sizeof(chunk), &got)) return false;
        if (got == 0) return true;
        out.body.append(chunk, got);
    }
}

} // namespace

bool Transfer::openUrl(const std::wstring& url, std::string& body) {
    haveHeaders_ = false;
    body.clear();
    // Resolving, connecting, sending and every receive block, each up to the time-out:
    // the transfer runs on a worker thread while the server serves other clients.
    auto fetched = std::make_shared<Fetched>();
    if (FAILED(runServing([url, fetched] { fetched->ok = fetch(url, *fetched); }))) return false;
    headers_ = std::move(fetched->headers);
    haveHeaders_ = fetched->haveHeaders;
    body = std::move(fetched->body);
    return fetched->ok;
}

bool Transfer::header(std::wstring& out) const {
    if (haveHeaders_) out = headers_;
    return haveHeaders_;
}

} // namespace ondrik
