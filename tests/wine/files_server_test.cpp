// The folder methods of the registered server, installed in the suite tree at
// C:\Suite\Eseguibili\Server, and of a copy one level below a drive (empty base
// directory); the temporary folder of a server started with a given environment.
#include "dispatch_helpers.h"
#include "file_helpers.h"

#include "generated/Ondrik.h"

#include <gtest/gtest.h>

using namespace testing_ondrik;

namespace {

const std::wstring kSuite = L"C:\\Suite";
const std::wstring kDati = L"C:\\Suite\\Dati";

ComPtr<_Global> remoteGlobal() {
    ComPtr<_Global> g;
    CoCreateInstance(CLSID_Global, nullptr, CLSCTX_LOCAL_SERVER, IID__Global, g.putVoid());
    return g;
}

Bstr bstr(const std::wstring& s) {
    return Bstr(std::u16string_view(reinterpret_cast<const char16_t*>(s.data()), s.size()));
}

// One string getter with one argument, through the vtable.
template <class Getter> std::wstring ask(_Global* g, Getter getter, const std::wstring& arg) {
    Bstr in = bstr(arg), out;
    EXPECT_EQ((g->*getter)(in.get(), out.put()), S_OK);
    return out.get() ? std::wstring(out.get(), SysStringLen(out.get())) : L"";
}

template <class Getter> std::wstring ask(_Global* g, Getter getter) {
    Bstr out;
    EXPECT_EQ((g->*getter)(out.put()), S_OK);
    return out.get() ? std::wstring(out.get(), SysStringLen(out.get())) : L"";
}

bool installed(_Global* g, const std::wstring& programma) {
    Bstr in = bstr(programma);
    VARIANT_BOOL v = 1;
    EXPECT_EQ(g->IsVendrasil(in.get(), &v), S_OK);
    EXPECT_TRUE(v == VARIANT_TRUE || v == VARIANT_FALSE);
    return v == VARIANT_TRUE;
}

// One server for the group; every test starts without a data tree and leaves none behind.
class SuiteServer : public testing::Test {
protected:
    static void SetUpTestSuite() { shared = remoteGlobal(); }
    static void TearDownTestSuite() { shared.reset(); }
    void SetUp() override {
        removeTree(kDati);
        g = shared;
        ASSERT_TRUE(g);
    }
    void TearDown() override { removeTree(kDati); }
    static inline ComPtr<_Global> shared;
    ComPtr<_Global> g;
};

} // namespace

