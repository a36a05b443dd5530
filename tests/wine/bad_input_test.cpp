// The bad-input matrix: every member of every class of the registered server, called out
// of process through IDispatch, with every kind of automation value (matrix_values.h) in
// every parameter while the other parameters hold harmless values. The members come from
// the type library, so none is forgotten. Each call must succeed or fail with a clean
// automation error, members that never report failures must not raise, a successful
// call hands back the declared type, and the server must answer the next call.
//
// Left out for safety (the run prints each value it leaves out):
// - ApriDocumento: NomeFile takes only values that cannot name an existing file: the text
//   kinds lie below a missing folder, and values that convert to short relative names
//   (numbers, dates, Booleans), Empty and "" are not passed. Command varies with NomeFile
//   fixed to a missing file.
// - Sleep: only values that convert to a Long between -1000 and 100 ms.
// - RisolviIndirizzo: only values whose text, as the server reads it, is empty (the local
//   host) or "localhost"; the text kinds start with "localhost" and a NUL. A number's text
//   is an address outside the loopback range, and any other name would go to a name server.
// - GetURL: only values whose text is no URL (no scheme) or a loopback http URL.
// - CreaDirectory, GetDirectoryDati, GetDirectoryUtenti and CreaCollegamento may create
//   folders or files below C:\Suite; whatever the run adds there is removed afterwards.
#include "dispatch_helpers.h"
#include "file_helpers.h"
#include "matrix_client_app.h"
#include "matrix_invoke.h"
#include "matrix_members.h"
#include "matrix_values.h"
#include "matrix_watchdog.h"

#include "generated/Ondrik.h"

#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace testing_ondrik;
using matrix::Kind;
using matrix::Member;
using matrix::Outcome;
using matrix::Param;

