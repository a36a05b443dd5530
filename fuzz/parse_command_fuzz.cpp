// libFuzzer target for the command-line rules. The input is read as UTF-16 text in
// fields separated by U+0001: the command line, the delimiter, then the switches (a field
// U+0002 stands for a switch without a text form). The checks: nothing crashes, the
// unkeyed items stand before all keyed ones, every key is one of the switches as written,
// the result is the one the rules give when followed word for word, and the items go
// into the collection (the keyed list, as ParseCommand fills it) with every add
// succeeding, each at its place and each key leading back to its own item.
#include "lists/keyed_list.h"
#include "fuzz_support.h"
#include "literal_parser.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

using fuzzing::check;
using ondrik::cmdline::ParsedItem;
using ondrik::cmdline::SwitchList;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::u16string> fields = fuzzing::fields(fuzzing::utf16(data, size));
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
    // The collection: the items appended in order, keyed by the switch as written.
    ondrik::KeyedList<size_t> collection(ondrik::text::foldCase);
    for (size_t i = 0; i < items.size(); ++i) {
        std::optional<std::u16string_view> key;
        if (items[i].key) key = *switches[*items[i].key];
        check(collection.add(i, key), "every item goes into the collection");
    }
    check(collection.size() == items.size(), "the collection's count");
    for (size_t i = 0; i < items.size(); ++i) {
        check(*collection.at(int64_t(i + 1)) == i, "the item at each position");
        if (!items[i].key) continue;
        const std::u16string& name = *switches[*items[i].key];
        check(collection.positionOf(name) == i + 1, "each switch leads to its own item");
        check(collection.positionOf(ondrik::text::foldCase(name)) == i + 1, "in any case");
    }
    // The word-for-word reference is quadratic: keep its inputs small.
    if (line.size() < 4096)
        check(items == fuzzing::literalParse(line, delimiter, switches), "the literal rules");
    return 0;
}