TEST_F(SuiteServer, BaseAndExecutablesAreNamedFromTheServersFolder) {
    EXPECT_EQ(ask(g.get(), &_Global::GetDirectoryBase), kSuite);
    EXPECT_EQ(ask(g.get(), &_Global::GetDirectoryEseguibili, L""), L"C:\\Suite\\Eseguibili");
    EXPECT_EQ(ask(g.get(), &_Global::GetDirectoryEseguibili, L"D:\\Altro\\Contab.exe"),
              L"C:\\Suite\\Eseguibili\\Contab");
    EXPECT_EQ(ask(g.get(), &_Global::GetDirectoryEseguibili, L"C:\\Prog\\"), L"C:\\Suite\\Eseguibili\\");
    EXPECT_TRUE(absent(L"C:\\Suite\\Eseguibili\\Contab"));
    EXPECT_TRUE(absent(kDati));

    // Installed programs: an entry in the executables folder, a file as well as a folder.
    EXPECT_TRUE(installed(g.get(), L"Server"));
    EXPECT_TRUE(installed(g.get(), L"C:\\x\\Server.exe"));
    EXPECT_TRUE(installed(g.get(), L""));
    EXPECT_FALSE(installed(g.get(), L"Contab"));
    ASSERT_TRUE(makeFile(L"C:\\Suite\\Eseguibili\\SoloFile"));
    EXPECT_TRUE(installed(g.get(), L"SoloFile"));
    DeleteFileW(L"C:\\Suite\\Eseguibili\\SoloFile");

    // Through IDispatch, as VBScript calls: the optional argument left out.
    ComPtr<IDispatch> d = g.query<IDispatch>(IID_IDispatch);
    CallResult r;
    call(d.get(), L"GetDirectoryEseguibili", {}, r, DISPATCH_METHOD);
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_STREQ(V_BSTR(r.value.get()), L"C:\\Suite\\Eseguibili");
    CallResult bad;
    call(d.get(), L"IsVendrasil", {str(L"a|b")}, bad, DISPATCH_METHOD);
    EXPECT_EQ(bad.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(bad.error.scode, HRESULT_FROM_WIN32(ERROR_INVALID_NAME));
}

TEST_F(SuiteServer, DataFoldersAreCreatedWithTheirParents) {
    EXPECT_EQ(ask(g.get(), &_Global::GetDirectoryDati, L"Contab.exe"), L"C:\\Suite\\Dati\\Contab");
    EXPECT_TRUE(isFolder(L"C:\\Suite\\Dati\\Contab"));
    EXPECT_EQ(ask(g.get(), &_Global::GetDirectoryDati, L"Archivio.tar.gz"), L"C:\\Suite\\Dati\\Archivio.tar");
    EXPECT_TRUE(isFolder(L"C:\\Suite\\Dati\\Archivio.tar"));
    EXPECT_EQ(ask(g.get(), &_Global::GetDirectoryDati, L"C:\\Prog\\"), L"C:\\Suite\\Dati\\");
    EXPECT_EQ(ask(g.get(), &_Global::GetDirectoryDati, L".ini"), L"C:\\Suite\\Dati\\");
    EXPECT_EQ(ask(g.get(), &_Global::GetDirectoryDati, L""), kDati);
    // Asked again: the same answer, nothing reported.
    EXPECT_EQ(ask(g.get(), &_Global::GetDirectoryDati, L"Contab"), L"C:\\Suite\\Dati\\Contab");
}

TEST_F(SuiteServer, UserFoldersNestedAndOutsideTheAnsiCodePage) {
    EXPECT_EQ(ask(g.get(), &_Global::GetDirectoryUtenti, L"rossi"), L"C:\\Suite\\Dati\\Utenti\\rossi");
    EXPECT_TRUE(isFolder(kDati));
    EXPECT_TRUE(isFolder(L"C:\\Suite\\Dati\\Utenti\\rossi"));
    EXPECT_EQ(ask(g.get(), &_Global::GetDirectoryUtenti, L"rossi.old"),
              L"C:\\Suite\\Dati\\Utenti\\rossi.old");
    EXPECT_TRUE(isFolder(L"C:\\Suite\\Dati\\Utenti\\rossi.old"));
    EXPECT_EQ(ask(g.get(), &_Global::GetDirectoryUtenti, L"a\\b\\c"), L"C:\\Suite\\Dati\\Utenti\\a\\b\\c");
    EXPECT_TRUE(isFolder(L"C:\\Suite\\Dati\\Utenti\\a\\b\\c"));
    EXPECT_EQ(ask(g.get(), &_Global::GetDirectoryUtenti, L""), L"C:\\Suite\\Dati\\Utenti");

    const std::wstring name = L"\u0110or\u0111e \u03A9\u03BC\u03AD\u03B3\u03B1 \u65E5\u672C";
    EXPECT_EQ(ask(g.get(), &_Global::GetDirectoryUtenti, name), L"C:\\Suite\\Dati\\Utenti\\" + name);
    EXPECT_TRUE(isFolder(L"C:\\Suite\\Dati\\Utenti\\" + name));
    EXPECT_EQ(ask(g.get(), &_Global::GetDirectoryDati, name + L".exe"), L"C:\\Suite\\Dati\\" + name);
    EXPECT_TRUE(isFolder(L"C:\\Suite\\Dati\\" + name));
}

TEST_F(SuiteServer, AnOrdinaryFileWhereAFolderBelongs) {
    ASSERT_TRUE(makeFile(kDati));
    EXPECT_EQ(ask(g.get(), &_Global::GetDirectoryDati, L""), kDati);
    EXPECT_TRUE(isFile(kDati));
    EXPECT_EQ(ask(g.get(), &_Global::GetDirectoryDati, L"Contab"), L"C:\\Suite\\Dati\\Contab");
    EXPECT_EQ(ask(g.get(), &_Global::GetDirectoryUtenti, L"rossi"), L"C:\\Suite\\Dati\\Utenti\\rossi");
    EXPECT_TRUE(isFile(kDati));
    DeleteFileW(kDati.c_str());

    // A file in the users' folder where a user's folder belongs.
    EXPECT_EQ(ask(g.get(), &_Global::GetDirectoryUtenti, L""), L"C:\\Suite\\Dati\\Utenti");
    ASSERT_TRUE(makeFile(L"C:\\Suite\\Dati\\Utenti\\bianchi"));
    EXPECT_EQ(ask(g.get(), &_Global::GetDirectoryUtenti, L"bianchi\\archivio"),
              L"C:\\Suite\\Dati\\Utenti\\bianchi\\archivio");
    EXPECT_TRUE(isFile(L"C:\\Suite\\Dati\\Utenti\\bianchi"));
    EXPECT_EQ(ask(g.get(), &_Global::GetDirectoryUtenti, L"bianchi"), L"C:\\Suite\\Dati\\Utenti\\bianchi");
    EXPECT_TRUE(isFile(L"C:\\Suite\\Dati\\Utenti\\bianchi"));
}

TEST_F(SuiteServer, CreaDirectoryOnAMissingDriveSucceedsAndMakesNothing) {
    Bstr path(L"Q:\\Suite\\Dati");
    EXPECT_EQ(g->CreaDirectory(path.get()), S_OK);
    EXPECT_TRUE(absent(L"Q:\\Suite"));
    Bstr here(L"C:\\Suite\\Dati\\Nuova\\Sotto");
    EXPECT_EQ(g->CreaDirectory(here.get()), S_OK);
    EXPECT_TRUE(isFolder(L"C:\\Suite\\Dati\\Nuova\\Sotto"));
}

namespace {

// Points the class registration of Global at another copy of the server until the
// object is destroyed; the prefix stays registered at the suite tree afterwards.
class ServerPathSwap {
public:
    explicit ServerPathSwap(const std::wstring& exe) {
        wchar_t clsid[40];
        StringFromGUID2(CLSID_Global, clsid, 40);
        key_ = std::wstring(L"Software\\Classes\\CLSID\\") + clsid + L"\\LocalServer32";
        wchar_t old[MAX_PATH * 2];
        DWORD size = sizeof(old);
        if (RegGetValueW(HKEY_LOCAL_MACHINE, key_.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, old, &size) ==
            ERROR_SUCCESS)
            old_ = old;
        set(L"\"" + exe + L"\"");
    }
    ~ServerPathSwap() { set(old_); }
    bool ok() const { return !old_.empty(); }

private:
    void set(const std::wstring& value) {
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, key_.c_str(), nullptr, REG_SZ, value.c_str(),
                        DWORD((value.size() + 1) * sizeof(wchar_t)));
    }
    std::wstring key_, old_;
};

// The current folder of this process for one scope; a server that COM starts under Wine
// inherits it, and "\Dati" of an empty base directory lies at the root of its drive.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::wstring& folder) {
        GetCurrentDirectoryW(MAX_PATH, before_);
        ok_ = SetCurrentDirectoryW(folder.c_str());
    }
    ~CurrentFolder() { SetCurrentDirectoryW(before_); }
    bool ok() const { return ok_; }

