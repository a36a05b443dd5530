#include "files/folder_plan.h"
#include "files/path_names.h"
#include "files/suite_layout.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace ondrik;

namespace {

struct NameRow {
    std::u16string path, name, extension;
};

// The folders CreaDirectory tries, as text.
std::vector<std::u16string> attempts(std::u16string_view path) {
    std::vector<std::u16string> out;
    for (size_t n : folderPlan::prefixLengths(path)) out.emplace_back(path.substr(0, n));
    return out;
}

} // namespace

TEST(PathNames, NameAndExtensionOfEveryKindOfPath) {
    const NameRow rows[] = {
        {u"C:\\Dir\\Contab.exe", u"Contab", u"exe"},
        {u"Contab.exe", u"Contab", u"exe"},
        {u"Archivio.tar.gz", u"Archivio.tar", u"gz"},
        {u"C:\\Dir.old\\Leggimi", u"Leggimi", u""},
        {u"C:\\Dir\\Contab", u"Contab", u""},
        {u".profile", u"", u"profile"},
        {u"file.", u"file", u""},
        {u"C:\\Dir\\", u"", u""},
        {u"C:/Dir/Contab.exe", u"C:/Dir/Contab", u"exe"},
        {u"C:Contab.exe", u"C:Contab", u"exe"},
        {u"", u"", u""},
        // Beyond the table: separators only, dots only, names outside Latin-1.
        {u"\\", u"", u""},
        {u"\\\\srv\\share\\", u"", u""},
        {u"..", u".", u""},
        {u"a.b.c", u"a.b", u"c"},
        {u"C:\\Пример\\Δοκιμή.文書", u"Δοκιμή", u"文書"},
    };
    for (const NameRow& row : rows) {
        SCOPED_TRACE(std::string(row.path.begin(), row.path.end()));
        EXPECT_EQ(pathNames::fileName(row.path), row.name);
        EXPECT_EQ(pathNames::fileExtension(row.path), row.extension);
    }
}

TEST(PathNames, SeparatorsAndDotsBeyond32767AreFoundLikeAnyOther) {
    // 16-bit positions would overflow here; the answer is the one a short path gets.
    std::u16string folder(40000, u'd');
    std::u16string path = u"C:\\" + folder + u"\\Nome.ext";
    EXPECT_EQ(pathNames::fileName(path), u"Nome");
    EXPECT_EQ(pathNames::fileExtension(path), u"ext");
    std::u16string longName = folder + u".x";
    EXPECT_EQ(pathNames::fileName(longName), folder);
    EXPECT_EQ(pathNames::fileExtension(longName), u"x");
}

TEST(PathNames, EmbeddedZerosAreOrdinaryCharacters) {
    std::u16string path(u"C:\\a\0b\\c\0.d\0e", 13);
    EXPECT_EQ(pathNames::fileName(path), std::u16string(u"c\0", 2));
    EXPECT_EQ(pathNames::fileExtension(path), std::u16string(u"d\0e", 3));
}

TEST(SuiteLayout, BaseDirectoryIsTwoLevelsAboveTheServersFolder) {
    EXPECT_EQ(suiteLayout::baseDirectory(u"C:\\Suite\\Eseguibili\\Server"), u"C:\\Suite");
    EXPECT_EQ(suiteLayout::baseDirectory(u"C:\\Suite\\Eseguibili\\Server\\"), u"C:\\Suite");
    EXPECT_EQ(suiteLayout::baseDirectory(u"C:\\Eseguibili\\Server"), u"C:");
    EXPECT_EQ(suiteLayout::baseDirectory(u"C:\\Server"), u"");
    EXPECT_EQ(suiteLayout::baseDirectory(u"C:\\"), u"");
    EXPECT_EQ(suiteLayout::baseDirectory(u"\\\\srv\\share\\Suite\\Eseguibili\\Server"),
              u"\\\\srv\\share\\Suite");
    // Degenerate folders: nothing normalised, empty components kept, one closing
    // backslash taken off.
    EXPECT_EQ(suiteLayout::baseDirectory(u""), u"");
    EXPECT_EQ(suiteLayout::baseDirectory(u"C:"), u"");
    EXPECT_EQ(suiteLayout::baseDirectory(u"\\Server"), u"");
    EXPECT_EQ(suiteLayout::baseDirectory(u"\\A\\B"), u"");
    EXPECT_EQ(suiteLayout::baseDirectory(u"\\\\srv\\share"), u"\\");
    EXPECT_EQ(suiteLayout::baseDirectory(u"C:\\Suite\\\\Eseguibili\\Server"), u"C:\\Suite\\");
    EXPECT_EQ(suiteLayout::baseDirectory(u"C:\\Suite\\Eseguibili\\Server\\\\"), u"C:\\Suite\\Eseguibili");
    EXPECT_EQ(suiteLayout::baseDirectory(u"c:/x\\.\\..\\Server"), u"c:/x\\.");
}

