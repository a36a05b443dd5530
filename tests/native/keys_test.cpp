#include "applications/application_key.h"
#include "automation/text_fold.h"
#include "sessions/session_key.h"

#include <climits>
#include <gtest/gtest.h>

using namespace ondrik;

TEST(SessionKey, IsKFollowedByTheDecimalId) {
    EXPECT_EQ(sessionKey(987), u"K987");
    EXPECT_EQ(sessionKey(-5), u"K-5");
    EXPECT_EQ(sessionKey(0), u"K0");
    EXPECT_EQ(sessionKey(INT32_MAX), u"K2147483647");
    EXPECT_EQ(sessionKey(INT32_MIN), u"K-2147483648");
}

TEST(ApplicationKey, JoinsNameInstanceAndThreadAsTheyAre) {
    EXPECT_EQ(applicationKey(u"Demo", 512, 88), u"Demo|512|88");
    EXPECT_EQ(applicationKey(u"", 0, 0), u"|0|0");
    EXPECT_EQ(applicationKey(u"  a|b ", -4, 7), u"  a|b |-4|7");
}

TEST(TextFold, IgnoresCaseOfCasedLettersOnly) {
    EXPECT_TRUE(text::equalIgnoreCase(u"Kàb", u"kÀB"));
    EXPECT_FALSE(text::equalIgnoreCase(u"K1", u"K1 "));
    EXPECT_EQ(text::foldCase(u"ÉΣЖ/U"), text::foldCase(u"éσж/u"));
    EXPECT_NE(text::foldCase(u"a"), text::foldCase(u"b"));
}