private:
    wchar_t before_[MAX_PATH] = {};
    bool ok_ = false;
};

// TEMP of this process for one scope; a server that COM starts inherits it.
class TempOfClient {
public:
    TempOfClient() {
        DWORD n = GetEnvironmentVariableW(L"TEMP", nullptr, 0);
        had_ = n > 0;
        if (had_) {
            saved_.resize(n);
            saved_.resize(GetEnvironmentVariableW(L"TEMP", saved_.data(), n));
        }
    }
    ~TempOfClient() { SetEnvironmentVariableW(L"TEMP", had_ ? saved_.c_str() : nullptr); }

private:
    bool had_ = false;
    std::wstring saved_;
};

} // namespace

TEST(ServerOneLevelBelowADrive, HasAnEmptyBaseAndItsDataAtTheDriveRoot) {
    ASSERT_TRUE(noServerLeft());
    removeTree(L"C:\\Server");
    removeTree(L"C:\\Dati");
    ASSERT_TRUE(CreateDirectoryW(L"C:\\Server", nullptr));
    ASSERT_TRUE(CopyFileW(L"C:\\Suite\\Eseguibili\\Server\\Ondrik.exe", L"C:\\Server\\Ondrik.exe", FALSE));
    ComPtr<_Global> g;
    {
        CurrentFolder cwd(L"C:\\Server");
        ASSERT_TRUE(cwd.ok());
        ServerPathSwap swap(L"C:\\Server\\Ondrik.exe");
        ASSERT_TRUE(swap.ok());
        g = remoteGlobal();
    }
    ASSERT_TRUE(g);
    EXPECT_EQ(ask(g.get(), &_Global::GetDirectoryBase), L"");
    EXPECT_EQ(ask(g.get(), &_Global::GetDirectoryBase), L""); // worked out again: still empty
    EXPECT_EQ(ask(g.get(), &_Global::GetDirectoryEseguibili, L""), L"\\Eseguibili");
    EXPECT_EQ(ask(g.get(), &_Global::GetDirectoryEseguibili, L"Contab.exe"), L"\\Eseguibili\\Contab");
    EXPECT_TRUE(absent(L"C:\\Eseguibili"));
    EXPECT_EQ(ask(g.get(), &_Global::GetDirectoryDati, L""), L"\\Dati");
    EXPECT_TRUE(isFolder(L"C:\\Dati"));
    EXPECT_EQ(ask(g.get(), &_Global::GetDirectoryUtenti, L"rossi"), L"\\Dati\\Utenti\\rossi");
    EXPECT_TRUE(isFolder(L"C:\\Dati\\Utenti\\rossi"));
    EXPECT_FALSE(installed(g.get(), L"Contab"));
    g.reset();
    EXPECT_TRUE(noServerLeft());
    removeTree(L"C:\\Dati");
    removeTree(L"C:\\Server");
}