TEST(SuiteLayout, BaseDirectoryOfAFolderDeeperThan32767Levels) {
    std::u16string folder = u"C:";
    for (int k = 0; k < 40000; ++k) folder += u"\\d";
    std::u16string expected = folder.substr(0, folder.size() - 4);
    EXPECT_EQ(suiteLayout::baseDirectory(folder), expected);
}

TEST(SuiteLayout, FoldersBelowTheBase) {
    const std::u16string b = u"C:\\Suite";
    EXPECT_EQ(suiteLayout::executablesFolder(b, u""), u"C:\\Suite\\Eseguibili");
    EXPECT_EQ(suiteLayout::executablesFolder(b, u"D:\\Altro\\Contab.exe"), u"C:\\Suite\\Eseguibili\\Contab");
    EXPECT_EQ(suiteLayout::executablesFolder(b, u"C:\\Prog\\"), u"C:\\Suite\\Eseguibili\\");
    EXPECT_EQ(suiteLayout::dataFolder(b, u""), u"C:\\Suite\\Dati");
    EXPECT_EQ(suiteLayout::dataFolder(b, u"Contab.exe"), u"C:\\Suite\\Dati\\Contab");
    EXPECT_EQ(suiteLayout::dataFolder(b, u"Archivio.tar.gz"), u"C:\\Suite\\Dati\\Archivio.tar");
    EXPECT_EQ(suiteLayout::dataFolder(b, u"C:\\Prog\\"), u"C:\\Suite\\Dati\\");
    EXPECT_EQ(suiteLayout::dataFolder(b, u".ini"), u"C:\\Suite\\Dati\\");
    const std::u16string dati = u"C:\\Suite\\Dati";
    EXPECT_EQ(suiteLayout::usersFolder(dati, u""), u"C:\\Suite\\Dati\\Utenti");
    EXPECT_EQ(suiteLayout::usersFolder(dati, u"rossi"), u"C:\\Suite\\Dati\\Utenti\\rossi");
    EXPECT_EQ(suiteLayout::usersFolder(dati, u"rossi.old"), u"C:\\Suite\\Dati\\Utenti\\rossi.old");
    EXPECT_EQ(suiteLayout::usersFolder(dati, u"a\\b"), u"C:\\Suite\\Dati\\Utenti\\a\\b");
    // An empty base: the folders at the root of the current drive.
    EXPECT_EQ(suiteLayout::executablesFolder(u"", u""), u"\\Eseguibili");
    EXPECT_EQ(suiteLayout::dataFolder(u"", u""), u"\\Dati");
    EXPECT_EQ(suiteLayout::dataFolder(u"", u"Contab"), u"\\Dati\\Contab");
}

TEST(FolderPlan, TriesEveryFolderAfterTheFirstComponent) {
    using V = std::vector<std::u16string>;
    EXPECT_EQ(attempts(u"C:\\A\\B"), (V{u"C:\\A", u"C:\\A\\B"}));
    EXPECT_EQ(attempts(u"C:\\A\\B\\"), (V{u"C:\\A", u"C:\\A\\B", u"C:\\A\\B\\"}));
    EXPECT_EQ(attempts(u"\\\\srv\\share\\A"),
              (V{u"\\", u"\\\\srv", u"\\\\srv\\share", u"\\\\srv\\share\\A"}));
    EXPECT_EQ(attempts(u"\\A"), (V{u"\\A"}));
    EXPECT_EQ(attempts(u"A\\B"), (V{u"A\\B"}));
    EXPECT_EQ(attempts(u"Nuova"), V{});
    EXPECT_EQ(attempts(u""), V{});
    // Separators only, and doubled separators: every empty component is a step.
    EXPECT_EQ(attempts(u"\\"), (V{u"\\"}));
    EXPECT_EQ(attempts(u"C:\\\\A"), (V{u"C:\\", u"C:\\\\A"}));
    EXPECT_EQ(attempts(u"C:/A/B"), V{});
}

TEST(FolderPlan, ALongPathGivesOneStepPerSeparator) {
    std::u16string path = u"C:";
    for (int k = 0; k < 50000; ++k) path += u"\\x";
    std::vector<size_t> plan = folderPlan::prefixLengths(path);
    ASSERT_EQ(plan.size(), 50000u);
    EXPECT_EQ(plan.front(), 4u);
    EXPECT_EQ(plan.back(), path.size());
}
