// A suite application's sequence against Ondrik, bound early: through the vtables of the
// dual interfaces, from the two files dist/ gives C and C++ clients (Ondrik.h and
// Ondrik_i.c) and nothing else. It walks what examples/suite-app.vbs walks: open a
// session, register the application, attach the session, ask for the suite's folders,
// read the switches of its command line, close. Its words make the command line (without
// any, a sample line is parsed); with -porta PORT, the port of a web server on this
// machine, it also downloads that server's front page. It ends with exit code 1 at the
// first call that fails. The README ("Early-bound clients") says how to build it.
#include "Ondrik.h"

#include <cstdio>
#include <string>

namespace {

// A call that failed: what it was, and its error.
struct Failure {
    const char* what;
    HRESULT hr;
};

void ok(HRESULT hr, const char* what) {
    if (FAILED(hr)) throw Failure{what, hr};
}

// Owns one reference to an interface.
template <class T> class Ref {
public:
    Ref() = default;
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    ~Ref() {
        if (p_) p_->Release();
    }
    T* operator->() const { return p_; }
    T* get() const { return p_; }
    T** put() { return &p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

// Owns one BSTR.
class Text {
public:
    Text() = default;
    explicit Text(const wchar_t* s) : b_(SysAllocString(s)) {}
    explicit Text(const std::string& s) { // text in the system's ANSI code page
        int n = MultiByteToWideChar(CP_ACP, 0, s.data(), int(s.size()), nullptr, 0);
        b_ = SysAllocStringLen(nullptr, UINT(n));
        if (b_) MultiByteToWideChar(CP_ACP, 0, s.data(), int(s.size()), b_, n);
    }
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;
    ~Text() { SysFreeString(b_); }
    BSTR get() const { return b_; }
    BSTR* put() { return &b_; }
    const wchar_t* c_str() const { return b_ ? b_ : L""; }

private:
    BSTR b_ = nullptr;
};

// Owns one VARIANT.
struct Value {
    VARIANT v;
    Value() { VariantInit(&v); }
    Value(const Value&) = delete;
    Value& operator=(const Value&) = delete;
    ~Value() { VariantClear(&v); }
};

// The application object a suite program hands to the server, which reads its version
// data by name (IDispatch): a fixed table of names and values. COM may let go of it after
// the client's last call, so it lives on the heap and ends with its last reference.
class SuiteApp : public IDispatch {
public:
    static SuiteApp* create() { return new SuiteApp; }

    static constexpr int kCount = 9;
    struct Field {
        const wchar_t* name;
        const wchar_t* text; // or, when null, the number
        long number;
    };
    static constexpr Field kFields[kCount] = {
        {L"EXEName", L"Contab", 0},        {L"Title", L"Contabilita", 0},
        {L"ProductName", L"Suite", 0},     {L"CompanyName", L"VENDRASIL", 0},
        {L"Major", nullptr, 2},            {L"Minor", nullptr, 0},
        {L"Revision", nullptr, 7},         {L"hInstance", nullptr, 4194304},
        {L"ThreadID", nullptr, 1234},
    };

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch)) return E_NOINTERFACE;
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ULONG(InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return ULONG(left);
    }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        if (n) *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!names || !ids || count != 1) return E_INVALIDARG;
        for (DISPID k = 0; k < kCount; ++k)
            if (lstrcmpiW(names[0], kFields[k].name) == 0) {
                ids[0] = k + 1;
                return S_OK;
            }
        ids[0] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                        UINT*) override {
        if (id < 1 || id > kCount || !(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
        if (!result) return S_OK;
        const Field& f = kFields[id - 1];
        VariantInit(result);
        if (f.text) {
            V_VT(result) = VT_BSTR;
            V_BSTR(result) = SysAllocString(f.text);
        } else {
            V_VT(result) = VT_I4;
            V_I4(result) = f.number;
        }
        return S_OK;
    }

private:
    SuiteApp() = default;
    virtual ~SuiteApp() = default;
    LONG refs_ = 1;
};

void showRegisters(_Global* g, const char* heading) {
    std::printf("%s\n", heading);
    Ref<_Sessioni> sessions;
    ok(g->get_Sessioni(sessions.put()), "Sessioni");
    long n = 0;
    ok(sessions->Count(&n), "Sessioni.Count");
    std::printf("  sessions: %ld\n", n);
    for (long i = 1; i <= n; ++i) {
        Value index;
        V_VT(&index.v) = VT_I4;
        V_I4(&index.v) = i;
        Ref<_Sessione> s;
        ok(sessions->Item(index.v, s.put()), "Sessioni.Item");
        long id = 0;
        Text company, user, opened;
        VARIANT_BOOL shared = 0;
        DATE created = 0;
        ok(s->get_ID(&id), "Sessione.ID");
        ok(s->get_CodiceAzienda(company.put()), "Sessione.CodiceAzienda");
        ok(s->get_UserID(user.put()), "Sessione.UserID");
        ok(s->get_Condivisa(&shared), "Sessione.Condivisa");
        ok(s->get_Creazione(&created), "Sessione.Creazione");
        ok(VarBstrFromDate(created, LOCALE_USER_DEFAULT, 0, opened.put()), "the opening date as text");
        std::printf("    K%ld  company %ls, user %ls, shared %s, opened %ls\n", id, company.c_str(), user.c_str(),
                    shared ? "True" : "False", opened.c_str());
    }
    Ref<_Applicazioni> apps;
    ok(g->get_Applicazioni(apps.put()), "Applicazioni");
    ok(apps->Count(&n), "Applicazioni.Count");
    std::printf("  applications: %ld\n", n);
    // The register's own enumerator, as a for-each loop walks it.
    Value enumerator;
    ok(apps->NewEnum(&enumerator.v), "Applicazioni.NewEnum");
    Ref<IEnumVARIANT> each;
    ok(V_UNKNOWN(&enumerator.v)->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(each.put())),
       "the enumerator");
    for (;;) {
        Value item;
        ULONG got = 0;
        if (each->Next(1, &item.v, &got) != S_OK || got != 1) break;
        Ref<_Applicazione> a;
        ok(V_DISPATCH(&item.v)->QueryInterface(IID__Applicazione, reinterpret_cast<void**>(a.put())),
           "an application record");
        Text name, title;
        long instance = 0, thread = 0;
        short major = 0, minor = 0, revision = 0;
        ok(a->get_EXEName(name.put()), "Applicazione.EXEName");
        ok(a->get_hInstance(&instance), "Applicazione.hInstance");
        ok(a->get_ThreadID(&thread), "Applicazione.ThreadID");
        ok(a->get_Title(title.put()), "Applicazione.Title");
        ok(a->get_Major(&major), "Applicazione.Major");
        ok(a->get_Minor(&minor), "Applicazione.Minor");
        ok(a->get_Revision(&revision), "Applicazione.Revision");
        std::printf("    %ls|%ld|%ld  %ls %d.%d.%d\n", name.c_str(), instance, thread, title.c_str(), major, minor,
                    revision);
    }
}

