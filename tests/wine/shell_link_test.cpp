// ShellLink in this process: shortcut files written and read back through the shell's
// shortcut object, the rewrite on each change, and every refusal.
#include "dispatch_helpers.h"
#include "inside_wait.h"
#include "shell_shortcut.h"

#include "automation/worker_call.h"
#include "shell/shortcut_file.h"
#include "shell_link/shell_link.h"

#include <gtest/gtest.h>
#include <sddl.h>
#include <string>
#include <vector>

using namespace ondrik;
using namespace testing_ondrik;
// The server's class (the type library also names a coclass ShellLink at global scope).
using Link = ondrik::ShellLink;

namespace {

using Getter = HRESULT (STDMETHODCALLTYPE Link::*)(BSTR*);

std::wstring value(Link* l, Getter get) {
    Bstr b;
    EXPECT_EQ((l->*get)(b.put()), S_OK);
    return b.get() ? std::wstring(b.get(), SysStringLen(b.get())) : std::wstring();
}

ComPtr<Link> newLink() {
    return Link::create();
}

bool crea(Link* l, const std::wstring& path) {
    Bstr p(path.c_str());
    VARIANT_BOOL r = 7;
    EXPECT_EQ(l->CreaCollegamento(p.get(), &r), S_OK);
    EXPECT_TRUE(r == VARIANT_TRUE || r == VARIANT_FALSE);
    return r == VARIANT_TRUE;
}

bool leggi(Link* l, const std::wstring& path) {
    Bstr p(path.c_str());
    VARIANT_BOOL r = 7;
    EXPECT_EQ(l->LeggiCollegamento(p.get(), &r), S_OK);
    EXPECT_TRUE(r == VARIANT_TRUE || r == VARIANT_FALSE);
    return r == VARIANT_TRUE;
}

void put(Link* l, HRESULT (STDMETHODCALLTYPE Link::*set)(BSTR), const std::wstring& v) {
    Bstr b(v.c_str());
    EXPECT_EQ((l->*set)(b.get()), S_OK);
}

void writeFile(const std::wstring& path, const std::string& text) {
    HANDLE f =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(f, text.data(), DWORD(text.size()), &written, nullptr);
    CloseHandle(f);
}

std::string readFile(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return "<missing>";
    std::string text(65536, '\0');
    DWORD got = 0;
    ReadFile(f, text.data(), DWORD(text.size()), &got, nullptr);
    CloseHandle(f);
    text.resize(got);
    return text;
}

bool exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Each test works in a fresh folder of its own below the prefix's TEMP.
class ShellLinkFiles : public testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        std::string test = testing::UnitTest::GetInstance()->current_test_info()->name();
        dir = std::wstring(temp) + L"ondrik-link-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
              std::wstring(test.begin(), test.end());
        ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
        // Wine's shortcut files keep the target's path in the ANSI code page only: the
        // target's name stays inside it, the shortcut's own name need not.
        target = dir + L"\\Perché ü.txt";
        writeFile(target, "contenuto");
    }
    void TearDown() override { removeTree(dir); }
    // A shortcut with all four values, made by the object l.
    void makeShortcut(Link* l, const std::wstring& link) {
        put(l, &Link::put_FileCollegato, target);
        put(l, &Link::put_Argomenti, L"-x \"a b\" è");
        put(l, &Link::put_Descrizione, L"Descrizione à");
        put(l, &Link::put_DirectoryDiLavoro, dir);
        ASSERT_TRUE(crea(l, link));
    }

    std::wstring dir, target;
};

} // namespace

