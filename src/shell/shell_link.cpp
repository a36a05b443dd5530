#include "shell/shell_link.h"

#include "automation/bstr.h"
#include "shell/plain_file.h"
#include "shell/shortcut_file.h"
#include "shell/shortcut_name.h"

namespace ondrik {

HRESULT ShellLink::storeAndRewrite(std::u16string& field, BSTR value) {
    return unguarded([&] {
        field = toU16(value);
        rewrite();
        return S_OK;
    });
}

void ShellLink::rewrite() noexcept {
    if (nomeFile_.empty()) return;
    try {
        writeTo(nomeFile_);
    } catch (...) {
    }
}

bool ShellLink::readFrom(const std::u16string& linkFile) {
    if (!isPlainFile(linkFile)) return false;
    // A bare name without a folder is not looked up in the server's current folder.
    if (!splitShortcutPath(linkFile)) return false;
    ShortcutReading found = readShortcut(linkFile);
    // A file that is no shortcut leaves the object as it was: adopting it as NomeFile
    // would let the next change of a value overwrite it.
    if (!found.loaded) return false;
    bool complete = true;
    auto take = [&](std::optional<std::u16string>& value, std::u16string& field) {
        if (value)
            field = std::move(*value);
        else
            complete = false;
    };
    take(found.arguments, argomenti_);
    take(found.description, descrizione_);
    take(found.workingDirectory, directoryDiLavoro_);
    take(found.path, fileCollegato_);
    nomeFile_ = linkFile;
    return complete && !fileCollegato_.empty();
}

bool ShellLink::writeTo(const std::u16string& linkFile) {
    if (fileCollegato_.empty()) return false;
    if (!isPlainFile(fileCollegato_)) return false; // a shortcut goes to an existing plain file only
    // Checked before the file is emptied: a path that cannot be a shortcut's costs nothing.
    if (!splitShortcutPath(linkFile)) return false;
    // Emptying the target itself would destroy it.
    if (isSameFile(linkFile, fileCollegato_)) return false;
    ShortcutValues values{argomenti_, descrizione_, directoryDiLavoro_, fileCollegato_};
    // An existing item for the shell to turn into a shortcut; only the four values are
    // written, nothing of an earlier shortcut at this path is carried over.
    if (!createEmptyFile(linkFile)) return false;
    nomeFile_ = linkFile;
    // The file exists now: a failure of the shell does not change the answer.
    writeShortcut(linkFile, values);
    return true;
}

STDMETHODIMP ShellLink::get_Argomenti(BSTR* ret) {
    return copyOut(argomenti_, ret);
}
STDMETHODIMP ShellLink::put_Argomenti(BSTR value) {
    return storeAndRewrite(argomenti_, value);
}
STDMETHODIMP ShellLink::get_Descrizione(BSTR* ret) {
    return copyOut(descrizione_, ret);
}
STDMETHODIMP ShellLink::put_Descrizione(BSTR value) {
    return storeAndRewrite(descrizione_, value);
}
STDMETHODIMP ShellLink::get_DirectoryDiLavoro(BSTR* ret) {
    return copyOut(directoryDiLavoro_, ret);
}
STDMETHODIMP ShellLink::put_DirectoryDiLavoro(BSTR value) {
    return storeAndRewrite(directoryDiLavoro_, value);
}
STDMETHODIMP ShellLink::get_FileCollegato(BSTR* ret) {
    return copyOut(fileCollegato_, ret);
}

STDMETHODIMP ShellLink::put_FileCollegato(BSTR value) {
    return guarded([&] {
        std::u16string target = toU16(value);
        // A shortcut that has a file cannot lose its target.
        if (!nomeFile_.empty() && target.empty()) return;
        if (!isPlainFile(target)) return;
        fileCollegato_ = std::move(target);
        rewrite();
    });
}

STDMETHODIMP ShellLink::get_Nome(BSTR* ret) {
    return unguarded([&] { return copyOut(shortcutName(nomeFile_), ret); });
}

STDMETHODIMP ShellLink::LeggiCollegamento(BSTR linkFile, VARIANT_BOOL* ret) {
    if (!ret) return E_POINTER;
    *ret = VARIANT_FALSE;
    return guarded([&] { *ret = readFrom(toU16(linkFile)) ? VARIANT_TRUE : VARIANT_FALSE; });
}

STDMETHODIMP ShellLink::get_NomeFile(BSTR* ret) {
    return copyOut(nomeFile_, ret);
}

STDMETHODIMP ShellLink::CreaCollegamento(BSTR linkFile, VARIANT_BOOL* ret) {
    if (!ret) return E_POINTER;
    *ret = VARIANT_FALSE;
    return guarded([&] { *ret = writeTo(toU16(linkFile)) ? VARIANT_TRUE : VARIANT_FALSE; });
}

} // namespace ondrik