// One folder method of Global that takes a program's or a user's name.
std::wstring folder(_Global* g, HRESULT (STDMETHODCALLTYPE _Global::*get)(BSTR, BSTR*), const wchar_t* name,
                    const char* what) {
    Text arg(name), result;
    ok((g->*get)(arg.get(), result.put()), what);
    return result.c_str();
}

// The application's switches, as the suite's programs read them at start. Returns the
// value of -porta, or "".
std::wstring showCommandLine(_Global* g, const std::string& line) {
    static const wchar_t* const switches[] = {L"-U", L"-D", L"-A", L"/U", L"/D", L"/A", L"-porta"};
    constexpr LONG count = sizeof switches / sizeof switches[0];
    std::printf("Command line: %s\n", line.c_str());
    // The param array: a SAFEARRAY of Variants, one switch each.
    SAFEARRAY* flags = SafeArrayCreateVector(VT_VARIANT, 0, count);
    if (!flags) throw Failure{"the switch list", E_OUTOFMEMORY};
    for (LONG i = 0; i < count; ++i) {
        Value v;
        V_VT(&v.v) = VT_BSTR;
        V_BSTR(&v.v) = SysAllocString(switches[i]);
        SafeArrayPutElement(flags, &i, &v.v);
    }
    Text commandLine(line), space(L" ");
    Ref<_Collection> parsed;
    HRESULT hr = g->ParseCommand(commandLine.get(), space.get(), flags, parsed.put());
    SafeArrayDestroy(flags);
    ok(hr, "ParseCommand");
    if (!parsed) {
        std::printf("  (empty: nothing to read)\n");
        return L"";
    }
    long n = 0;
    ok(parsed->Count(&n), "Collection.Count");
    for (long i = 1; i <= n; ++i) {
        Value index, item;
        V_VT(&index.v) = VT_I4;
        V_I4(&index.v) = i;
        ok(parsed->Item(index.v, &item.v), "Collection.Item");
        ok(VariantChangeType(&item.v, &item.v, 0, VT_BSTR), "an item as text");
        std::printf("  item %ld: [%ls]\n", i, V_BSTR(&item.v));
    }
    std::wstring port;
    for (const wchar_t* name : switches) {
        Value key, item;
        V_VT(&key.v) = VT_BSTR;
        V_BSTR(&key.v) = SysAllocString(name);
        if (FAILED(parsed->Item(key.v, &item.v))) continue; // a switch not on the line
        ok(VariantChangeType(&item.v, &item.v, 0, VT_BSTR), "a switch's value as text");
        std::printf("  switch %ls = [%ls]\n", name, V_BSTR(&item.v));
        if (lstrcmpW(name, L"-porta") == 0) port = V_BSTR(&item.v);
    }
    return port == L"-porta" ? L"" : port;
}

