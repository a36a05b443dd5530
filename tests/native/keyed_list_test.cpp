#include "automation/keyed_list.h"
#include "automation/text_fold.h"

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

// Random operations against a plain vector model: order, positions and keys agree.
TEST(KeyedList, AgreesWithASimpleModelUnderRandomOperations) {
    std::mt19937 rng(7);
    KeyedList<int> l(ondrik::text::foldCase);
    std::vector<std::pair<int, std::u16string>> model;
    for (int step = 0; step < 20000; ++step) {
        int op = int(rng() % 4);
        if (op <= 1 || model.empty()) {
            std::u16string key =
                u"K" + std::u16string(1, char16_t(u'a' + rng() % 26)) + char16_t(u'0' + rng() % 10);
            bool taken = false;
            for (auto& m : model) taken |= ondrik::text::foldCase(m.second) == ondrik::text::foldCase(key);
            size_t at = rng() % (model.size() + 1);
            EXPECT_EQ(l.insert(at, step, key), !taken);
            if (!taken) model.insert(model.begin() + long(at), {step, key});
        } else if (op == 2) {
            size_t at = rng() % model.size();
            EXPECT_TRUE(l.removeAt(long(at + 1)));
            model.erase(model.begin() + long(at));
        } else {
            size_t at = rng() % model.size();
            EXPECT_EQ(l.positionOf(model[at].second), at + 1);
            EXPECT_EQ(*l.at(long(at + 1)), model[at].first);
            EXPECT_TRUE(l.removeKey(model[at].second));
            model.erase(model.begin() + long(at));
        }
        ASSERT_EQ(l.size(), model.size());
    }
    std::vector<int> expected;
    for (auto& m : model) expected.push_back(m.first);
    EXPECT_EQ(items(l), expected);
}
