// The token and switch rules of ParseCommand, without the platform: the command line is
// cut at every occurrence of the delimiter, the words before the first recognised switch
// become unkeyed items, and every switch becomes an item keyed by its name whose value
// is the text that followed it. The result is the collection's final content, item by
// item, as the step-by-step rules (including the remove-and-add that moves a switch's
// item to the end each time a word joins its value) would leave it, at a cost linear in
// the length of the line.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ondrik::cmdline {

// Calls f(token) for each piece of line between occurrences of the whole delimiter
// (case-sensitive), empty pieces included. An empty delimiter leaves the line whole.
template <class F> void forEachToken(std::u16string_view line, std::u16string_view delimiter, F&& f) {
    if (delimiter.empty()) {
        f(line);
        return;
    }
    size_t start = 0;
    for (size_t next; (next = line.find(delimiter, start)) != std::u16string_view::npos;
         start = next + delimiter.size())
        f(line.substr(start, next - start));
    f(line.substr(start));
}

// The pieces as a list.
std::vector<std::u16string_view> splitTokens(std::u16string_view line, std::u16string_view delimiter);

// One item of the result.
struct ParsedItem {
    std::u16string text;             // the value, unless flagValue says otherwise
    std::optional<size_t> flagValue; // the value is the caller's switch at this index, as passed
    std::optional<size_t> key;       // keyed by the switch at this index, as the caller wrote it

    bool operator==(const ParsedItem&) const = default;
};

// The caller's switches in order: the text of each one, or nullopt for a switch that has
// no text form (it is never recognised). An empty switch is never recognised either.
using SwitchList = std::vector<std::optional<std::u16string>>;

// The items, in order; none for an empty line. Switches are recognised without regard to
// case (text::equalIgnoreCase), the first in list order winning; keys compare as the
// collection compares them (text::foldCase).
std::vector<ParsedItem> parseCommand(std::u16string_view line, std::u16string_view delimiter,
                                     const SwitchList& switches);

} // namespace ondrik::cmdline