void download(_Global* g, const std::wstring& port) {
    Text url((L"http://127.0.0.1:" + port + L"/").c_str()), headers(L"");
    Value page;
    ok(g->GetURL(url.get(), VARIANT_FALSE, headers.put(), &page.v), "GetURL");
    if (V_VT(&page.v) == VT_EMPTY) {
        std::printf("Nothing could be downloaded from port %ls\n", port.c_str());
        return;
    }
    std::wstring head = headers.c_str();
    std::printf("Downloaded %u characters from port %ls; the response began: %ls\n",
                V_VT(&page.v) == VT_BSTR ? SysStringLen(V_BSTR(&page.v)) : 0u, port.c_str(),
                head.substr(0, head.find(L"\r\n")).c_str());
}

int run(const std::string& line) {
    Ref<_Global> g;
    ok(CoCreateInstance(CLSID_Global, nullptr, CLSCTX_LOCAL_SERVER, IID__Global, reinterpret_cast<void**>(g.put())),
       "creating Ondrik.Global");
    showRegisters(g.get(), "At start");

    Ref<_Sessioni> sessions;
    ok(g->get_Sessioni(sessions.put()), "Sessioni");
    Text company(L"AZ01"), user(L"mario.rossi"), password(L"segreta");
    Ref<_Sessione> session;
    ok(sessions->Apri(company.get(), VARIANT_TRUE, user.get(), password.get(), session.put()), "Sessioni.Apri");
    long sessionId = 0;
    ok(session->get_ID(&sessionId), "Sessione.ID");
    std::printf("Opened the shared session of company AZ01: K%ld\n", sessionId);

    Value appArg; // holds the one reference
    V_VT(&appArg.v) = VT_DISPATCH;
    V_DISPATCH(&appArg.v) = SuiteApp::create();
    Ref<_Applicazioni> apps;
    ok(g->get_Applicazioni(apps.put()), "Applicazioni");
    Ref<_Applicazione> record;
    ok(apps->Apri(appArg.v, record.put()), "Applicazioni.Apri");
    if (!record) throw Failure{"Applicazioni.Apri (the application was not registered)", E_FAIL};
    ok(record->putref_Sessione(session.get()), "Applicazione.Sessione");
    Text name;
    long instance = 0, thread = 0;
    ok(record->get_EXEName(name.put()), "Applicazione.EXEName");
    ok(record->get_hInstance(&instance), "Applicazione.hInstance");
    ok(record->get_ThreadID(&thread), "Applicazione.ThreadID");
    std::printf("Registered as %ls|%ld|%ld, working in session K%ld\n", name.c_str(), instance, thread, sessionId);
    showRegisters(g.get(), "While running");

    std::printf("Folders of the suite\n");
    Text base, temporary, userName;
    VARIANT_BOOL installed = 0;
    ok(g->GetDirectoryBase(base.put()), "GetDirectoryBase");
    ok(g->IsVendrasil(name.get(), &installed), "IsVendrasil");
    ok(session->get_UserID(userName.put()), "Sessione.UserID");
    ok(g->GetTemporaryDirectory(temporary.put()), "GetTemporaryDirectory");
    std::printf("  base:        %ls\n", base.c_str());
    std::printf("  executables: %ls  (installed: %s)\n",
                folder(g.get(), &_Global::GetDirectoryEseguibili, name.c_str(), "GetDirectoryEseguibili").c_str(),
                installed ? "True" : "False");
    std::printf("  data:        %ls\n", folder(g.get(), &_Global::GetDirectoryDati, name.c_str(), "GetDirectoryDati").c_str());
    std::printf("  user:        %ls\n",
                folder(g.get(), &_Global::GetDirectoryUtenti, userName.c_str(), "GetDirectoryUtenti").c_str());
    std::printf("  temporary:   %ls\n", temporary.c_str());

    std::wstring port = showCommandLine(g.get(), line);

    ok(apps->Chiudi(record.get()), "Applicazioni.Chiudi");
    std::printf("Closed the application\n");
    showRegisters(g.get(), "At the end");

    if (!port.empty()) download(g.get(), port);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::string line = "contab.exe";
    for (int i = 1; i < argc; ++i) line += std::string(" ") + argv[i];
    if (argc == 1) line = "contab.exe ditta01 -u mario.rossi /D archivio 2024 -a";
    if (FAILED(CoInitialize(nullptr))) return 1;
    int result = 1;
    try {
        result = run(line);
    } catch (const Failure& f) {
        std::printf("%s failed: error 0x%08lX\n", f.what, static_cast<unsigned long>(f.hr));
    }
    CoUninitialize();
    return result;
}