TEST_F(ShellLinkFiles, ASecondObjectAndTheShellReadTheShortcutBack) {
    auto a = newLink();
    EXPECT_EQ(value(a.get(), &Link::get_NomeFile), L"");
    EXPECT_EQ(value(a.get(), &Link::get_Nome), L"");
    std::wstring link = dir + L"\\Collegamento ü 中.lnk";
    makeShortcut(a.get(), link);
    EXPECT_EQ(value(a.get(), &Link::get_NomeFile), link);
    EXPECT_EQ(value(a.get(), &Link::get_Nome), L"Collegamento ü 中");
    EXPECT_EQ(readFile(link).substr(0, 4), std::string("L\0\0\0", 4)); // a shell link file

    auto b = newLink();
    ASSERT_TRUE(leggi(b.get(), link));
    EXPECT_EQ(value(b.get(), &Link::get_FileCollegato), target);
    EXPECT_EQ(value(b.get(), &Link::get_Argomenti), L"-x \"a b\" è");
    EXPECT_EQ(value(b.get(), &Link::get_Descrizione), L"Descrizione à");
    EXPECT_EQ(value(b.get(), &Link::get_DirectoryDiLavoro), dir);
    EXPECT_EQ(value(b.get(), &Link::get_NomeFile), link);

    // The shell's own shortcut object reads the same file.
    ShellShortcutValues shell;
    ASSERT_TRUE(shellReadShortcut(link, shell));
    EXPECT_EQ(shell.path, target);
    EXPECT_EQ(shell.arguments, L"-x \"a b\" è");
    EXPECT_EQ(shell.description, L"Descrizione à");
    EXPECT_EQ(shell.workingDirectory, dir);
}

TEST_F(ShellLinkFiles, EachChangeRewritesTheFileWithTheFourValuesOnly) {
    std::wstring link = dir + L"\\x.lnk";
    // A shortcut of the shell's with an icon: after a rewrite only the four values remain.
    ShellShortcutValues shell;
    shell.path = target;
    shell.description = L"della shell";
    shell.iconFile = L"C:\\windows\\system32\\shell32.dll";
    ASSERT_TRUE(shellWriteShortcut(link, shell));
    ASSERT_TRUE(shellReadShortcut(link, shell));
    EXPECT_EQ(shell.iconFile, L"C:\\windows\\system32\\shell32.dll");
    auto a = newLink(), b = newLink();
    ASSERT_TRUE(leggi(a.get(), link));
    EXPECT_EQ(value(a.get(), &Link::get_Descrizione), L"della shell");
    EXPECT_EQ(value(a.get(), &Link::get_Argomenti), L"");

    put(a.get(), &Link::put_Descrizione, L"nuova");
    ASSERT_TRUE(leggi(b.get(), link));
    EXPECT_EQ(value(b.get(), &Link::get_Descrizione), L"nuova");
    EXPECT_EQ(value(b.get(), &Link::get_FileCollegato), target);
    ASSERT_TRUE(shellReadShortcut(link, shell));
    EXPECT_EQ(shell.iconFile, L"");

    put(a.get(), &Link::put_Argomenti, L"/p");
    put(a.get(), &Link::put_DirectoryDiLavoro, L"C:\\windows");
    std::wstring other = dir + L"\\altro.txt";
    writeFile(other, "altro");
    put(a.get(), &Link::put_FileCollegato, other);
    ASSERT_TRUE(leggi(b.get(), link));
    EXPECT_EQ(value(b.get(), &Link::get_Argomenti), L"/p");
    EXPECT_EQ(value(b.get(), &Link::get_DirectoryDiLavoro), L"C:\\windows");
    EXPECT_EQ(value(b.get(), &Link::get_FileCollegato), other);
    EXPECT_EQ(value(b.get(), &Link::get_Descrizione), L"nuova");

    // Refused targets leave object and file as they were.
    put(a.get(), &Link::put_FileCollegato, L"");
    put(a.get(), &Link::put_FileCollegato, dir + L"\\manca.txt");
    put(a.get(), &Link::put_FileCollegato, dir);
    EXPECT_EQ(value(a.get(), &Link::get_FileCollegato), other);
    ASSERT_TRUE(leggi(b.get(), link));
    EXPECT_EQ(value(b.get(), &Link::get_FileCollegato), other);

    // A further creation moves the object to another file.
    std::wstring second = dir + L"\\secondo.lnk";
    ASSERT_TRUE(crea(a.get(), second));
    EXPECT_EQ(value(a.get(), &Link::get_NomeFile), second);
    put(a.get(), &Link::put_Descrizione, L"solo il secondo");
    ASSERT_TRUE(leggi(b.get(), link));
    EXPECT_EQ(value(b.get(), &Link::get_Descrizione), L"nuova");
}

