// The embedded type library is the contract: every interface is checked here against
// the member tables (order, kind, dispatch identifier, parameters and their flags).
#include "automation/com_ptr.h"
#include "automation/type_library.h"
#include "generated/Ondrik.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

using ondrik::ComPtr;

namespace {

// params: space-separated names; "Name=text" has a string default, "Name?" is optional
// without default, "*Name" is by reference, "...Name" is the parameter array.
struct Member {
    const wchar_t* name;
    INVOKEKIND kind;
    DISPID id;
    const wchar_t* params;
};

constexpr INVOKEKIND M = INVOKE_FUNC, G = INVOKE_PROPERTYGET, L = INVOKE_PROPERTYPUT,
                     S = INVOKE_PROPERTYPUTREF;

const std::vector<Member> sessione = {
    {L"Creazione", G, 0x68030005, L""},     {L"ID", G, 0x68030004, L""},
    {L"UserID", G, 0x68030003, L""},        {L"UserID", L, 0x68030003, L"RHS"},
    {L"Password", G, 0x68030002, L""},      {L"Password", L, 0x68030002, L"RHS"},
    {L"CodiceAzienda", G, 0x68030001, L""}, {L"Condivisa", G, 0x68030000, L""},
};
const std::vector<Member> sessioni = {
    {L"Apri", M, 0x60030001, L"CodiceAzienda Condivisa UserID= Password="},
    {L"Count", M, 0x60030002, L""},
    {L"NewEnum", M, -4, L""},
    {L"Item", M, 0, L"Index"},
};
const std::vector<Member> applicazione = {
    {L"Comments", G, 0x6803000F, L""},
    {L"CompanyName", G, 0x6803000E, L""},
    {L"FileDescription", G, 0x6803000D, L""},
    {L"LegalCopyright", G, 0x6803000C, L""},
    {L"LegalTrademarks", G, 0x6803000B, L""},
    {L"Major", G, 0x6803000A, L""},
    {L"Minor", G, 0x68030009, L""},
    {L"Revision", G, 0x68030008, L""},
    {L"ProductName", G, 0x68030007, L""},
    {L"Title", G, 0x68030006, L""},
    {L"Path", G, 0x68030005, L""},
    {L"EXEName", G, 0x68030004, L""},
    {L"ThreadID", G, 0x68030003, L""},
    {L"ThreadID", L, 0x68030003, L"RHS"},
    {L"hInstance", G, 0x68030002, L""},
    {L"Sessione", G, 0x68030001, L""},
    {L"Sessione", S, 0x68030001, L"RHS"},
    {L"LinkTopic", G, 0x68030000, L""},
    {L"LinkTopic", L, 0x68030000, L"RHS"},
};
const std::vector<Member> applicazioni = {
    {L"Apri", M, 0x60030000, L"VBApp"}, {L"Chiudi", M, 0x60030001, L"Applicazione"},
    {L"Count", M, 0x60030002, L""},     {L"NewEnum", M, -4, L""},
    {L"Item", M, 0, L"Index"},
};
const std::vector<Member> global = {
    {L"ApriDocumento", M, 0x60030002, L"NomeFile Command=open"},
    {L"SetTopMostWindow", M, 0x60030003, L"hwnd Topmost"},
    {L"GetComputerName", M, 0x60030004, L""},
    {L"GetDirectoryDati", M, 0x60030005, L"Programma="},
    {L"GetDirectoryUtenti", M, 0x60030006, L"Utente="},
    {L"GetDirectoryEseguibili", M, 0x60030007, L"Programma="},
    {L"GetDirectoryBase", M, 0x60030008, L""},
    {L"GetNomeFile", M, 0x60030009, L"NomeFile"},
    {L"GetEstensioneFile", M, 0x6003000A, L"NomeFile"},
    {L"Sessioni", G, 0x68030001, L""},
    {L"Applicazioni", G, 0x68030000, L""},
    {L"GetTemporaryDirectory", M, 0x6003000B, L""},
    {L"GetURL", M, 0x6003000C, L"URL ByteArray *Header?"},
    {L"RisolviIndirizzo", M, 0x6003000D, L"IndirizzoDNS"},
    {L"GetWindowsDirectory", M, 0x6003000E, L""},
    {L"GetSystemDirectory", M, 0x60030010, L""},
    {L"GetDesktopDirectory", M, 0x60030011, L""},
    {L"GetCommonDesktopDirectory", M, 0x60030012, L""},
    {L"GetProgramFilesDirectory", M, 0x60030013, L""},
    {L"CreaDirectory", M, 0x60030014, L"Path"},
    {L"IsVendrasil", M, 0x60030015, L"Programma"},
    {L"ParseCommand", M, 0x60030016, L"CommandLine Delimiter ...FLAGS"},
    {L"Sleep", M, 0x60030017, L"Milliseconds"},
};
const std::vector<Member> shellLink = {
    {L"Argomenti", G, 0x68030005, L""},
    {L"Argomenti", L, 0x68030005, L"RHS"},
    {L"Descrizione", G, 0x68030004, L""},
    {L"Descrizione", L, 0x68030004, L"RHS"},
    {L"DirectoryDiLavoro", G, 0x68030003, L""},
    {L"DirectoryDiLavoro", L, 0x68030003, L"RHS"},
    {L"FileCollegato", G, 0x68030002, L""},
    {L"FileCollegato", L, 0x68030002, L"RHS"},
    {L"Nome", G, 0x68030001, L""},
    {L"LeggiCollegamento", M, 0x60030006, L"LinkFile"},
    {L"NomeFile", G, 0x68030000, L""},
    {L"CreaCollegamento", M, 0x60030007, L"LinkFile"},
};

std::wstring describeParam(const FUNCDESC& f, SHORT i, BSTR name) {
    const ELEMDESC& e = f.lprgelemdescParam[i];
    std::wstring out;
    if (f.cParamsOpt == -1 && i == f.cParams - 2) out += L"...";
    bool byRef = e.tdesc.vt == VT_PTR && e.tdesc.lptdesc->vt != VT_USERDEFINED;
    if (byRef) out += L"*";
    out += name;
    USHORT flags = e.paramdesc.wParamFlags;
    if (flags & PARAMFLAG_FHASDEFAULT) {
        const VARIANT& d = e.paramdesc.pparamdescex->varDefaultValue;
        out += L"=";
        if (V_VT(&d) == VT_BSTR) out += V_BSTR(&d);
    } else if (flags & PARAMFLAG_FOPT) {
        out += L"?";
    }
    return out;
}

void checkInterface(REFIID iid, const std::vector<Member>& expected) {
    ITypeInfo* vtable = ondrik::typeLibrary::vtableInfoOf(iid);
    ITypeInfo* disp = ondrik::typeLibrary::infoOf(iid);
    ASSERT_NE(vtable, nullptr);
    ASSERT_NE(disp, nullptr);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(disp->GetTypeAttr(&attr), S_OK);
    WORD flags = attr->wTypeFlags;
    disp->ReleaseTypeAttr(attr);
    ASSERT_EQ(vtable->GetTypeAttr(&attr), S_OK);
    flags |= attr->wTypeFlags; // oleautomation is carried by the vtable side
    vtable->ReleaseTypeAttr(attr);
    EXPECT_TRUE(flags & TYPEFLAG_FHIDDEN);
    EXPECT_TRUE(flags & TYPEFLAG_FNONEXTENSIBLE);
    EXPECT_TRUE(flags & TYPEFLAG_FDUAL);
    EXPECT_TRUE(flags & TYPEFLAG_FOLEAUTOMATION);

    ASSERT_EQ(vtable->GetTypeAttr(&attr), S_OK);
    ASSERT_EQ(attr->cFuncs, expected.size());
    vtable->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < expected.size(); ++i) {
        const Member& m = expected[i];
        FUNCDESC* f = nullptr;
        ASSERT_EQ(vtable->GetFuncDesc(i, &f), S_OK);
        BSTR names[16] = {};
        UINT count = 0;
        vtable->GetNames(f->memid, names, 16, &count);
        SCOPED_TRACE(testing::Message() << "member " << i);
        EXPECT_STREQ(names[0], m.name);
        EXPECT_EQ(f->invkind, m.kind);
        EXPECT_EQ(f->memid, m.id);
        EXPECT_EQ(f->oVft, SHORT((7 + i) * sizeof(void*)));
        EXPECT_EQ(bool(f->wFuncFlags & FUNCFLAG_FHIDDEN), m.id == -4);
        std::wstring params;
        for (SHORT p = 0; p < f->cParams; ++p) {
            if (f->lprgelemdescParam[p].paramdesc.wParamFlags & PARAMFLAG_FRETVAL) continue;
            if (!params.empty()) params += L" ";
            // GetNames answers for the first member of an identifier (a property's get), so
            // a put's value is checked by position only.
            bool put = f->invkind != INVOKE_FUNC && f->invkind != INVOKE_PROPERTYGET;
            BSTR name = !put && UINT(p + 1) < count ? names[p + 1] : const_cast<BSTR>(L"RHS");
            params += describeParam(*f, p, name);
        }
        EXPECT_EQ(params, m.params);
        for (UINT k = 0; k < count; ++k) SysFreeString(names[k]);
        vtable->ReleaseFuncDesc(f);
    }
}

