// libFuzzer target for the command-line rules. The input is read as UTF-16 text in
// fields separated by U+0001: the command line, the delimiter, then the switches (a field
// U+0002 stands for a switch without a text form). The checks: nothing crashes, the
// unkeyed items stand before all keyed ones, every key is one of the switches as written,
// and the result is the one the rules give when followed word for word.
#include "literal_parser.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

using ondrik::cmdline::ParsedItem;
using ondrik::cmdline::SwitchList;

namespace {

void check(bool ok, const char* what) {
    if (ok) return;
    __builtin_trap();
    (void)what;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string input(size / 2, u'\0');
    if (!input.empty()) std::memcpy(input.data(), data, input.size() * 2);
    std::vector<std::u16string> fields;
    size_t start = 0;
    for (;;) {
        size_t next = input.find(u'\x0001', start);
        fields.push_back(
            input.substr(start, next == std::u16string::npos ? std::u16string::npos : next - start));
        if (next == std::u16string::npos) break;
        start = next + 1;
    }
    std::u16string line = fields[0];
    std::u16string delimiter = fields.size() > 1 ? fields[1] : u" ";
    SwitchList switches;
    for (size_t i = 2; i < fields.size() && switches.size() < 64; ++i) {
        if (fields[i] == u"\x0002")
            switches.push_back(std::nullopt);
        else
            switches.push_back(fields[i]);
    }

    std::vector<ParsedItem> items = ondrik::cmdline::parseCommand(line, delimiter, switches);
    check(items.empty() == line.empty(), "an empty result exactly for an empty line");
    bool keyedSeen = false;
    for (const ParsedItem& item : items) {
        if (item.key) {
            keyedSeen = true;
            check(*item.key < switches.size() && switches[*item.key] && !switches[*item.key]->empty(),
                  "every key is one of the switches");
        } else {
            check(!keyedSeen, "unkeyed items before keyed ones");
        }
        if (item.flagValue) check(item.flagValue == item.key, "a placeholder value is its own switch");
    }
    // The word-for-word reference is quadratic: keep its inputs small.
    if (line.size() < 4096)
        check(items == fuzzing::literalParse(line, delimiter, switches), "the literal rules");
    return 0;
}