TEST_F(ShellLinkFiles, TargetsThatAreNoPlainFileAreRefused) {
    auto a = newLink();
    std::wstring link = dir + L"\\x.lnk";
    EXPECT_FALSE(crea(a.get(), link)); // no target at all
    EXPECT_FALSE(exists(link));

    std::wstring hidden = dir + L"\\nascosto.txt";
    writeFile(hidden, "h");
    SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    std::wstring system = dir + L"\\sistema.txt";
    writeFile(system, "s");
    SetFileAttributesW(system.c_str(), FILE_ATTRIBUTE_SYSTEM);
    for (const std::wstring& refused : {dir + L"\\manca.txt", dir, hidden, system, dir + L"\\*.txt",
                                        std::wstring(L""), target + L'\0' + L"x"}) {
        Bstr b(std::u16string_view(reinterpret_cast<const char16_t*>(refused.data()), refused.size()));
        EXPECT_EQ(a->put_FileCollegato(b.get()), S_OK);
        EXPECT_EQ(value(a.get(), &Link::get_FileCollegato), L"");
    }
    std::wstring readOnly = dir + L"\\sola lettura.txt";
    writeFile(readOnly, "r");
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    put(a.get(), &Link::put_FileCollegato, readOnly);
    EXPECT_EQ(value(a.get(), &Link::get_FileCollegato), readOnly); // read-only is still plain
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(value(a.get(), &Link::get_NomeFile), L""); // nothing was written

    // A target that went away, or became a folder, since it was taken.
    std::wstring gone = dir + L"\\sparito.txt";
    writeFile(gone, "g");
    put(a.get(), &Link::put_FileCollegato, gone);
    DeleteFileW(gone.c_str());
    EXPECT_FALSE(crea(a.get(), link));
    EXPECT_FALSE(exists(link));
    CreateDirectoryW(gone.c_str(), nullptr);
    EXPECT_FALSE(crea(a.get(), link));
    EXPECT_FALSE(exists(link));
    EXPECT_EQ(value(a.get(), &Link::get_NomeFile), L"");
}

TEST_F(ShellLinkFiles, ShortcutPathsThatCannotBeWrittenGiveFalseAndChangeNothing) {
    auto a = newLink();
    put(a.get(), &Link::put_FileCollegato, target);
    EXPECT_FALSE(crea(a.get(), dir + L"\\manca\\x.lnk"));
    EXPECT_FALSE(crea(a.get(), dir)); // a folder
    EXPECT_FALSE(crea(a.get(), dir + L"\\a?b.lnk"));
    EXPECT_FALSE(crea(a.get(), L""));
    // A name without folder is refused before anything is emptied.
    wchar_t current[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, current);
    SetCurrentDirectoryW(dir.c_str());
    writeFile(dir + L"\\nudo.lnk", "dati");
    EXPECT_FALSE(crea(a.get(), L"nudo.lnk"));
    EXPECT_EQ(readFile(dir + L"\\nudo.lnk"), "dati");
    SetCurrentDirectoryW(current);
    // A shortcut in place of its own target would destroy the target.
    EXPECT_FALSE(crea(a.get(), target));
    EXPECT_FALSE(crea(a.get(), dir + L"\\.\\PERCHÉ Ü.txt"));
    EXPECT_EQ(readFile(target), "contenuto");
    EXPECT_EQ(value(a.get(), &Link::get_NomeFile), L"");
    EXPECT_EQ(value(a.get(), &Link::get_FileCollegato), target);

    // An ordinary file at the shortcut's path becomes the shortcut.
    std::wstring plain = dir + L"\\era un file.lnk";
    writeFile(plain, "testo");
    EXPECT_TRUE(crea(a.get(), plain));
    auto b = newLink();
    EXPECT_TRUE(leggi(b.get(), plain));
    EXPECT_EQ(value(b.get(), &Link::get_FileCollegato), target);
}

