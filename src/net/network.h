// GetURL and RisolviIndirizzo: each call makes its own FormCtrl and destroys it at its end.
#pragma once

#include <oaidl.h>
#include <string>

namespace ondrik::network {

// The resource at url: a String (text) or, with byteArray, a Byte array; Empty when the
// transfer fails. When header is given and does not hold exactly "NoHeader", it receives
// the response's header lines.
void getUrl(const std::wstring& url, bool byteArray, BSTR* header, VARIANT* result);

// The numeric address of the host, found by trial TCP connections to ports 7400, 23 and
// 80 in this order; the host as given, as text, when none connects.
std::wstring risolviIndirizzo(const VARIANT& host);

// How long each connection attempt may take before it counts as failed.
inline constexpr unsigned long kAttemptLimitMs = 5000;

} // namespace ondrik::network
