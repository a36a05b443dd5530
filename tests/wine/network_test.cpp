// URL download and name resolution against loopback peers that the test runner starts
// (tests/net/loopback_server.py); skipped, with a message, when they are not there.
#include "dispatch_helpers.h"
#include "net_peers.h"

#include "global/global.h"

#include <atomic>
#include <gtest/gtest.h>
#include <map>

using namespace testing_ondrik;

namespace {

bool lowPorts() {
    char v[8] = {};
    return GetEnvironmentVariableA("ONDRIK_LOW_PORTS", v, 8) && v[0] == '1';
}

std::wstring url(const std::string& port, const wchar_t* path) {
    return L"http://127.0.0.1:" + std::wstring(port.begin(), port.end()) + path;
}

class Network : public testing::Test {
protected:
    void SetUp() override {
        state = netPeers();
        if (state.empty()) GTEST_SKIP() << "the loopback peers are not running (tests/net/peers.sh)";
        global = ondrik::Global::create(ondrik::ProcessState::make());
    }
    void get(const std::wstring& u, bool bytes, BSTR* header, ondrik::Variant& out) {
        Bstr b(u.c_str());
        ASSERT_EQ(global->GetURL(b.get(), bytes ? VARIANT_TRUE : VARIANT_FALSE, header, out.get()), S_OK);
    }
    std::wstring resolve(const wchar_t* host) {
        ondrik::Variant v = owned(str(host));
        Bstr out;
        EXPECT_EQ(global->RisolviIndirizzo(*v.get(), out.put()), S_OK);
        return out.get() ? out.get() : L"";
    }
    int accepts(const std::string& address, int port) {
        return std::stoi(netPeers()["ACCEPTS_" + address + "_" + std::to_string(port)]);
    }
    // The peer counts a connection once it has accepted it, which can be a little after
    // the client saw it connected: the count once it reaches atLeast (or after 5 s).
    int acceptsReaching(const std::string& address, int port, int atLeast) {
        int n = accepts(address, port);
        for (int i = 0; i < 100 && n < atLeast; ++i) {
            Sleep(50);
            n = accepts(address, port);
        }
        return n;
    }
    std::map<std::string, std::string> state;
    ComPtr<ondrik::Global> global;
};

} // namespace

TEST_F(Network, DownloadsTextAndBytesWithTheirHeadersWhenAsked) {
    ondrik::Variant text, bytes;
    get(url(state["HTTP_PORT"], L"/text"), false, nullptr, text);
    ASSERT_EQ(V_VT(text.get()), VT_BSTR);
    EXPECT_STREQ(V_BSTR(text.get()), L"Ciao dal server di prova");

    Bstr header(L"");
    BSTR* slot = header.put(); // an empty Header: the caller wants the headers
    *slot = SysAllocString(L"");
    get(url(state["HTTP_PORT"], L"/bytes"), true, slot, bytes);
    ASSERT_EQ(V_VT(bytes.get()), VT_ARRAY | VT_UI1);
    SAFEARRAY* a = V_ARRAY(bytes.get());
    EXPECT_EQ(a->rgsabound[0].cElements, 256u);
    EXPECT_EQ(static_cast<unsigned char*>(a->pvData)[255], 255);
    // An empty Header receives the headers.
    ASSERT_NE(header.get(), nullptr);
    EXPECT_NE(std::wstring(header.get()).find(L"X-Ondrik-Test: si"), std::wstring::npos);

    BSTR keep = SysAllocString(L"NoHeader");
    ondrik::Variant third, fourth;
    get(url(state["HTTP_PORT"], L"/text"), false, &keep, third);
    EXPECT_STREQ(keep, L"NoHeader"); // exactly "NoHeader": no header read
    SysFreeString(keep);
    BSTR low = SysAllocString(L"noheader");
    get(url(state["HTTP_PORT"], L"/text"), false, &low, fourth);
    EXPECT_NE(std::wstring(low).find(L"200"), std::wstring::npos); // the comparison heeds case
    SysFreeString(low);
}

TEST_F(Network, AMissingPageComesWithItsStatusAndAFailedTransferIsEmpty) {
    BSTR header = SysAllocString(L"");
    ondrik::Variant missing, refused;
    get(url(state["HTTP_PORT"], L"/missing"), false, &header, missing);
    EXPECT_NE(std::wstring(header).find(L"404"), std::wstring::npos);
    SysFreeString(header);
    get(url(state["REFUSED_PORT"], L"/text"), false, nullptr, refused);
    EXPECT_EQ(V_VT(refused.get()), VT_EMPTY);
    ondrik::Variant bad;
    get(L"http://", false, nullptr, bad);
    EXPECT_EQ(V_VT(bad.get()), VT_EMPTY);
}