namespace {

const std::wstring kSuite = L"C:\\Suite";
const std::wstring kMissingFolder = kSuite + L"\\MatriceNonEsiste\\";
const std::wstring kMissingDocument = kMissingFolder + L"documento.matrice";
const std::wstring kServerExe = kSuite + L"\\Eseguibili\\Server\\Ondrik.exe";
const std::wstring kLocalhost = L"localhost";

std::string narrow(const std::wstring& w) {
    return std::string(w.begin(), w.end());
}

bool startsWith(const std::wstring& s, const std::wstring& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

// A scheme as URLs begin with it: a letter, then letters, digits, "+", "-" or ".", then ":".
bool hasScheme(const std::wstring& t) {
    size_t colon = t.find(L':');
    if (colon == std::wstring::npos || colon == 0 || !iswalpha(t[0])) return false;
    for (size_t i = 0; i < colon; ++i)
        if (!iswalnum(t[i]) && t[i] != L'+' && t[i] != L'-' && t[i] != L'.') return false;
    return true;
}

// Every path below root, folders and files.
void listTree(const std::wstring& root, std::set<std::wstring>& out) {
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((root + L"\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring path = root + L"\\" + name;
        out.insert(path);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) listTree(path, out);
    } while (FindNextFileW(h, &found));
    FindClose(h);
}

// Removes what appeared below C:\Suite since it was constructed.
class SuiteTreeGuard {
public:
    SuiteTreeGuard() { listTree(kSuite, before_); }
    ~SuiteTreeGuard() {
        std::set<std::wstring> now;
        listTree(kSuite, now);
        for (const std::wstring& path : now) {
            if (before_.count(path)) continue;
            // Only the topmost new entry: removeTree takes what lies below it.
            size_t cut = path.rfind(L'\\');
            if (cut != std::wstring::npos && !before_.count(path.substr(0, cut)) &&
                path.substr(0, cut) != kSuite)
                continue;
            removeTree(path);
        }
    }

private:
    std::set<std::wstring> before_;
};

WORD flagsOf(const Member& m) {
    switch (m.kind) {
    case INVOKE_PROPERTYPUT:
        return DISPATCH_PROPERTYPUT;
    case INVOKE_PROPERTYPUTREF:
        return DISPATCH_PROPERTYPUTREF;
    case INVOKE_PROPERTYGET:
        return DISPATCH_METHOD | DISPATCH_PROPERTYGET;
    default:
        return m.hasResult ? DISPATCH_METHOD | DISPATCH_PROPERTYGET : DISPATCH_METHOD;
    }
}

std::string hex(HRESULT hr) {
    char b[16];
    std::snprintf(b, sizeof b, "0x%08lX", static_cast<unsigned long>(hr));
    return b;
}

// How an answer reads in the report.
std::string describe(HRESULT hr) {
    switch (hr) {
    case S_OK:
        return "success";
    case DISP_E_TYPEMISMATCH:
        return "DISP_E_TYPEMISMATCH";
    case DISP_E_OVERFLOW:
        return "DISP_E_OVERFLOW";
    case DISP_E_PARAMNOTOPTIONAL:
        return "DISP_E_PARAMNOTOPTIONAL";
    case DISP_E_BADPARAMCOUNT:
        return "DISP_E_BADPARAMCOUNT";
    case DISP_E_PARAMNOTFOUND:
        return "DISP_E_PARAMNOTFOUND";
    case DISP_E_MEMBERNOTFOUND:
        return "DISP_E_MEMBERNOTFOUND";
    case DISP_E_NOTACOLLECTION:
        return "DISP_E_NOTACOLLECTION";
    case DISP_E_BADVARTYPE:
        return "DISP_E_BADVARTYPE";
    case DISP_E_NONAMEDARGS:
        return "DISP_E_NONAMEDARGS";
    default:
        return "answered " + hex(hr);
    }
}

// A failure of the call's transport or a server-internal slip, never a clean answer.
bool brokenCode(HRESULT hr) {
    return HRESULT_FACILITY(hr) == FACILITY_RPC ||
           (HRESULT_FACILITY(hr) == FACILITY_WIN32 && HRESULT_CODE(hr) >= 1700 && HRESULT_CODE(hr) < 2000) ||
           hr == CO_E_OBJNOTCONNECTED || hr == E_UNEXPECTED || hr == E_POINTER || hr == E_FAIL;
}

// What is wrong with an outcome; empty when it is a success or a clean automation error.
std::string verdict(const Member& m, bool neverRaises, const Outcome& o) {
    switch (o.hr) {
    case S_OK: {
        if (!m.hasResult || m.resultType == VT_VARIANT) return {};
        VARTYPE got = V_VT(o.value.get());
        bool fits = got == m.resultType || (m.resultType == VT_UNKNOWN && got == VT_DISPATCH);
        return fits ? std::string() : "succeeded with a result of type " + std::to_string(got);
    }
    case DISP_E_EXCEPTION: {
        HRESULT code = o.error.scode   ? o.error.scode
                       : o.error.wCode ? MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, o.error.wCode)
                                       : S_OK;
        if (code == S_OK) return "raised an error without a number";
        if (neverRaises) return "raised " + hex(code) + ", but it never reports a failure";
        if (brokenCode(code)) return "raised " + hex(code);
        return {};
    }
    case DISP_E_TYPEMISMATCH:
    case DISP_E_OVERFLOW:
    case DISP_E_PARAMNOTOPTIONAL:
    case DISP_E_BADPARAMCOUNT:
    case DISP_E_PARAMNOTFOUND:
    case DISP_E_MEMBERNOTFOUND:
    case DISP_E_BADVARTYPE:
    case DISP_E_NONAMEDARGS:
    case DISP_E_NOTACOLLECTION:
        return {};
    default:
        return "answered " + hex(o.hr);
    }
}

// Members that never report a failure to the client: the guarded ones and the desktop
// helpers that do not examine what the platform answers.
bool neverRaises(const std::wstring& cls, const Member& m) {
    static const std::set<std::wstring> members = {
        L"Sessioni.Apri",
        L"Sessioni.Count",
        L"Sessioni.Item",
        L"Applicazioni.Apri",
        L"Applicazioni.Chiudi",
        L"Applicazioni.Count",
        L"Applicazioni.Item",
        L"ShellLink.LeggiCollegamento",
        L"ShellLink.CreaCollegamento",
        L"Global.GetDirectoryDati",
        L"Global.GetDirectoryUtenti",
        L"Global.GetDirectoryEseguibili",
        L"Global.GetURL",
        L"Global.RisolviIndirizzo",
        L"Global.CreaDirectory",
        L"Global.ParseCommand",
        L"Global.ApriDocumento",
        L"Global.SetTopMostWindow",
        L"Global.Sleep",
    };
    if (cls == L"ShellLink" && m.name == L"FileCollegato" && m.kind == INVOKE_PROPERTYPUT) return true;
    return members.count(cls + L"." + m.name) > 0;
}

class Matrix {
public:
    struct Target {
        std::wstring cls;
        IID iid;
        IDispatch* object; // nullptr: a fresh ShellLink for every member
    };

