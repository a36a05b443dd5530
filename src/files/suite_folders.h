// The suite's folders of one Global object: the base directory it remembers, the
// executables, data and user folders below it, and whether a program is installed.
// Data and user folders are created, with every missing parent, when they are asked for.
// The file system is reached from a worker thread: the server serves other clients while
// a slow drive or share answers. The base directory is the object's own state and is
// kept on the server's thread.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace ondrik::suiteFolders {

// GetDirectoryBase. base is the object's remembered base directory: computed from the
// server's own folder while it is empty, kept once it is not.
HRESULT directoryBase(std::u16string& base, std::u16string& out);

// GetDirectoryEseguibili: named only, never looked up or created.
std::u16string executables(std::u16string& base, std::u16string_view programma);

// GetDirectoryDati: created when the existence test finds nothing there or fails.
std::u16string data(std::u16string& base, std::u16string_view programma);

// GetDirectoryUtenti: the data root made sure of first, then the users' folder.
std::u16string users(std::u16string& base, std::u16string_view utente);

// IsVendrasil: whether an entry stands at the program's executables folder; the
// look-up's failure is passed on.
HRESULT isInstalled(std::u16string& base, std::u16string_view programma, bool& out);

// CreaDirectory: fileSystem::createFolders, from a worker thread.
void createFolders(std::u16string_view path);

} // namespace ondrik::suiteFolders
