#include "shell/shortcut_name.h"

#include <gtest/gtest.h>

using namespace ondrik;

TEST(ShortcutName, DropsFolderAndLastExtension) {
    EXPECT_EQ(shortcutName(u"C:\\Dati\\Gestione.lnk"), u"Gestione");
    EXPECT_EQ(shortcutName(u"Gestione"), u"Gestione");
    EXPECT_EQ(shortcutName(u"a.b.lnk"), u"a.b");
    EXPECT_EQ(shortcutName(u"C:\\x.y\\senza"), u"senza"); // a dot in the folder is not an extension
    EXPECT_EQ(shortcutName(u""), u"");
    EXPECT_EQ(shortcutName(u"C:\\Dati\\"), u"");
    EXPECT_EQ(shortcutName(u".lnk"), u"");
    EXPECT_EQ(shortcutName(u"C:\\Dati\\fine."), u"fine");
    EXPECT_EQ(shortcutName(u"C:/Dati/Perché ü.lnk"), u"C:/Dati/Perché ü"); // only "\" separates
    EXPECT_EQ(shortcutName(u"\\\\srv\\quota\\Menù.Lnk"), u"Menù");
}

TEST(ShortcutName, SplitsAtTheLastBackslash) {
    auto p = splitShortcutPath(u"C:\\Dati\\sub\\x.lnk");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->directory, u"C:\\Dati\\sub");
    EXPECT_EQ(p->fileName, u"x.lnk");
    p = splitShortcutPath(u"\\x.lnk");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->directory, u"");
    EXPECT_EQ(p->fileName, u"x.lnk");
    p = splitShortcutPath(u"C:\\Dati\\");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->fileName, u"");
    EXPECT_FALSE(splitShortcutPath(u"x.lnk"));
    EXPECT_FALSE(splitShortcutPath(u"C:x.lnk"));
    EXPECT_FALSE(splitShortcutPath(u""));
}
