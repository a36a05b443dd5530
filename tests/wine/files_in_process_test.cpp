// The folder methods in this process: CreaDirectory and the existence test on a scratch
// tree, the special folders and TEMP. Nothing here asks for a data or user folder: in
// this process the base directory lies around the test program.
#include "dispatch_helpers.h"
#include "file_helpers.h"
#include "shell_folders_probe.h"

#include "files/file_system.h"
#include "files/known_folders.h"
#include "global/global.h"

#include <gtest/gtest.h>

using namespace ondrik;
using namespace testing_ondrik;

namespace {

const std::wstring kScratch = L"C:\\ondrik-files";

ComPtr<ondrik::Global> newGlobal() {
    return ondrik::Global::create(ondrik::ProcessState::make());
}

std::wstring text(const CallResult& r) {
    return V_VT(r.value.get()) == VT_BSTR
               ? std::wstring(V_BSTR(r.value.get()), SysStringLen(V_BSTR(r.value.get())))
               : L"<not a string>";
}

std::wstring call0(IDispatch* d, const wchar_t* name) {
    CallResult r;
    call(d, name, {}, r, DISPATCH_METHOD);
    EXPECT_EQ(r.hr, S_OK) << name;
    return text(r);
}

void crea(ondrik::Global* g, const std::wstring& path) {
    Bstr p(std::u16string_view(reinterpret_cast<const char16_t*>(path.data()), path.size()));
    EXPECT_EQ(g->CreaDirectory(p.get()), S_OK);
}

class Scratch : public testing::Test {
protected:
    void SetUp() override {
        removeTree(kScratch);
        ASSERT_TRUE(CreateDirectoryW(kScratch.c_str(), nullptr));
    }
    void TearDown() override { removeTree(kScratch); }
};

// Sets TEMP of this process for one test and puts back what was there.
class TempVariable {
public:
    TempVariable() {
        DWORD n = GetEnvironmentVariableW(L"TEMP", nullptr, 0);
        had_ = n > 0;
        if (had_) {
            saved_.resize(n);
            saved_.resize(GetEnvironmentVariableW(L"TEMP", saved_.data(), n));
        }
    }
    ~TempVariable() { SetEnvironmentVariableW(L"TEMP", had_ ? saved_.c_str() : nullptr); }

private:
    bool had_ = false;
    std::wstring saved_;
};

} // namespace

TEST_F(Scratch, CreaDirectoryMakesEveryMissingFolderAndReportsNothing) {
    ComPtr<ondrik::Global> g = newGlobal();
    crea(g.get(), kScratch + L"\\A\\B\\C");
    EXPECT_TRUE(isFolder(kScratch + L"\\A\\B\\C"));
    crea(g.get(), kScratch + L"\\A\\B\\C"); // again: nothing changes
    EXPECT_TRUE(isFolder(kScratch + L"\\A\\B\\C"));
    crea(g.get(), kScratch + L"\\D\\"); // closing backslash: the folder once
    EXPECT_TRUE(isFolder(kScratch + L"\\D"));

    // An ordinary file in the middle: the deeper folders fail too, silently.
    ASSERT_TRUE(makeFile(kScratch + L"\\file"));
    crea(g.get(), kScratch + L"\\file\\X\\Y");
    EXPECT_TRUE(isFile(kScratch + L"\\file"));
    EXPECT_TRUE(absent(kScratch + L"\\file\\X"));

    // A drive that does not exist, also with a path far beyond the longest one (in a
    // thousand parts: each part is an attempt, slow under the emulator).
    crea(g.get(), L"Q:\\A\\B");
    EXPECT_TRUE(absent(L"Q:\\A"));
    std::wstring deep = L"Q:";
    for (int k = 0; k < 1000; ++k) deep += L"\\" + std::wstring(99, L'x');
    crea(g.get(), deep);

    // Names outside any ANSI code page reach the disk as they are.
    std::wstring greek = kScratch + L"\\\u03A9\u03BC\u03AD\u03B3\u03B1\\\u65E5\u672C";
    crea(g.get(), greek);
    EXPECT_TRUE(isFolder(greek));
    // A character of code 0 ends no path early: nothing is made beyond it.
    crea(g.get(), kScratch + std::wstring(L"\\Zero\\\0Dopo", 11) + L"\\X");
    EXPECT_TRUE(isFolder(kScratch + L"\\Zero"));
    EXPECT_TRUE(absent(kScratch + L"\\Zero\\X"));
    crea(g.get(), kScratch + std::wstring(L"\\Nulla\0", 7));
    EXPECT_TRUE(absent(kScratch + L"\\Nulla"));

    Bstr empty(L"");
    EXPECT_EQ(g->CreaDirectory(empty.get()), S_OK);
    EXPECT_EQ(g->CreaDirectory(nullptr), S_OK);
}

