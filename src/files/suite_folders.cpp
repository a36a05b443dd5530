#include "files/suite_folders.h"

#include "files/file_system.h"
#include "files/suite_layout.h"

namespace ondrik::suiteFolders {
namespace {

// For the guarded getters: when even the server's own folder cannot be found (the
// process is out of memory), they answer empty and touch no folder rather than build
// paths from nothing.
bool knownBase(std::u16string& base, std::u16string& out) {
    return SUCCEEDED(directoryBase(base, out));
}

std::u16string madeSure(std::u16string path) {
    if (fileSystem::lookUp(path) != S_OK) fileSystem::createFolders(path);
    return path;
}

} // namespace

HRESULT directoryBase(std::u16string& base, std::u16string& out) {
    if (base.empty()) {
        // An empty answer is not remembered: the next call works it out again.
        std::u16string folder;
        HRESULT hr = fileSystem::executableFolder(folder);
        if (FAILED(hr)) return hr;
        base = suiteLayout::baseDirectory(folder);
    }
    out = base;
    return S_OK;
}

std::u16string executables(std::u16string& base, std::u16string_view programma) {
    std::u16string b;
    if (!knownBase(base, b)) return {};
    return suiteLayout::executablesFolder(b, programma);
}

std::u16string data(std::u16string& base, std::u16string_view programma) {
    std::u16string b;
    if (!knownBase(base, b)) return {};
    return madeSure(suiteLayout::dataFolder(b, programma));
}

std::u16string users(std::u16string& base, std::u16string_view utente) {
    std::u16string b;
    if (!knownBase(base, b)) return {};
    std::u16string dataRoot = madeSure(suiteLayout::dataFolder(b, u""));
    return madeSure(suiteLayout::usersFolder(dataRoot, utente));
}

HRESULT isInstalled(std::u16string& base, std::u16string_view programma, bool& out) {
    std::u16string b;
    HRESULT hr = directoryBase(base, b);
    if (FAILED(hr)) return hr;
    hr = fileSystem::lookUp(suiteLayout::executablesFolder(b, programma));
    if (FAILED(hr)) return hr;
    out = hr == S_OK;
    return S_OK;
}

} // namespace ondrik::suiteFolders