TEST_F(ShellLinkFiles, ReadingWhatIsNoShortcutGivesFalseAndKeepsTheObject) {
    auto a = newLink();
    std::wstring link = dir + L"\\x.lnk";
    makeShortcut(a.get(), link);
    auto keeps = [&](const char* what) {
        SCOPED_TRACE(what);
        EXPECT_EQ(value(a.get(), &Link::get_NomeFile), link);
        EXPECT_EQ(value(a.get(), &Link::get_FileCollegato), target);
        EXPECT_EQ(value(a.get(), &Link::get_Descrizione), L"Descrizione à");
    };
    EXPECT_FALSE(leggi(a.get(), dir + L"\\manca.lnk"));
    keeps("missing");
    EXPECT_FALSE(leggi(a.get(), dir));
    keeps("folder");
    EXPECT_FALSE(leggi(a.get(), L""));
    keeps("empty");
    // A plain file that is no shortcut is not adopted: a later change must not overwrite it.
    EXPECT_FALSE(leggi(a.get(), target));
    keeps("text file");
    put(a.get(), &Link::put_Descrizione, L"dopo");
    EXPECT_EQ(readFile(target), "contenuto");
    std::wstring empty = dir + L"\\vuoto.lnk";
    writeFile(empty, "");
    auto b = newLink();
    EXPECT_FALSE(leggi(b.get(), empty));
    EXPECT_EQ(value(b.get(), &Link::get_NomeFile), L"");
}

TEST_F(ShellLinkFiles, AShortcutWithoutTargetPathIsReadButGivesFalse) {
    std::wstring link = dir + L"\\senza.lnk";
    ShellShortcutValues shell;
    shell.description = L"solo descrizione";
    shell.arguments = L"-q";
    ASSERT_TRUE(shellWriteShortcut(link, shell));
    auto a = newLink();
    EXPECT_FALSE(leggi(a.get(), link));
    EXPECT_EQ(value(a.get(), &Link::get_Descrizione), L"solo descrizione");
    EXPECT_EQ(value(a.get(), &Link::get_Argomenti), L"-q");
    EXPECT_EQ(value(a.get(), &Link::get_FileCollegato), L"");
    EXPECT_EQ(value(a.get(), &Link::get_NomeFile), link); // a shortcut: the object may edit it
    // It cannot lose the target it has not got, and takes a real one.
    put(a.get(), &Link::put_FileCollegato, target);
    auto b = newLink();
    EXPECT_TRUE(leggi(b.get(), link));
    EXPECT_EQ(value(b.get(), &Link::get_Descrizione), L"solo descrizione");
}

TEST(ShellLinkDispatch, NomeAndTheMembersThroughIDispatch) {
    auto a = Link::create();
    IDispatch* d = a->itf();
    CallResult r;
    call(d, L"Nome", {}, r);
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_EQ(V_VT(r.value.get()), VT_BSTR);
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(L"Descrizione");
    ASSERT_EQ(d->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
    ondrik::Variant v = owned(str(L"d"));
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS dp = {v.get(), &putId, 1, 1};
    EXPECT_EQ(d->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &dp, nullptr, nullptr, nullptr), S_OK);
    CallResult got;
    call(d, L"Descrizione", {}, got);
    EXPECT_EQ(std::wstring(V_BSTR(got.value.get())), L"d");
    CallResult read;
    call(d, L"LeggiCollegamento", {str(L"C:\\non\\esiste.lnk")}, read);
    ASSERT_EQ(read.hr, S_OK);
    EXPECT_EQ(V_VT(read.value.get()), VT_BOOL);
    EXPECT_EQ(V_BOOL(read.value.get()), VARIANT_FALSE);
    EXPECT_EQ(a->LeggiCollegamento(nullptr, nullptr), E_POINTER);
    EXPECT_EQ(a->get_Nome(nullptr), E_POINTER);
}