TEST_F(Network, ResolutionTriesPort7400First) {
    int before = accepts("127.0.0.3", 7400);
    EXPECT_EQ(resolve(L"127.0.0.3"), L"127.0.0.3");
    EXPECT_EQ(acceptsReaching("127.0.0.3", 7400, before + 1), before + 1);
    if (!lowPorts()) GTEST_SKIP() << "ports 23 and 80 need root: their order is not checked";
    EXPECT_EQ(accepts("127.0.0.3", 23), 0);
    EXPECT_EQ(accepts("127.0.0.3", 80), 0);
}

TEST_F(Network, ResolutionFallsBackTo23ThenTo80) {
    if (!lowPorts()) GTEST_SKIP() << "ports 23 and 80 need root";
    int telnet = accepts("127.0.0.4", 23), web = accepts("127.0.0.4", 80);
    EXPECT_EQ(resolve(L"127.0.0.4"), L"127.0.0.4");
    EXPECT_EQ(acceptsReaching("127.0.0.4", 23, telnet + 1), telnet + 1);
    EXPECT_EQ(accepts("127.0.0.4", 80), web);
    web = accepts("127.0.0.5", 80);
    EXPECT_EQ(resolve(L"127.0.0.5"), L"127.0.0.5");
    EXPECT_EQ(acceptsReaching("127.0.0.5", 80, web + 1), web + 1);
}

TEST_F(Network, WhatNothingAnswersComesBackAsGiven) {
    EXPECT_EQ(resolve(L"127.0.0.9"), L"127.0.0.9");
    // (A name that no resolver knows is not tried: asking would send a query to the
    // machine's name server, off the loopback range these tests keep to.)
    EXPECT_EQ(resolve(L""), L"");
    VARIANT yes = vbool(true); // not text: given back converted to text
    Bstr out;
    EXPECT_EQ(global->RisolviIndirizzo(yes, out.put()), S_OK);
    EXPECT_STREQ(out.get(), L"True");
}

namespace {

struct Resolution {
    const wchar_t* host;
    std::wstring answer;
    std::atomic<long>* order;
    long finished = 0;
};

DWORD WINAPI resolveRemotely(void* p) {
    auto* r = static_cast<Resolution*>(p);
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    {
        ComPtr<_Global> g;
        if (SUCCEEDED(
                CoCreateInstance(CLSID_Global, nullptr, CLSCTX_LOCAL_SERVER, IID__Global, g.putVoid()))) {
            ondrik::Variant host = owned(str(r->host));
            Bstr out;
            if (SUCCEEDED(g->RisolviIndirizzo(*host.get(), out.put())))
                r->answer = out.get() ? out.get() : L"";
        }
    }
    r->finished = ++*r->order;
    CoUninitialize();
    return 0;
}

} // namespace

TEST_F(Network, TwoClientsResolvingAtOnceEachGetTheirOwnAnswer) {
    // The first waits on a listener that never completes a connection; the second, started
    // during that wait, is served meanwhile and ends first. The server is running before
    // either starts: started by the first client, under emulation it could take longer than
    // the second's head start, and the two activations would race instead of the two calls.
    ComPtr<_Global> running;
    ASSERT_EQ(CoCreateInstance(CLSID_Global, nullptr, CLSCTX_LOCAL_SERVER, IID__Global, running.putVoid()), S_OK);
    std::atomic<long> order{0};
    Resolution slow{L"127.0.0.6", L"", &order}, quick{L"127.0.0.7", L"", &order};
    HANDLE a = CreateThread(nullptr, 0, &resolveRemotely, &slow, 0, nullptr);
    Sleep(1500);
    HANDLE b = CreateThread(nullptr, 0, &resolveRemotely, &quick, 0, nullptr);
    WaitForSingleObject(b, 60000);
    WaitForSingleObject(a, 60000);
    CloseHandle(a);
    CloseHandle(b);
    EXPECT_EQ(quick.answer, L"127.0.0.7");
    EXPECT_EQ(slow.answer, L"127.0.0.6"); // no port connected: the input comes back
    EXPECT_EQ(quick.finished, 1);
    EXPECT_EQ(slow.finished, 2);
}
