#include "files/suite_folders.h"

#include "automation/return_if_failed.h"
#include "automation/worker_call.h"
#include "files/file_system.h"
#include "files/suite_layout.h"

#include <memory>

namespace ondrik::suiteFolders {
namespace {

// For the guarded getters: when even the server's own folder cannot be found (the
// process is out of memory), they answer empty and touch no folder rather than build
// paths from nothing.
bool knownBase(std::u16string& base, std::u16string& out) {
    return SUCCEEDED(directoryBase(base, out));
}

// The existence test, and the creation when it finds nothing or fails.
void makeSure(const std::u16string& path) {
    if (fileSystem::lookUp(path) != S_OK) fileSystem::createFolders(path);
}

// The folders are made sure of, in order, off the server's thread: a share that answers
// slowly (an unreachable one takes tens of seconds) holds only this call.
void makeSureServing(std::u16string first, std::u16string second = {}) {
    runServing([first = std::move(first), second = std::move(second)] {
        makeSure(first);
        if (!second.empty()) makeSure(second);
    });
}

} // namespace

HRESULT directoryBase(std::u16string& base, std::u16string& out) {
    if (base.empty()) {
        // An empty answer is not remembered: the next call works it out again.
        std::u16string folder;
        RETURN_IF_FAILED(fileSystem::executableFolder(folder));
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
    std::u16string folder = suiteLayout::dataFolder(b, programma);
    makeSureServing(folder);
    return folder;
}

std::u16string users(std::u16string& base, std::u16string_view utente) {
    std::u16string b;
    if (!knownBase(base, b)) return {};
    std::u16string dataRoot = suiteLayout::dataFolder(b, u"");
    std::u16string folder = suiteLayout::usersFolder(dataRoot, utente);
    makeSureServing(dataRoot, folder);
    return folder;
}

HRESULT isInstalled(std::u16string& base, std::u16string_view programma, bool& out) {
    std::u16string b;
    RETURN_IF_FAILED(directoryBase(base, b));
    auto found = std::make_shared<HRESULT>(E_FAIL);
    HRESULT hr = runServing([found, folder = suiteLayout::executablesFolder(b, programma)] {
        *found = fileSystem::lookUp(folder);
    });
    if (SUCCEEDED(hr)) hr = *found;
    RETURN_IF_FAILED(hr);
    out = hr == S_OK;
    return S_OK;
}

void createFolders(std::u16string_view path) {
    runServing([path = std::u16string(path)] { fileSystem::createFolders(path); });
}

} // namespace ondrik::suiteFolders