TEST_F(ShellLinkFiles, ACallOnTheSameObjectDuringItsFileWorkRunsAfterItOnWhatItLeft) {
    auto a = newLink(), b = newLink();
    std::wstring link = dir + L"\\durante.lnk";
    put(a.get(), &Link::put_FileCollegato, target);
    put(a.get(), &Link::put_Descrizione, L"prima");
    // A value changed while the shortcut is being created: it ends up in the new file.
    insideWaitOf([&] { EXPECT_TRUE(crea(a.get(), link)); },
                 [&] { put(a.get(), &Link::put_Descrizione, L"durante"); });
    EXPECT_EQ(value(a.get(), &Link::get_NomeFile), link);
    EXPECT_EQ(value(a.get(), &Link::get_Descrizione), L"durante");
    ASSERT_TRUE(leggi(b.get(), link));
    EXPECT_EQ(value(b.get(), &Link::get_Descrizione), L"durante");
    EXPECT_EQ(value(b.get(), &Link::get_FileCollegato), target);

    // A read of another shortcut while the object rewrites its own: the rewrite keeps to
    // the file it began with, the read moves the object on.
    std::wstring second = dir + L"\\secondo.lnk";
    ASSERT_TRUE(crea(b.get(), second));
    insideWaitOf([&] { put(a.get(), &Link::put_Argomenti, L"-z"); }, [&] { EXPECT_TRUE(leggi(a.get(), second)); });
    EXPECT_EQ(value(a.get(), &Link::get_NomeFile), second);
    ASSERT_TRUE(leggi(b.get(), link));
    EXPECT_EQ(value(b.get(), &Link::get_Argomenti), L"-z");
}

TEST_F(ShellLinkFiles, AValueSetDuringAReadIsKeptAndWritten) {
    auto a = newLink(), b = newLink();
    std::wstring link = dir + L"\\letto.lnk";
    makeShortcut(a.get(), link);
    // Another caller sets a value while the object reads its shortcut: the set comes after
    // the read, so it is neither overwritten by the file's value nor written back over.
    insideWaitOf([&] { EXPECT_TRUE(leggi(a.get(), link)); },
                 [&] { put(a.get(), &Link::put_Argomenti, L"x"); });
    EXPECT_EQ(value(a.get(), &Link::get_Argomenti), L"x");
    ASSERT_TRUE(leggi(b.get(), link));
    EXPECT_EQ(value(b.get(), &Link::get_Argomenti), L"x");
    EXPECT_EQ(value(b.get(), &Link::get_Descrizione), L"Descrizione à");
}