    Matrix() {
        client_ = MatrixClientApp::create();
        CoCreateInstance(CLSID_Global, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, global_.putVoid());
        shellLink_ = newShellLink();
        sessioni_ = objectCall(global_.get(), L"Sessioni", {});
        applicazioni_ = objectCall(global_.get(), L"Applicazioni", {});
        sessione_ = objectCall(sessioni_.get(), L"Apri", {str(L"MATRICE"), vbool(false)});
        applicazione_ = objectCall(applicazioni_.get(), L"Apri", {matrix::object(client_.get())});
        collection_ = objectCall(global_.get(), L"ParseCommand", {str(L"prog /a 1 /b"), str(L"/")});
    }
    ~Matrix() {
        // The server keeps nothing of this client once the run is over.
        CoDisconnectObject(client_.get(), 0);
    }

    bool ready() const {
        return global_ && shellLink_ && sessioni_ && applicazioni_ && sessione_ && applicazione_ &&
               collection_;
    }

    void run() {
        const Target targets[] = {
            {L"Global", IID__Global, global_.get()},
            {L"ShellLink", IID__ShellLink, nullptr},
            {L"Sessioni", IID__Sessioni, sessioni_.get()},
            {L"Sessione", IID__Sessione, sessione_.get()},
            {L"Applicazioni", IID__Applicazioni, applicazioni_.get()},
            {L"Applicazione", IID__Applicazione, nullptr}, // the current record (see followUp)
            {L"Collection", IID__Collection, collection_.get()},
        };
        for (const Target& t : targets) {
            std::vector<Member> members = matrix::membersOf(t.iid);
            EXPECT_FALSE(members.empty()) << "no members of " << narrow(t.cls) << " in the type library";
            for (const Member& m : members) {
                ++membersCalled_;
                if (!runMember(t, m)) return;
            }
        }
        sweep();
    }

    void report() const {
        std::printf("[ MATRIX   ] %ld calls through IDispatch on %ld members of 7 classes, "
                    "%ld liveness checks, %zu faults\n",
                    calls_, membersCalled_, checks_, faults_.size());
        for (const auto& [answer, count] : answers_)
            std::printf("[ MATRIX   ] %s: %ld calls (first: %s)\n", answer.c_str(), count,
                        firstOf_.at(answer).c_str());
        for (const auto& [reason, labels] : excluded_) {
            std::printf("[ MATRIX   ] left out (%s): %zu calls\n", reason.c_str(), labels.size());
            for (const std::string& l : labels) std::printf("[ MATRIX   ]     %s\n", l.c_str());
        }
        std::fflush(stdout);
    }

    long calls() const { return calls_; }

private:
    ComPtr<IDispatch> newShellLink() {
        ComPtr<IDispatch> s;
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, s.putVoid());
        return s;
    }

    static ComPtr<IDispatch> objectCall(IDispatch* d, const wchar_t* name, std::vector<VARIANT> args) {
        if (!d) return {};
        CallResult r;
        call(d, name, std::move(args), r);
        return ComPtr<IDispatch>(r.hr == S_OK ? dispatchOf(r.value) : nullptr);
    }

