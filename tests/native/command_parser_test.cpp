#include "cmdline/command_parser.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

using ondrik::cmdline::parseCommand;
using ondrik::cmdline::ParsedItem;
using ondrik::cmdline::splitTokens;
using ondrik::cmdline::SwitchList;

namespace {

// An item as a client reads it: its value as text and its key ("-" for none).
struct Seen {
    std::u16string value;
    std::u16string key;
    bool operator==(const Seen&) const = default;
};

void PrintTo(const Seen& s, std::ostream* os) {
    *os << "(" << std::string(s.value.begin(), s.value.end()) << ", "
        << std::string(s.key.begin(), s.key.end()) << ")";
}

std::vector<Seen> parse(std::u16string_view line, std::u16string_view delimiter, const SwitchList& switches) {
    std::vector<Seen> out;
    for (const ParsedItem& item : parseCommand(line, delimiter, switches)) {
        std::u16string value = item.flagValue ? *switches.at(*item.flagValue) : item.text;
        std::u16string key = item.key ? *switches.at(*item.key) : u"-";
        out.push_back({value, key});
    }
    return out;
}

const SwitchList kUDA = {u"/U", u"/D", u"/A"};

} // namespace

TEST(SplitTokens, CutsAtEveryWholeDelimiter) {
    using V = std::vector<std::u16string_view>;
    EXPECT_EQ(splitTokens(u"a b", u" "), (V{u"a", u"b"}));
    EXPECT_EQ(splitTokens(u" a  b ", u" "), (V{u"", u"a", u"", u"b", u""}));
    EXPECT_EQ(splitTokens(u"a--b-c", u"--"), (V{u"a", u"b-c"}));
    EXPECT_EQ(splitTokens(u"a---b", u"--"), (V{u"a", u"-b"}));
    EXPECT_EQ(splitTokens(u"a b", u""), (V{u"a b"}));
    EXPECT_EQ(splitTokens(u"aXbxc", u"x"), (V{u"aXb", u"c"})); // case-sensitive
    EXPECT_EQ(splitTokens(u"\"a b\" c", u" "), (V{u"\"a", u"b\"", u"c"}));
    EXPECT_EQ(splitTokens(u"ab", u"abc"), (V{u"ab"}));
}

TEST(ParseCommand, ExampleRows) {
    using S = std::vector<Seen>;
    EXPECT_TRUE(parseCommand(u"", u" ", kUDA).empty());
    EXPECT_EQ(parse(u"prog.exe data.txt", u" ", kUDA), (S{{u"prog.exe", u"-"}, {u"data.txt", u"-"}}));
    EXPECT_EQ(parse(u"/u mario /D archivio", u" ", kUDA), (S{{u"mario", u"/U"}, {u"archivio", u"/D"}}));
    EXPECT_EQ(parse(u"x /A", u" ", kUDA), (S{{u"x", u"-"}, {u"/A", u"/A"}}));
    EXPECT_EQ(parse(u"/U mario rossi", u" ", kUDA), (S{{u"mario rossi", u"/U"}}));
    EXPECT_EQ(parse(u"/U a /D b /U c", u" ", kUDA), (S{{u"b", u"/D"}, {u"a c", u"/U"}}));
    EXPECT_EQ(parse(u"a  b", u" ", kUDA), (S{{u"a", u"-"}, {u"", u"-"}, {u"b", u"-"}}));
    EXPECT_EQ(parse(u"/U  a  b", u" ", kUDA), (S{{u"a b", u"/U"}}));
    EXPECT_EQ(parse(u"/U, x", u",", {u"/U"}), (S{{u" x", u"/U"}}));
    EXPECT_EQ(parse(u"/U, x,y", u",", {u"/U"}), (S{{u"x y", u"/U"}}));
}

TEST(ParseCommand, EmptyLineGivesNothingWhateverTheOtherArguments) {
    EXPECT_TRUE(parseCommand(u"", u"", {}).empty());
    EXPECT_TRUE(parseCommand(u"", u",", {u""}).empty());
}

TEST(ParseCommand, WithoutSwitchesEveryTokenIsAnUnkeyedItem) {
    using S = std::vector<Seen>;
    EXPECT_EQ(parse(u" /U  x ", u" ", {}),
              (S{{u"", u"-"}, {u"/U", u"-"}, {u"", u"-"}, {u"x", u"-"}, {u"", u"-"}}));
    EXPECT_EQ(parse(u"a b", u"", kUDA), (S{{u"a b", u"-"}})); // empty delimiter: one token
    EXPECT_EQ(parse(u"/u", u"", kUDA), (S{{u"/U", u"/U"}}));
}