void checkClass(REFCLSID clsid, REFIID defaultItf, bool creatable, bool appObject) {
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(ondrik::typeLibrary::get()->GetTypeInfoOfGuid(clsid, info.put()), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_COCLASS);
    EXPECT_EQ(bool(attr->wTypeFlags & TYPEFLAG_FCANCREATE), creatable);
    EXPECT_EQ(bool(attr->wTypeFlags & TYPEFLAG_FAPPOBJECT), appObject);
    EXPECT_EQ(attr->cImplTypes, 1);
    info->ReleaseTypeAttr(attr);
    INT implFlags = 0;
    info->GetImplTypeFlags(0, &implFlags);
    EXPECT_TRUE(implFlags & IMPLTYPEFLAG_FDEFAULT);
    HREFTYPE ref = 0;
    ComPtr<ITypeInfo> itf;
    ASSERT_EQ(info->GetRefTypeOfImplType(0, &ref), S_OK);
    ASSERT_EQ(info->GetRefTypeInfo(ref, itf.put()), S_OK);
    ASSERT_EQ(itf->GetTypeAttr(&attr), S_OK);
    EXPECT_TRUE(IsEqualGUID(attr->guid, defaultItf));
    itf->ReleaseTypeAttr(attr);
}

} // namespace

TEST(TypeLibrary, NamesTheLibraryWithItsVersionAndHelpString) {
    ITypeLib* lib = ondrik::typeLibrary::get();
    ASSERT_NE(lib, nullptr);
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
    EXPECT_EQ(attr->wMajorVerNum, 8);
    EXPECT_EQ(attr->wMinorVerNum, 0);
    EXPECT_TRUE(IsEqualGUID(attr->guid, LIBID_Ondrik));
    // The library of each build describes that build's platform: the product's is Win32.
    EXPECT_EQ(attr->syskind, sizeof(void*) == 4 ? SYS_WIN32 : SYS_WIN64);
    lib->ReleaseTLibAttr(attr);
    BSTR name = nullptr, help = nullptr;
    ASSERT_EQ(lib->GetDocumentation(-1, &name, &help, nullptr, nullptr), S_OK);
    EXPECT_STREQ(name, L"Ondrik");
    EXPECT_STREQ(help, L"VENDRASIL - Funzionalit\u00e0 comuni per tutte le applicazioni Win32");
    SysFreeString(name);
    SysFreeString(help);
}