TEST_F(Scratch, CreaDirectoryOfRelativePathsNeverMakesTheFirstFolder) {
    ComPtr<ondrik::Global> g = newGlobal();
    wchar_t before[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, before);
    ASSERT_TRUE(SetCurrentDirectoryW(kScratch.c_str()));
    crea(g.get(), L"Nuova");
    crea(g.get(), L"Manca\\Sotto");
    CreateDirectoryW(L"Rel", nullptr);
    crea(g.get(), L"Rel\\Sotto");
    SetCurrentDirectoryW(before);
    EXPECT_TRUE(absent(kScratch + L"\\Nuova"));
    EXPECT_TRUE(absent(kScratch + L"\\Manca"));
    EXPECT_TRUE(isFolder(kScratch + L"\\Rel\\Sotto"));
}

TEST_F(Scratch, TheExistenceTestFindsFoldersAndFilesAlike) {
    ASSERT_TRUE(makeFile(kScratch + L"\\file"));
    EXPECT_EQ(fileSystem::lookUp(u"C:\\ondrik-files"), S_OK);
    EXPECT_EQ(fileSystem::lookUp(u"C:\\ondrik-files\\file"), S_OK);
    EXPECT_EQ(fileSystem::lookUp(u"C:\\ondrik-files\\nothing"), S_FALSE);
    EXPECT_EQ(fileSystem::lookUp(u"C:\\ondrik-files\\nothing\\below"), S_FALSE);
    EXPECT_EQ(fileSystem::lookUp(u"Q:\\Suite\\Eseguibili"), S_FALSE); // no such drive
    // A name the file system rejects is the look-up's own failure; a pattern is no match.
    EXPECT_EQ(fileSystem::lookUp(u"C:\\ondrik-files\\a|b"), HRESULT_FROM_WIN32(ERROR_INVALID_NAME));
    EXPECT_EQ(fileSystem::lookUp(u"C:\\ondrik-files\\fil*"), HRESULT_FROM_WIN32(ERROR_INVALID_NAME));
    EXPECT_EQ(fileSystem::lookUp(std::u16string(u"C:\\ondrik-files\\file\0junk", 25)),
              HRESULT_FROM_WIN32(ERROR_INVALID_NAME));
}

TEST(SpecialFolders, TheShellsFoldersByNumber) {
    ComPtr<ondrik::Global> g = newGlobal();
    ComPtr<IDispatch> d(g->itf());
    auto shell = shellFolder;
    std::wstring system = call0(d.get(), L"GetSystemDirectory");
    EXPECT_EQ(system, shell(0x25)); // CSIDL_SYSTEM
    EXPECT_FALSE(system.empty());
    EXPECT_EQ(call0(d.get(), L"GetWindowsDirectory"), system);            // 0x25 as well
    EXPECT_EQ(call0(d.get(), L"GetDesktopDirectory"), shell(0x10));       // CSIDL_DESKTOPDIRECTORY
    EXPECT_EQ(call0(d.get(), L"GetCommonDesktopDirectory"), shell(0x19)); // CSIDL_COMMON_DESKTOPDIRECTORY
    EXPECT_EQ(call0(d.get(), L"GetProgramFilesDirectory"), shell(0x26));  // CSIDL_PROGRAM_FILES
    EXPECT_FALSE(call0(d.get(), L"GetProgramFilesDirectory").empty());
    // A number the shell does not know gives the empty string.
    EXPECT_EQ(specialFolders::specialFolder(0xFF), u"");
}

TEST(SpecialFolders, TemporaryFolderFromTheEnvironmentOrTheSystemFolder) {
    TempVariable keep;
    ComPtr<ondrik::Global> g = newGlobal();
    ComPtr<IDispatch> d(g->itf());
    std::wstring system = call0(d.get(), L"GetSystemDirectory");
    SetEnvironmentVariableW(L"TEMP", L"C:\\Temp\\");
    EXPECT_EQ(call0(d.get(), L"GetTemporaryDirectory"), L"C:\\Temp\\");
    std::wstring longValue = L"C:\\" + std::wstring(1000, L't');
    SetEnvironmentVariableW(L"TEMP", longValue.c_str());
    EXPECT_EQ(call0(d.get(), L"GetTemporaryDirectory"), longValue);
    SetEnvironmentVariableW(L"TEMP", L"");
    EXPECT_EQ(call0(d.get(), L"GetTemporaryDirectory"), system + L"\\TEMP");
    SetEnvironmentVariableW(L"TEMP", nullptr);
    EXPECT_EQ(call0(d.get(), L"GetTemporaryDirectory"), system + L"\\TEMP");
}