    // The harmless value of a parameter: valid, and with no effect outside the server
    // beyond what the exclusions above allow.
    VARIANT harmless(const std::wstring& cls, const Member& m, const Param& p) {
        const std::wstring key = cls + L"." + m.name + L"." + p.name;
        static const std::map<std::wstring, std::wstring> texts = {
            {L"Global.ApriDocumento.NomeFile", kMissingDocument},
            {L"Global.ApriDocumento.Command", L"open"},
            {L"Global.GetNomeFile.NomeFile", L"C:\\cartella\\nome.txt"},
            {L"Global.GetEstensioneFile.NomeFile", L"C:\\cartella\\nome.txt"},
            {L"Global.GetURL.URL", L"nessun-indirizzo"},
            {L"Global.GetURL.Header", L"NoHeader"},
            {L"Global.RisolviIndirizzo.IndirizzoDNS", kLocalhost},
            {L"Global.CreaDirectory.Path", kSuite + L"\\Dati\\MatriceOndrik\\Cartella"},
            {L"Global.ParseCommand.CommandLine", L"prog /a 1 /b"},
            {L"Global.ParseCommand.Delimiter", L"/"},
            {L"ShellLink.LeggiCollegamento.LinkFile", kMissingFolder + L"collegamento.lnk"},
            {L"ShellLink.CreaCollegamento.LinkFile", kSuite + L"\\MatriceOndrik.lnk"},
            {L"Sessioni.Apri.CodiceAzienda", L"MATRICE"},
        };
        if (auto it = texts.find(key); it != texts.end()) return matrix::text(it->second);
        if (key == L"Applicazioni.Apri.VBApp") return matrix::object(client_.get());
        if (key == L"Applicazione.Sessione.RHS") return matrix::object(sessione_.get());
        if (key == L"Applicazione.ThreadID.RHS") return matrix::number(77); // the record's own
        if (p.type == VT_DISPATCH || p.type == VT_UNKNOWN) return matrix::object(nullptr);
        if (p.type == VT_VARIANT) return p.optional ? matrix::missing() : matrix::number(1);
        if (p.type == VT_BOOL) return matrix::boolean(false);
        if (p.type == VT_BSTR) return matrix::text(cls == L"Global" ? L"MatriceOndrik" : L"valore");
        return matrix::number(0);
    }

    // What the text kinds start with in this parameter.
    static std::wstring textPrefix(const std::wstring& cls, const Member& m, const Param&) {
        if (cls == L"Global" && m.name == L"ApriDocumento")
            return kMissingFolder; // NomeFile; Command is free
        if (cls == L"Global" && m.name == L"RisolviIndirizzo") return kLocalhost + std::wstring(1, L'\0');
        return {};
    }

    // Why a value must not reach this parameter, or nullptr.
    static const char* unsafe(const std::wstring& cls, const Member& m, const Param& p, const VARIANT& v) {
        if (cls != L"Global") return nullptr;
        std::wstring t;
        if (m.name == L"ApriDocumento" && p.name == L"NomeFile") {
            if (matrix::asPlatformText(v, 0, t) && !startsWith(t, kMissingFolder))
                return "ApriDocumento: a NomeFile that could name something the shell opens";
        } else if (m.name == L"Sleep") {
            VARIANT n;
            VariantInit(&n);
            if (SUCCEEDED(VariantChangeType(&n, const_cast<VARIANT*>(&v), 0, VT_I4)) &&
                (V_I4(&n) < -1000 || V_I4(&n) > 100))
                return "Sleep: a time outside -1000..100 ms";
        } else if (m.name == L"RisolviIndirizzo") {
            if (matrix::asPlatformText(v, VARIANT_ALPHABOOL, t) && !t.empty() && t != kLocalhost)
                return "RisolviIndirizzo: a name or address beyond loopback";
        } else if (m.name == L"GetURL" && p.name == L"URL") {
            if (matrix::asPlatformText(v, 0, t) && hasScheme(t) && !startsWith(t, L"http://127."))
                return "GetURL: a URL that could reach the network";
        }
        return nullptr;
    }

    IDispatch* wrongClassFor(const std::wstring& cls, const Param& p) const {
        if (p.objectIid == IID__Sessione) return applicazione_.get();
        if (p.objectIid == IID__Applicazione) return sessione_.get();
        return cls == L"ShellLink" ? sessioni_.get() : shellLink_.get();
    }

    // Whether the server answers; false (and a failure) when it does not.
    bool alive(const std::string& after) {
        ++checks_;
        Outcome o;
        std::vector<VARIANT> none;
        matrix::invoke(sessioni_.get(), 0x60030002, DISPATCH_METHOD | DISPATCH_PROPERTYGET, none, o);
        if (o.hr == S_OK && V_VT(o.value.get()) == VT_I4) return true;
        ADD_FAILURE() << "the server no longer answers (" << hex(o.hr) << ") after " << after;
        faults_.push_back(after + ": server gone");
        return false;
    }

