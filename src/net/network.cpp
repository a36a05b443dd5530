#include "net/form_ctrl.h" // first: Winsock's header must come before windows.h
#include "net/network.h"

#include "automation/bstr.h"
#include "automation/variant.h"
#include "automation/serving_wait.h"

namespace ondrik::network {
namespace {

bool wantsHeader(BSTR* header) {
    return header && viewOf(*header) != u"NoHeader";
}

void store(const std::string& body, bool byteArray, VARIANT* result) {
    if (byteArray) {
        SAFEARRAY* bytes = SafeArrayCreateVector(VT_UI1, 0, ULONG(body.size()));
        if (!bytes) return;
        void* data = nullptr;
        if (SUCCEEDED(SafeArrayAccessData(bytes, &data))) {
            memcpy(data, body.data(), body.size());
            SafeArrayUnaccessData(bytes);
        }
        V_VT(result) = VT_ARRAY | VT_UI1;
        V_ARRAY(result) = bytes;
        return;
    }
    // Text comes in the system's ANSI code page, as the transfer control hands it over.
    int n = MultiByteToWideChar(CP_ACP, 0, body.data(), int(body.size()), nullptr, 0);
    BSTR text = SysAllocStringLen(nullptr, UINT(n));
    if (!text) return;
    MultiByteToWideChar(CP_ACP, 0, body.data(), int(body.size()), text, n);
    V_VT(result) = VT_BSTR;
    V_BSTR(result) = text;
}

} // namespace

void getUrl(const std::wstring& url, bool byteArray, BSTR* header, VARIANT* result) {
    VariantInit(result);
    FormCtrl form;
    Transfer& transfer = form.inetTransfer();
    std::string body;
    if (transfer.openUrl(url, body)) store(body, byteArray, result);
    std::wstring text;
    if (wantsHeader(header) && transfer.header(text)) {
        BSTR fresh = SysAllocStringLen(text.c_str(), UINT(text.size()));
        if (fresh) {
            SysFreeString(*header);
            *header = fresh;
        }
    }
}

std::wstring risolviIndirizzo(const VARIANT& host) {
    std::wstring result;
    Variant asText;
    // As the runtime writes a value as text: a Boolean as "True" or "False".
    if (SUCCEEDED(VariantChangeType(asText.get(), const_cast<VARIANT*>(&host), VARIANT_ALPHABOOL, VT_BSTR)))
        result.assign(V_BSTR(asText.get()), SysStringLen(V_BSTR(asText.get())));
    const std::wstring name = result;
    FormCtrl form;
    SocketConnector* wsck = form.wsck();
    if (!wsck) return result;
    for (unsigned short port : {7400, 23, 80}) {
        wsck->connect(name, port);
        // Other clients' calls are served while the attempt waits; its outcome arrives as a
        // message to the call's own FormCtrl.
        serveUntil(
            [wsck] {
                return wsck->state() == SocketConnector::kConnected ||
                       wsck->state() == SocketConnector::kError;
            },
            kAttemptLimitMs);
        if (wsck->state() == SocketConnector::kConnected) break;
        wsck->close(); // a new attempt starts from a closed socket
    }
    if (wsck->state() == SocketConnector::kConnected) {
        result = wsck->remoteHostIp();
        wsck->close();
    }
    return result;
}

} // namespace ondrik::network