TEST(ParseCommand, SwitchesAreRecognisedInAnyCaseAndKeyedAsWritten) {
    using S = std::vector<Seen>;
    // The placeholder value is the switch itself, as the caller wrote it.
    std::vector<ParsedItem> items = parseCommand(u"/a", u" ", kUDA);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].flagValue, std::optional<size_t>(2));
    EXPECT_EQ(items[0].key, std::optional<size_t>(2));
    // Two switches differing only in case: the first in the caller's order wins.
    EXPECT_EQ(parse(u"/u x /U y", u" ", {u"/u", u"/U"}), (S{{u"x y", u"/u"}}));
    EXPECT_EQ(parse(u"-USER x", u" ", {u"-User"}), (S{{u"x", u"-User"}}));
    // Accented capitals fold too.
    EXPECT_EQ(parse(u"/\u00C0 x", u" ", {u"/\u00E0"}), (S{{u"x", u"/\u00E0"}}));
}

TEST(ParseCommand, ValuesOfASwitch) {
    using S = std::vector<Seen>;
    // No token after the switch: its own name stays as its value; one empty token: "".
    EXPECT_EQ(parse(u"/U", u" ", kUDA), (S{{u"/U", u"/U"}}));
    EXPECT_EQ(parse(u"/U ", u" ", kUDA), (S{{u"", u"/U"}}));
    // Words are joined by one space whatever the delimiter; only U+0020 is trimmed.
    EXPECT_EQ(parse(u"/U;a;b;c", u";", kUDA), (S{{u"a b c", u"/U"}}));
    EXPECT_EQ(parse(u"/U;\ta ;b\t", u";", kUDA), (S{{u"\ta  b\t", u"/U"}}));
    EXPECT_EQ(parse(u"/U;  ;b", u";", kUDA), (S{{u"b", u"/U"}}));
    EXPECT_EQ(parse(u"/U;a;  ", u";", kUDA), (S{{u"a", u"/U"}}));
    EXPECT_EQ(parse(u"/U; a ", u";", kUDA), (S{{u" a ", u"/U"}})); // the first value: untrimmed
    // A token equal to a switch is never a value.
    EXPECT_EQ(parse(u"/U /u", u" ", kUDA), (S{{u"/U", u"/U"}}));
}

TEST(ParseCommand, RepeatedSwitchKeepsItsPlaceUntilAWordJoinsIt) {
    using S = std::vector<Seen>;
    EXPECT_EQ(parse(u"/U a /D b /U", u" ", kUDA), (S{{u"a", u"/U"}, {u"b", u"/D"}}));
    EXPECT_EQ(parse(u"/U /D /U", u" ", kUDA), (S{{u"/U", u"/U"}, {u"/D", u"/D"}}));
    EXPECT_EQ(parse(u"/U /D /U x", u" ", kUDA), (S{{u"/D", u"/D"}, {u"x", u"/U"}}));
    EXPECT_EQ(parse(u"/D d /A /U u /D e", u" ", kUDA), (S{{u"/A", u"/A"}, {u"u", u"/U"}, {u"d e", u"/D"}}));
}

TEST(ParseCommand, UnkeyedItemsStandBeforeAllKeyedOnes) {
    using S = std::vector<Seen>;
    EXPECT_EQ(parse(u"prog /U u x y /D", u" ", kUDA),
              (S{{u"prog", u"-"}, {u"u x y", u"/U"}, {u"/D", u"/D"}}));
}

TEST(ParseCommand, AValueEqualToItsSwitchIsReplacedByTheNextWord) {
    using S = std::vector<Seen>;
    // The joined value "a b" compares equal to the switch "A B", so the next word
    // replaces it, as reading the value back and comparing it does.
    EXPECT_EQ(parse(u"A B,a,b,c", u",", {u"A B"}), (S{{u"c", u"A B"}}));
}

TEST(ParseCommand, EmptyOrTextlessSwitchesAreNeverRecognised) {
    using S = std::vector<Seen>;
    EXPECT_EQ(parse(u"a  /U b", u" ", {u"", u"/U"}), (S{{u"a", u"-"}, {u"", u"-"}, {u"b", u"/U"}}));
    SwitchList withHole = {std::nullopt, u"/D"};
    std::vector<ParsedItem> items = parseCommand(u"x /d y", u" ", withHole);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1].key, std::optional<size_t>(1));
    EXPECT_EQ(items[1].text, u"y");
}

TEST(ParseCommand, LongLinesStayWhole) {
    std::u16string line = u"/U";
    for (int i = 0; i < 40000; ++i) line += u" w";
    std::vector<ParsedItem> items = parseCommand(line, u" ", kUDA);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].text.size(), 40000u * 2 - 1);
}
