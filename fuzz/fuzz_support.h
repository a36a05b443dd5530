// Helpers shared by the fuzz targets: a check that names the broken invariant before
// stopping the run, and the reading of a fuzzer's bytes as UTF-16 text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace fuzzing {

// Stops the run (libFuzzer keeps the input as a crash) when an invariant does not hold.
inline void check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

// The bytes as UTF-16LE text; an odd last byte is ignored. Any code unit can come out,
// lone surrogates and U+0000 included.
inline std::u16string utf16(const uint8_t* data, size_t size) {
    std::u16string text(size / 2, u'\0');
    if (!text.empty()) std::memcpy(text.data(), data, text.size() * 2);
    return text;
}

// The text cut at every U+0001: at least one field.
inline std::vector<std::u16string> fields(std::u16string_view text) {
    std::vector<std::u16string> out;
    size_t start = 0;
    for (;;) {
        size_t next = text.find(u'\x0001', start);
        out.emplace_back(text.substr(start, next == std::u16string_view::npos ? text.npos : next - start));
        if (next == std::u16string_view::npos) return out;
        start = next + 1;
    }
}

inline size_t countOf(std::u16string_view s, char16_t c) {
    size_t n = 0;
    for (char16_t x : s) n += x == c;
    return n;
}

inline bool startsWith(std::u16string_view s, std::u16string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

inline bool endsWith(std::u16string_view s, std::u16string_view suffix) {
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

} // namespace fuzzing