TEST_F(ShellLinkFiles, AFailedRewriteLeavesTheShortcutWholeAndTheObjectUsable) {
    auto a = newLink(), b = newLink();
    std::wstring link = dir + L"\\intero.lnk";
    makeShortcut(a.get(), link);
    const std::string before = readFile(link);

    // The shell fails to write the new shortcut (a full disk, a share gone): the shortcut
    // that stood there stays whole, and the answer is False.
    failNextShortcutSave();
    put(a.get(), &Link::put_Descrizione, L"non scritta");
    failNextShortcutSave();
    EXPECT_FALSE(crea(a.get(), link));
    EXPECT_EQ(readFile(link), before) << "the shortcut was emptied or changed";
    ASSERT_TRUE(leggi(b.get(), link));
    EXPECT_EQ(value(b.get(), &Link::get_Descrizione), L"Descrizione à");
    EXPECT_EQ(value(a.get(), &Link::get_NomeFile), link);
    // A new shortcut that the shell fails to write leaves no file at all.
    std::wstring fresh = dir + L"\\nuovo.lnk";
    failNextShortcutSave();
    EXPECT_FALSE(crea(a.get(), fresh));
    EXPECT_FALSE(exists(fresh));
    EXPECT_EQ(value(a.get(), &Link::get_NomeFile), link);

    // The file work cannot be handed to a worker: the call fails, the value is not taken,
    // and the object's next file work runs (its turn was not lost).
    failNextHandOff(HandOffFailure::outOfMemory);
    Bstr lost(L"perso");
    EXPECT_EQ(a->put_Descrizione(lost.get()), E_OUTOFMEMORY);
    EXPECT_NE(value(a.get(), &Link::get_Descrizione), L"perso");
    failNextHandOff(HandOffFailure::refused);
    EXPECT_FALSE(leggi(a.get(), link));
    failNextHandOff(HandOffFailure::outOfMemory);
    EXPECT_FALSE(crea(a.get(), link));
    put(a.get(), &Link::put_Descrizione, L"dopo");
    ASSERT_TRUE(leggi(b.get(), link));
    EXPECT_EQ(value(b.get(), &Link::get_Descrizione), L"dopo");

    // Nothing of the replacing is left beside the shortcut.
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((dir + L"\\*.tmp").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "left behind: " << found.cFileName;
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

TEST_F(ShellLinkFiles, ARewriteKeepsTheFilesPermissionsAndAttributesInAnyFolder) {
    // An administrator's shortcut: its own protected permissions, hidden and system.
    // Replaced, the file keeps both ("ReplaceFileW function": the replaced file's DACL and
    // attributes are preserved). Wine enforces no permissions and answers them from the
    // file's Unix mode: they are read back and compared all the same.
    auto a = newLink();
    std::wstring link = dir + L"\\bloccato.lnk";
    makeShortcut(a.get(), link);
    const wchar_t* sddl = L"D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;FR;;;WD)";
    PSECURITY_DESCRIPTOR locked = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &locked, nullptr));
    ASSERT_TRUE(SetFileSecurityW(link.c_str(), DACL_SECURITY_INFORMATION, locked));
    LocalFree(locked);
    auto daclOf = [](const std::wstring& file) {
        DWORD size = 0;
        GetFileSecurityW(file.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
        std::vector<BYTE> sd(size ? size : 1);
        LPWSTR text = nullptr;
        std::wstring out;
        if (GetFileSecurityW(file.c_str(), DACL_SECURITY_INFORMATION, sd.data(), size, &size) &&
            ConvertSecurityDescriptorToStringSecurityDescriptorW(sd.data(), SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                                 &text, nullptr)) {
            out = text;
            LocalFree(text);
        }
        return out;
    };
    const std::wstring dacl = daclOf(link); // as the file system keeps it
    ASSERT_FALSE(dacl.empty());
    ASSERT_TRUE(SetFileAttributesW(link.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    put(a.get(), &Link::put_Descrizione, L"riscritta");
    EXPECT_EQ(daclOf(link), dacl) << "the rewrite gave the shortcut other permissions";
    EXPECT_EQ(GetFileAttributesW(link.c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
              DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    SetFileAttributesW(link.c_str(), FILE_ATTRIBUTE_NORMAL); // a system file is no plain file to read
    auto b = newLink();
    ASSERT_TRUE(leggi(b.get(), link));
    EXPECT_EQ(value(b.get(), &Link::get_Descrizione), L"riscritta");

    // A folder written with "/" as well, and a folder longer than GetTempFileNameW takes
    // (MAX_PATH - 14 characters): the shortcut is written, nothing left beside it.
    std::wstring mixed = dir + L"\\misto/a.lnk";
    ASSERT_TRUE(CreateDirectoryW((dir + L"\\misto").c_str(), nullptr));
    EXPECT_TRUE(crea(a.get(), mixed));
    EXPECT_TRUE(exists(dir + L"\\misto\\a.lnk"));
    std::wstring deep = dir + L"\\";
    deep += std::wstring(250 - deep.size(), L'p');
    ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
    EXPECT_TRUE(crea(a.get(), deep + L"\\l.lnk"));
    EXPECT_TRUE(exists(deep + L"\\l.lnk"));
    ASSERT_TRUE(leggi(b.get(), deep + L"\\l.lnk"));
    EXPECT_EQ(value(b.get(), &Link::get_Descrizione), L"riscritta");
    for (const std::wstring& left : {dir + L"\\lnk*.tmp", dir + L"\\misto\\lnk*.tmp", deep + L"\\~*"}) {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW(left.c_str(), &found);
        EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "left behind: " << found.cFileName;
        if (search != INVALID_HANDLE_VALUE) FindClose(search);
    }
}
