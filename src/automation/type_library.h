// The type library embedded in the running executable.
#pragma once

#include <windows.h>

#include <oaidl.h>

namespace ondrik::typeLibrary {

// The library, loaded from this module's resources on first use (nullptr if that fails).
ITypeLib* get();

// Type information of one interface of the library (no reference is added).
ITypeInfo* infoOf(REFIID iid);

// The library's name, "" when it cannot be loaded: the source that the errors of its
// objects name.
const wchar_t* name();

// The vtable side of a dual interface (its parameters as declared, retval included),
// or nullptr (no reference is added).
ITypeInfo* vtableInfoOf(REFIID iid);

// Drops the cached library; the server calls it before leaving COM.
void release();

} // namespace ondrik::typeLibrary