TEST(ServerEnvironment, TemporaryFolderIsTheServersOwnTemp) {
    TempOfClient keep;
    ASSERT_TRUE(noServerLeft());
    SetEnvironmentVariableW(L"TEMP", L"C:\\Temp\\");
    ComPtr<_Global> g = remoteGlobal();
    ASSERT_TRUE(g);
    EXPECT_EQ(ask(g.get(), &_Global::GetTemporaryDirectory), L"C:\\Temp\\");
    EXPECT_EQ(ask(g.get(), &_Global::GetDirectoryBase), kSuite); // the registered server again
    // The client's later changes do not reach the running server.
    SetEnvironmentVariableW(L"TEMP", L"C:\\Altro");
    EXPECT_EQ(ask(g.get(), &_Global::GetTemporaryDirectory), L"C:\\Temp\\");
    std::wstring system = ask(g.get(), &_Global::GetSystemDirectory);
    EXPECT_EQ(ask(g.get(), &_Global::GetWindowsDirectory), system);
    EXPECT_FALSE(system.empty());
    g.reset();

    ASSERT_TRUE(noServerLeft());
    SetEnvironmentVariableW(L"TEMP", nullptr);
    g = remoteGlobal();
    ASSERT_TRUE(g);
    EXPECT_EQ(ask(g.get(), &_Global::GetTemporaryDirectory), system + L"\\TEMP");
    g.reset();
    EXPECT_TRUE(noServerLeft());
}
