#include "automation/text_fold.h"

#include <gtest/gtest.h>
#include <string>

using namespace ondrik::text;

// The folded form is a key of its own: folding it again changes nothing, so a look-up
// by the folded form finds the item filed under the original.
TEST(TextFold, FoldingTwiceChangesNothingForAnyCodeUnit) {
    int changed = 0;
    for (unsigned c = 0; c <= 0xFFFF; ++c) {
        std::u16string once = foldCase(std::u16string(1, char16_t(c)));
        if (foldCase(once) != once || !equalIgnoreCase(once, std::u16string(1, char16_t(c)))) ++changed;
    }
    EXPECT_EQ(changed, 0);
}

TEST(TextFold, LettersWithoutAPairInTheirBlockFoldRight) {
    EXPECT_TRUE(equalIgnoreCase(u"\u0178", u"\u00FF"));  // Y with diaeresis and its small letter
    EXPECT_FALSE(equalIgnoreCase(u"\u0178", u"\u0179")); // not Z with acute
    EXPECT_EQ(foldCase(u"\u0138"), u"\u0138");           // the kra has no capital
    EXPECT_FALSE(equalIgnoreCase(u"\u0138", u"\u0139"));
    EXPECT_TRUE(equalIgnoreCase(u"\u0139\u017D\u0100", u"\u013A\u017E\u0101"));
    EXPECT_FALSE(equalIgnoreCase(u"\u0130", u"i"));
}