    // Makes one call of the matrix and checks it; false when the server is gone.
    bool attempt(const std::wstring& cls, IDispatch* object, const Member& m, WORD flags,
                 std::vector<VARIANT>& args, const std::string& label) {
        watchdog_.now(label);
        Outcome o;
        matrix::invoke(object, m.id, flags, args, o);
        ++calls_;
        std::string answer = o.hr == DISP_E_EXCEPTION ? "raised " + hex(o.error.scode) : describe(o.hr);
        if (answers_[answer]++ == 0) firstOf_[answer] = label;
        std::string wrong = verdict(m, neverRaises(cls, m), o);
        if (!wrong.empty()) {
            ADD_FAILURE() << label << " " << wrong;
            faults_.push_back(label + " " + wrong);
        }
        return alive(label);
    }

    // After a call that may have stored something in the application record: the register
    // closes the record (reading what was stored) and files it afresh.
    bool followUp(const std::wstring& cls, const Member& m, const std::string& label) {
        if (cls != L"Applicazione" || !m.isPut() || m.name != L"Sessione") return true;
        Member chiudi;
        chiudi.name = L"Chiudi";
        chiudi.id = 0x60030001;
        std::vector<VARIANT> args = {matrix::object(applicazione_.get())};
        if (!attempt(L"Applicazioni", applicazioni_.get(), chiudi, DISPATCH_METHOD, args,
                     "Applicazioni.Chiudi after " + label))
            return false;
        applicazione_ = objectCall(applicazioni_.get(), L"Apri", {matrix::object(client_.get())});
        ++calls_;
        if (!applicazione_)
            ADD_FAILURE() << "the client's application could not be filed again after " << label;
        return bool(applicazione_);
    }

    bool runMember(const Target& t, const Member& m) {
        ComPtr<IDispatch> object = t.object ? ComPtr<IDispatch>(t.object) : ComPtr<IDispatch>();
        if (t.cls == L"ShellLink") {
            object = newShellLink();
            // With an existing target, making a shortcut goes on to examine the file name.
            if (m.name == L"CreaCollegamento") {
                std::vector<VARIANT> target = {matrix::text(kServerExe)};
                Outcome o;
                matrix::invoke(object.get(), 0x68030002, DISPATCH_PROPERTYPUT, target, o);
            }
        }
        std::vector<WORD> flagSets = {flagsOf(m)};
        if (m.kind == INVOKE_PROPERTYPUTREF) flagSets.push_back(DISPATCH_PROPERTYPUT); // Set and Let alike
        const std::string member = narrow(t.cls) + "." + narrow(m.name);

        for (WORD flags : flagSets) {
            const std::string how = flags == DISPATCH_PROPERTYPUTREF ? " (Set)"
                                    : flags == DISPATCH_PROPERTYPUT  ? " (Let)"
                                                                     : "";
            for (size_t p = 0; p < m.params.size(); ++p) {
                const Param& param = m.params[p];
                for (Kind k : matrix::allKinds()) {
                    // Read afresh for every call: the application record is replaced as the run goes.
                    matrix::Objects objects{client_.get(), wrongClassFor(t.cls, param)};
                    IDispatch* target = t.object ? object.get() : currentObject(t, object);
                    std::string label =
                        member + how + "(" + narrow(param.name) + " = " + matrix::nameOf(k) + ")";
                    std::vector<VARIANT> args;
                    for (size_t q = 0; q < p; ++q) args.push_back(harmless(t.cls, m, m.params[q]));
                    if (k != Kind::Fewer) {
                        VARIANT v = matrix::make(k, textPrefix(t.cls, m, param), objects);
                        if (const char* why = unsafe(t.cls, m, param, v)) {
                            ondrik::Variant::adopt(v);
                            for (auto& a : args) ondrik::Variant::adopt(a);
                            excluded_[why].push_back(label);
                            continue;
                        }
                        args.push_back(v);
                        for (size_t q = p + 1; q < m.params.size(); ++q)
                            if (!m.params[q].paramArray) args.push_back(harmless(t.cls, m, m.params[q]));
                    }
                    if (!attempt(t.cls, target, m, flags, args, label)) return false;
                    if (!followUp(t.cls, m, label)) return false;
                }
            }
            // One argument too many (for a parameter array, one more item).
            std::vector<VARIANT> args;
            for (const Param& param : m.params)
                if (!param.paramArray) args.push_back(harmless(t.cls, m, param));
            args.push_back(matrix::number(0));
            IDispatch* target = t.object ? object.get() : currentObject(t, object);
            if (!attempt(t.cls, target, m, flags, args, member + how + " with one argument too many"))
                return false;
            if (!followUp(t.cls, m, member)) return false;
        }
        // A property that clients may only read, written to.
        if (m.readOnly) {
            std::vector<VARIANT> args = {matrix::text(L"valore")};
            IDispatch* target = t.object ? object.get() : currentObject(t, object);
            if (!attempt(t.cls, target, m, DISPATCH_PROPERTYPUT, args, member + " written to")) return false;
        }
        return true;
    }

