#include "cmdline/command_parser.h"

#include "automation/text_fold.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

namespace ondrik::cmdline {
namespace {

// Removes leading and trailing U+0020 only; tabs and other blanks stay.
void trimSpaces(std::u16string& s) {
    size_t end = s.find_last_not_of(u' ');
    if (end == std::u16string::npos) {
        s.clear();
        return;
    }
    s.erase(end + 1);
    size_t begin = s.find_first_not_of(u' ');
    if (begin > 0) s.erase(0, begin);
}

// A keyed item while the line is read. stamp orders the keyed items: an item moves to
// the end of the collection each time it is taken out and added again.
struct Keyed {
    ParsedItem item;
    uint64_t stamp;
};

class Parser {
public:
    explicit Parser(const SwitchList& switches) : switches_(switches), folded_(switches.size()) {
        for (size_t j = 0; j < switches.size(); ++j)
            if (recognisable(j)) folded_[j] = text::foldCase(*switches[j]);
    }

    void take(std::u16string_view s) {
        if (std::optional<size_t> j = match(s)) {
            // A switch: a new item valued and keyed by the switch itself. When its key is
            // already present (the switch occurs again) the add fails and the item that is
            // there keeps its value and place; the switch becomes current either way.
            current_ = j;
            auto [at, added] = byKey_.try_emplace(folded_[*j], keyed_.size());
            if (added) keyed_.push_back({ParsedItem{{}, j, j}, clock_++});
            currentEntry_ = at->second; // the item under the current switch's key
            return;
        }
        if (!current_) {
            unkeyed_.push_back(ParsedItem{std::u16string(s), std::nullopt, std::nullopt});
            return;
        }
        // A word after a switch: it joins the switch's value, or replaces the switch's own
        // name standing as the value; then the item is removed and added at the end.
        Keyed& entry = keyed_[currentEntry_];
        ParsedItem& item = entry.item;
        std::u16string_view value = item.flagValue ? std::u16string_view(*switches_[*item.flagValue])
                                                   : std::u16string_view(item.text);
        if (text::equalIgnoreCase(value, *switches_[*current_])) {
            item.text.assign(s);
        } else {
            if (item.flagValue) item.text = *switches_[*item.flagValue];
            item.text += u' ';
            item.text += s;
            trimSpaces(item.text);
        }
        item.flagValue.reset();
        entry.stamp = clock_++;
    }

    std::vector<ParsedItem> result() {
        std::sort(keyed_.begin(), keyed_.end(),
                  [](const Keyed& a, const Keyed& b) { return a.stamp < b.stamp; });
        std::vector<ParsedItem> out = std::move(unkeyed_);
        out.reserve(out.size() + keyed_.size());
        for (auto& k : keyed_) out.push_back(std::move(k.item));
        return out;
    }

private:
    bool recognisable(size_t j) const { return switches_[j] && !switches_[j]->empty(); }

    // The first switch, in the caller's order, equal to s without regard to case.
    std::optional<size_t> match(std::u16string_view s) const {
        for (size_t j = 0; j < switches_.size(); ++j)
            if (recognisable(j) && text::equalIgnoreCase(s, *switches_[j])) return j;
        return std::nullopt;
    }

    const SwitchList& switches_;
    std::vector<std::u16string> folded_; // the collection key of each switch
    std::vector<ParsedItem> unkeyed_;
    std::vector<Keyed> keyed_;
    std::unordered_map<std::u16string, size_t> byKey_; // folded key -> index in keyed_
    std::optional<size_t> current_;
    size_t currentEntry_ = 0;
    uint64_t clock_ = 0;
};

} // namespace

std::vector<std::u16string_view> splitTokens(std::u16string_view line, std::u16string_view delimiter) {
    std::vector<std::u16string_view> tokens;
    forEachToken(line, delimiter, [&](std::u16string_view token) { tokens.push_back(token); });
    return tokens;
}

std::vector<ParsedItem> parseCommand(std::u16string_view line, std::u16string_view delimiter,
                                     const SwitchList& switches) {
    if (line.empty()) return {};
    Parser parser(switches);
    forEachToken(line, delimiter, [&](std::u16string_view token) { parser.take(token); });
    return parser.result();
}

} // namespace ondrik::cmdline