TEST(TypeLibrary, ClassesAndTheirDefaultInterfaces) {
    checkClass(CLSID_Global, IID__Global, true, true);
    checkClass(CLSID_ShellLink, IID__ShellLink, true, false);
    checkClass(CLSID_Sessione, IID__Sessione, false, false);
    checkClass(CLSID_Sessioni, IID__Sessioni, false, false);
    checkClass(CLSID_Applicazione, IID__Applicazione, false, false);
    checkClass(CLSID_Applicazioni, IID__Applicazioni, false, false);
}

TEST(TypeLibrary, EveryInterfaceFollowsItsMemberTable) {
    checkInterface(IID__Sessione, sessione);
    checkInterface(IID__Sessioni, sessioni);
    checkInterface(IID__Applicazione, applicazione);
    checkInterface(IID__Applicazioni, applicazioni);
    checkInterface(IID__Global, global);
    checkInterface(IID__ShellLink, shellLink);
}

namespace {

std::wstring helpOf(ITypeInfo* info, MEMBERID id) {
    BSTR help = nullptr;
    info->GetDocumentation(id, nullptr, &help, nullptr, nullptr);
    std::wstring out = help ? help : L"";
    SysFreeString(help);
    return out;
}

// One sentence: a full stop at its end and nowhere before a blank.
void expectSentence(const std::wstring& help) {
    EXPECT_FALSE(help.empty());
    EXPECT_EQ(help.back(), L'.') << std::string(help.begin(), help.end());
    EXPECT_EQ(help.find(L". "), std::wstring::npos);
}

} // namespace

// The Object Browser and IntelliSense show these. A property's get and put share their
// identifier, and the library answers for an identifier with its first member's text.
TEST(TypeLibrary, EveryTypeAndMemberHasAHelpString) {
    ITypeLib* lib = ondrik::typeLibrary::get();
    ASSERT_NE(lib, nullptr);
    UINT types = lib->GetTypeInfoCount(), members = 0;
    EXPECT_EQ(types, 14u); // seven classes, seven interfaces
    for (UINT t = 0; t < types; ++t) {
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(lib->GetTypeInfo(t, info.put()), S_OK);
        SCOPED_TRACE(testing::Message() << "type " << t);
        expectSentence(helpOf(info.get(), MEMBERID_NIL));
        // A dual interface's own members, without those of IDispatch, are on its vtable side.
        HREFTYPE ref = 0;
        ComPtr<ITypeInfo> vtable;
        if (FAILED(info->GetRefTypeOfImplType(-1, &ref)) || FAILED(info->GetRefTypeInfo(ref, vtable.put()))) continue;
        TYPEATTR* attr = nullptr;
        ASSERT_EQ(vtable->GetTypeAttr(&attr), S_OK);
        for (UINT i = 0; i < attr->cFuncs; ++i, ++members) {
            FUNCDESC* f = nullptr;
            ASSERT_EQ(vtable->GetFuncDesc(i, &f), S_OK);
            SCOPED_TRACE(testing::Message() << "member " << i);
            expectSentence(helpOf(vtable.get(), f->memid));
            vtable->ReleaseFuncDesc(f);
        }
        vtable->ReleaseTypeAttr(attr);
    }
    EXPECT_EQ(members, 76u);
}
