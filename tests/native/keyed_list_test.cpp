#include "lists/keyed_list.h"
#include "automation/text_fold.h"

#include <algorithm>
#include <unordered_set>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <string>
#include <vector>

using ondrik::KeyedList;

namespace {

std::vector<int> items(const KeyedList<int>& l) {
    return l.snapshot();
}

} // namespace

TEST(KeyedList, PositionsCountFromOneAndFollowInsertionOrder) {
    KeyedList<int> l(ondrik::text::foldCase);
    EXPECT_EQ(l.at(1), nullptr);
    l.add(10);
    l.add(20, u"b");
    l.add(30);
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(*l.at(1), 10);
    EXPECT_EQ(*l.at(3), 30);
    EXPECT_EQ(l.at(0), nullptr);
    EXPECT_EQ(l.at(4), nullptr);
    EXPECT_EQ(l.at(-1), nullptr);
}

TEST(KeyedList, KeysAreUniqueWithoutRegardToCase) {
    KeyedList<int> l(ondrik::text::foldCase);
    EXPECT_TRUE(l.add(1, u"K987"));
    EXPECT_FALSE(l.add(2, u"k987"));
    EXPECT_EQ(l.size(), 1u);
    ASSERT_NE(l.find(u"k987"), nullptr);
    EXPECT_EQ(*l.find(u"K987"), 1);
    EXPECT_EQ(l.find(u"K98"), nullptr);
    EXPECT_TRUE(l.add(3, u"")); // the empty key is a key like any other
    EXPECT_FALSE(l.add(4, u""));
    EXPECT_EQ(l.positionOf(u""), 2u);
}

TEST(KeyedList, RemovalClosesTheGapAndFreesTheKey) {
    KeyedList<int> l(ondrik::text::foldCase);
    for (int i = 1; i <= 5; ++i) l.add(i, std::u16string(u"k") + char16_t(u'0' + i));
    EXPECT_TRUE(l.removeAt(2));
    EXPECT_TRUE(l.removeKey(u"K4"));
    EXPECT_FALSE(l.removeKey(u"k4"));
    EXPECT_FALSE(l.removeAt(4));
    EXPECT_EQ(items(l), (std::vector<int>{1, 3, 5}));
    EXPECT_EQ(l.positionOf(u"k5"), 3u);
    EXPECT_TRUE(l.add(6, u"K2"));
    EXPECT_EQ(*l.at(4), 6);
}

TEST(KeyedList, InsertBeforeAnyPosition) {
    KeyedList<int> l(ondrik::text::foldCase);
    l.add(2);
    EXPECT_TRUE(l.insert(0, 1));
    EXPECT_TRUE(l.insert(2, 3));
    EXPECT_FALSE(l.insert(5, 9));
    EXPECT_EQ(items(l), (std::vector<int>{1, 2, 3}));
}

TEST(KeyedList, FindFirstStopsAtTheOldestMatch) {
    KeyedList<int> l(ondrik::text::foldCase);
    for (int i : {5, 8, 6, 8}) l.add(i);
    int* found = l.findFirst([](int v) { return v > 5; });
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found, l.at(2));
    EXPECT_EQ(l.findFirst([](int v) { return v > 100; }), nullptr);
}

// Random operations against a plain vector model: order, positions and keys agree, also
// once the list spans many chunks (inserts outweigh removals in the first half).
TEST(KeyedList, AgreesWithASimpleModelUnderRandomOperations) {
    std::mt19937 rng(7);
    KeyedList<int> l(ondrik::text::foldCase);
    std::vector<std::pair<int, std::u16string>> model;
    std::unordered_set<std::u16string> keys; // folded
    size_t largest = 0;
    for (int step = 0; step < 12000; ++step) {
        int op = int(rng() % (step < 8000 ? 6 : 4));
        if (op <= 1 || op >= 4 || model.empty()) {
            std::u16string key = u"K";
            for (int c = 0; c < 4; ++c) key += char16_t(u'a' + rng() % 26);
            bool taken = keys.count(ondrik::text::foldCase(key)) > 0;
            size_t at = rng() % (model.size() + 1);
            EXPECT_EQ(l.insert(at, step, key), !taken);
            if (!taken) {
                model.insert(model.begin() + long(at), {step, key});
                keys.insert(ondrik::text::foldCase(key));
            }
        } else if (op == 2) {
            size_t at = rng() % model.size();
            EXPECT_TRUE(l.removeAt(long(at + 1)));
            keys.erase(ondrik::text::foldCase(model[at].second));
            model.erase(model.begin() + long(at));
        } else {
            size_t at = rng() % model.size();
            EXPECT_EQ(l.positionOf(model[at].second), at + 1);
            EXPECT_EQ(*l.at(long(at + 1)), model[at].first);
            EXPECT_TRUE(l.removeKey(model[at].second));
            keys.erase(ondrik::text::foldCase(model[at].second));
            model.erase(model.begin() + long(at));
        }
        ASSERT_EQ(l.size(), model.size());
        largest = std::max(largest, model.size());
    }
    EXPECT_GT(largest, 3 * KeyedList<int>::kChunk);
    std::vector<int> expected;
    for (auto& m : model) expected.push_back(m.first);
    EXPECT_EQ(items(l), expected);
    for (size_t i = 0; i < model.size(); i += 7) EXPECT_EQ(*l.at(long(i + 1)), model[i].first);
    while (!model.empty()) { // emptying from the front removes every chunk in turn
        ASSERT_EQ(l.positionOf(model.front().second), 1u);
        ASSERT_TRUE(l.removeAt(1));
        model.erase(model.begin());
    }
    EXPECT_TRUE(l.empty());
    EXPECT_TRUE(l.add(1, u"again"));
}
