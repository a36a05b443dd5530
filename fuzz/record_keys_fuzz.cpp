// libFuzzer target for the record keys: a session's "K" + ID and an application's
// EXEName "|" hInstance "|" ThreadID. The input gives three 32-bit values and an
// executable name as UTF-16 text. The checks: decimal() is std::to_string for the
// values and a run of their neighbours; each key reads back to exactly its parts (the
// executable name may itself hold "|"), so two records with different parts never
// share a key.
#include "applications/application_key.h"
#include "automation/decimal.h"
#include "fuzz_support.h"
#include "sessions/session_key.h"

#include <charconv>
#include <climits>
#include <optional>

using namespace ondrik;
using fuzzing::check;

namespace {

std::u16string widen(const std::string& s) {
    return std::u16string(s.begin(), s.end());
}

// A decimal as decimal() writes it, read back; nothing when the text is not one (a
// sign without digits, a leading zero, "-0", a "+", any other character, out of range).
std::optional<int32_t> readDecimal(std::u16string_view s) {
    std::string ascii;
    for (char16_t c : s) {
        if (c > 0x7F) return std::nullopt;
        ascii += char(c);
    }
    size_t digits = ascii.size() - (!ascii.empty() && ascii[0] == '-');
    if (digits == 0 || (ascii[ascii.size() - digits] == '0' && (digits > 1 || ascii[0] == '-')))
        return std::nullopt;
    int32_t value = 0;
    auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (error != std::errc() || end != ascii.data() + ascii.size()) return std::nullopt;
    return value;
}

void checkDecimal(int32_t v) {
    const std::u16string d = decimal(v);
    check(d == widen(std::to_string(v)), "decimal() is std::to_string");
    check(d.size() <= 11, "at most a sign and ten digits");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint8_t head[12] = {};
    if (size) std::memcpy(head, data, size < 12 ? size : 12);
    auto value = [&](int i) {
        uint32_t u = 0;
        for (int b = 3; b >= 0; --b) u = u << 8 | head[4 * i + b];
        return int32_t(u);
    };
    const int32_t id = value(0), hInstance = value(1), threadId = value(2);
    const std::u16string exeName = size > 12 ? fuzzing::utf16(data + 12, size - 12) : u"";

    // Each value and the 64 that follow it (wrapping at the top): carries across
    // every digit boundary come up often.
    for (int64_t v = id; v < int64_t(id) + 64; ++v)
        checkDecimal(int32_t(v > INT32_MAX ? v - (1LL << 32) : v));
    checkDecimal(hInstance);
    checkDecimal(threadId);

    const std::u16string session = sessionKey(id);
    check(session.size() >= 2 && session[0] == u'K', "a session key starts with K");
    check(readDecimal(std::u16string_view(session).substr(1)) == id, "a session key reads back to its ID");
    check((sessionKey(hInstance) == session) == (hInstance == id), "session keys differ exactly when IDs do");

    const std::u16string key = applicationKey(exeName, hInstance, threadId);
    const size_t second = key.rfind(u'|');
    check(second != std::u16string::npos && second > 0, "an application key has two bars");
    const size_t first = key.rfind(u'|', second - 1);
    check(first != std::u16string::npos, "an application key has two bars");
    check(std::u16string_view(key).substr(0, first) == exeName, "the key begins with EXEName as it is");
    check(readDecimal(std::u16string_view(key).substr(first + 1, second - first - 1)) == hInstance,
          "the key's hInstance reads back");
    check(readDecimal(std::u16string_view(key).substr(second + 1)) == threadId,
          "the key's ThreadID reads back");
    check(key.size() == exeName.size() + 2 + decimal(hInstance).size() + decimal(threadId).size(),
          "nothing else in the key");
    return 0;
}