    // The object of a target whose object changes during the run.
    IDispatch* currentObject(const Target& t, const ComPtr<IDispatch>& perMember) const {
        return t.cls == L"Applicazione" ? applicazione_.get() : perMember.get();
    }

    // Reads back everything the run stored: every item of both registers and of the
    // collection, with every property of each item.
    void sweep() {
        struct Place {
            std::wstring cls;
            IDispatch* collection;
            IID itemIid;
        };
        const Place places[] = {{L"Sessioni", sessioni_.get(), IID__Sessione},
                                {L"Applicazioni", applicazioni_.get(), IID__Applicazione},
                                {L"Collection", collection_.get(), GUID_NULL}};
        for (const Place& place : places) {
            Member newEnum;
            newEnum.name = L"NewEnum";
            newEnum.id = DISPID_NEWENUM;
            newEnum.hasResult = true;
            newEnum.resultType = VT_VARIANT;
            std::vector<VARIANT> none;
            Outcome o;
            watchdog_.now("the sweep of " + narrow(place.cls));
            matrix::invoke(place.collection, DISPID_NEWENUM, DISPATCH_METHOD | DISPATCH_PROPERTYGET, none, o);
            ++calls_;
            ASSERT_EQ(o.hr, S_OK) << "no enumerator from " << narrow(place.cls);
            IUnknown* unknown = V_VT(o.value.get()) == VT_UNKNOWN || V_VT(o.value.get()) == VT_DISPATCH
                                    ? V_UNKNOWN(o.value.get())
                                    : nullptr;
            ASSERT_TRUE(unknown);
            ComPtr<IEnumVARIANT> items;
            unknown->QueryInterface(IID_IEnumVARIANT, items.putVoid());
            ASSERT_TRUE(items);
            std::vector<Member> itemMembers = matrix::membersOf(place.itemIid);
            for (;;) {
                ondrik::Variant item;
                ULONG got = 0;
                if (items->Next(1, item.get(), &got) != S_OK || got != 1) break;
                ++calls_;
                if (V_VT(item.get()) != VT_DISPATCH || !V_DISPATCH(item.get())) continue;
                for (const Member& m : itemMembers) {
                    if (m.kind != INVOKE_PROPERTYGET) continue;
                    std::vector<VARIANT> args;
                    std::string label = "the sweep: " + narrow(place.cls) + " item ." + narrow(m.name);
                    if (!attempt(place.cls, V_DISPATCH(item.get()), m, DISPATCH_PROPERTYGET, args, label))
                        return;
                }
            }
            ++calls_; // the Next that ended the enumeration
            ASSERT_TRUE(alive("the sweep of " + narrow(place.cls)));
        }
    }

    matrix::Watchdog watchdog_;
    ComPtr<IDispatch> client_, global_, shellLink_, sessioni_, applicazioni_, sessione_, applicazione_,
        collection_;
    long calls_ = 0, checks_ = 0, membersCalled_ = 0;
    std::vector<std::string> faults_;
    std::map<std::string, std::vector<std::string>> excluded_;
    std::map<std::string, long> answers_;        // by result, or by error number for DISP_E_EXCEPTION
    std::map<std::string, std::string> firstOf_; // the first call of each answer
};

} // namespace

TEST(BadInput, EveryMemberTakesEveryKindOfValueAndTheServerAnswersOn) {
    SuiteTreeGuard cleanup;
    long calls = 0;
    {
        Matrix m;
        ASSERT_TRUE(m.ready()) << "the server's objects could not be reached";
        m.run();
        m.report();
        calls = m.calls();
    }
    RecordProperty("calls", int(calls));
    EXPECT_GT(calls, 1000);
}
