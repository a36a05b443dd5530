// The kinds of automation value that the bad-input matrix passes in every parameter.
#pragma once

#include <windows.h>

#include <oleauto.h>
#include <string>
#include <vector>

namespace matrix {

enum class Kind {
    Empty,
    Null,
    IntegerMin,
    IntegerMax,
    LongMin,
    LongMax,
    DoubleMin,
    DoubleMax,
    Currency,
    Date,
    True,
    False,
    BooleanOne, // VT_BOOL holding 1: neither True nor False
    EmptyText,
    EmbeddedNul,
    MillionChars,
    LoneSurrogate,
    Nothing,
    ClientObject,
    WrongServerObject,
    Array,
    Missing, // VT_ERROR DISP_E_PARAMNOTFOUND in the parameter's place
    Fewer,   // the call ends before the parameter: a shape, not a value
};

const std::vector<Kind>& allKinds();
const char* nameOf(Kind k);

// The objects that the object kinds pass (no reference is taken).
struct Objects {
    IDispatch* client = nullptr;
    IDispatch* wrongClass = nullptr;
};

// Makes the value of kind k (not for Fewer). The texts of the three string kinds that carry
// characters of their own start with textPrefix: a prefix keeps a name away from real
// files and hosts where the parameter would reach them.
VARIANT make(Kind k, const std::wstring& textPrefix, const Objects& objects);

// A Variant of the harmless kinds used for the other parameters.
VARIANT text(const std::wstring& s);
VARIANT number(long n);
VARIANT boolean(bool b);
VARIANT object(IDispatch* d); // takes a reference
VARIANT missing();

// The value as text, as the runtime converts it (flags as for VariantChangeType), cut at the
// first character of code 0 (where the platform stops reading); false when it does not convert.
bool asPlatformText(const VARIANT& v, USHORT flags, std::wstring& out);

} // namespace matrix
