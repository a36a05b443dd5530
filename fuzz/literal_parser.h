// The command-line rules followed word for word, as a slow reference for the fuzz
// target: a plain list of items in which a switch's item is really taken out and added
// again at the end each time a word joins its value.
#pragma once

#include "automation/text_fold.h"
#include "cmdline/command_parser.h"

#include <optional>
#include <string>
#include <vector>

namespace fuzzing {

using ondrik::cmdline::ParsedItem;
using ondrik::cmdline::SwitchList;

inline std::vector<ParsedItem> literalParse(std::u16string_view line, std::u16string_view delimiter,
                                            const SwitchList& switches) {
    using namespace ondrik;
    std::vector<ParsedItem> result;
    if (line.empty()) return result;
    auto text = [&](const ParsedItem& i) { return i.flagValue ? *switches[*i.flagValue] : i.text; };
    auto keyIndex = [&](const std::u16string& key) -> std::optional<size_t> {
        for (size_t i = 0; i < result.size(); ++i)
            if (result[i].key && text::foldCase(*switches[*result[i].key]) == text::foldCase(key)) return i;
        return std::nullopt;
    };
    std::u16string current;
    for (std::u16string_view s : cmdline::splitTokens(line, delimiter)) {
        std::optional<size_t> matched;
        for (size_t j = 0; j < switches.size() && !matched; ++j)
            if (switches[j] && !switches[j]->empty() && text::equalIgnoreCase(s, *switches[j])) matched = j;
        if (matched) {
            current = *switches[*matched];
            if (!keyIndex(current)) result.push_back(ParsedItem{{}, matched, matched});
            continue;
        }
        if (current.empty()) {
            result.push_back(ParsedItem{std::u16string(s), std::nullopt, std::nullopt});
            continue;
        }
        size_t at = *keyIndex(current);
        std::u16string v = text(result[at]);
        std::u16string value(s);
        if (!text::equalIgnoreCase(v, current)) {
            value = v + u" " + value;
            size_t end = value.find_last_not_of(u' ');
            value = end == std::u16string::npos ? u"" : value.substr(0, end + 1);
            value = value.substr(std::min(value.size(), value.find_first_not_of(u' ')));
        }
        std::optional<size_t> key = result[at].key;
        result.erase(result.begin() + long(at));
        result.push_back(ParsedItem{value, std::nullopt, key});
    }
    return result;
}

} // namespace fuzzing
