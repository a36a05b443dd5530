#include "shell_link/shell_link.h"

#include "automation/bstr.h"
#include "automation/turns.h"
#include "automation/unfinished_work.h"
#include "automation/worker_call.h"
#include "shell/plain_file.h"
#include "shell/shortcut_file.h"
#include "shell/shortcut_name.h"

#include <mutex>

namespace ondrik {

// The server's thread reads and sets the values; the workers do the file work, one
// operation of the object at a time, in the order of the calls (turns), each on the values
// as the one before left them. The values' lock is held only for a copy.
struct ShellLink::State {
    std::shared_ptr<Turns> turns = std::make_shared<Turns>();
    std::mutex valuesLock;
    std::u16string argomenti;
    std::u16string descrizione;
    std::u16string directoryDiLavoro;
    std::u16string fileCollegato;
    std::u16string nomeFile; // the shortcut file last read or written; "" until then

    std::u16string read(std::u16string State::*field) {
        std::lock_guard<std::mutex> hold(valuesLock);
        return this->*field;
    }
    void set(std::u16string State::*field, std::u16string value) {
        std::lock_guard<std::mutex> hold(valuesLock);
        this->*field = std::move(value);
    }

    // The file operations: a worker runs them in the object's turn. They may throw bad_alloc.
    bool readFrom(const std::u16string& linkFile);
    bool writeTo(const std::u16string& linkFile);
    // writeTo() with any failure ignored, as the property lets call it.
    void rewrite() noexcept;
};

namespace {

// Runs work(state) on a worker in the object's next turn, and waits for it serving other
// clients. runServing's answer: S_OK once it ran, RPC_E_TIMEOUT when it was given up on
// (the server is ending), another error when it never ran. What a
// call may assume across this wait is in docs/reentrancy.md. The turn ends after the work,
// or at once when the work never ran; the server, ending, lets work that has been handed
// over finish, also work that a worker has not begun yet.
template <class Shared, class Work> HRESULT inTurn(const std::shared_ptr<Shared>& state, Work work) {
    // The worker alone holds the ticket: a call that arrives during this wait takes the
    // next turn, and the wait ends only after that call, so this turn must end with the work.
    // The work counts as unfinished from its hand-off until it has run, or until the
    // hand-off has failed (the job, never run, is let go).
    return runServing([state, work = std::move(work), ticket = std::make_shared<TurnTicket>(state->turns),
                       unfinished = std::make_shared<unfinishedWork::Scope>()]() mutable {
        ticket->await();
        try {
            work(*state);
        } catch (...) { // the turn ends all the same
        }
        ticket.reset();
        unfinished.reset();
    });
}

} // namespace

bool ShellLink::State::readFrom(const std::u16string& linkFile) {
    if (!isPlainFile(linkFile)) return false;
    // A bare name without a folder is not looked up in the server's current folder.
    if (!splitShortcutPath(linkFile)) return false;
    ShortcutReading found = readShortcut(linkFile);
    // A file that is no shortcut leaves the object as it was: adopting it as NomeFile
    // would let the next change of a value overwrite it.
    if (!found.loaded) return false;
    std::lock_guard<std::mutex> hold(valuesLock);
    bool complete = true;
    auto take = [&](std::optional<std::u16string>& value, std::u16string& field) {
        if (value)
            field = std::move(*value);
        else
            complete = false;
    };
    take(found.arguments, argomenti);
    take(found.description, descrizione);
    take(found.workingDirectory, directoryDiLavoro);
    take(found.path, fileCollegato);
    nomeFile = linkFile;
    return complete && !fileCollegato.empty();
}

bool ShellLink::State::writeTo(const std::u16string& linkFile) {
    ShortcutValues values;
    {
        std::lock_guard<std::mutex> hold(valuesLock);
        values = {argomenti, descrizione, directoryDiLavoro, fileCollegato};
    }
    if (values.path.empty()) return false;
    if (!isPlainFile(values.path)) return false; // a shortcut goes to an existing plain file only
    // A bare name without a folder is not written in the server's current folder.
    if (!splitShortcutPath(linkFile)) return false;
    // Replacing the target itself would destroy it.
    if (isSameFile(linkFile, values.path)) return false;
    // Only the four values are written, nothing of an earlier shortcut at this path is
    // carried over; a shortcut that stood there stays whole until the new one takes its
    // place.
    if (!replaceWithShortcut(linkFile, values)) return false;
    set(&State::nomeFile, linkFile);
    return true;
}

void ShellLink::State::rewrite() noexcept {
    try {
        std::u16string file = read(&State::nomeFile);
        if (!file.empty()) writeTo(file);
    } catch (...) {
    }
}

ShellLink::ShellLink() : state_(std::make_shared<State>()) {}

HRESULT ShellLink::storeAndRewrite(std::u16string State::*field, BSTR value) {
    return unguarded([&] {
        // Stored in the object's turn, as the rewrite runs: a read of the file that began
        // earlier cannot overwrite the new value, nor the rewrite write the old one back.
        // A value whose turn never came (no worker to be had) is not stored: an error.
        return handOffResult(inTurn(state_, [field, value = toU16(value)](State& s) {
            s.set(field, value);
            s.rewrite();
        }));
    });
}

STDMETHODIMP ShellLink::get_Argomenti(BSTR* ret) {
    return copyOut(state_->read(&State::argomenti), ret);
}
STDMETHODIMP ShellLink::put_Argomenti(BSTR value) {
    return storeAndRewrite(&State::argomenti, value);
}
STDMETHODIMP ShellLink::get_Descrizione(BSTR* ret) {
    return copyOut(state_->read(&State::descrizione), ret);
}
STDMETHODIMP ShellLink::put_Descrizione(BSTR value) {
    return storeAndRewrite(&State::descrizione, value);
}
STDMETHODIMP ShellLink::get_DirectoryDiLavoro(BSTR* ret) {
    return copyOut(state_->read(&State::directoryDiLavoro), ret);
}
STDMETHODIMP ShellLink::put_DirectoryDiLavoro(BSTR value) {
    return storeAndRewrite(&State::directoryDiLavoro, value);
}
STDMETHODIMP ShellLink::get_FileCollegato(BSTR* ret) {
    return copyOut(state_->read(&State::fileCollegato), ret);
}

STDMETHODIMP ShellLink::put_FileCollegato(BSTR value) {
    return guarded([&] {
        inTurn(state_, [target = toU16(value)](State& s) {
            // A shortcut that has a file cannot lose its target.
            if (target.empty() && !s.read(&State::nomeFile).empty()) return;
            if (!isPlainFile(target)) return;
            s.set(&State::fileCollegato, target);
            s.rewrite();
        });
    });
}

STDMETHODIMP ShellLink::get_Nome(BSTR* ret) {
    return unguarded([&] { return copyOut(shortcutName(state_->read(&State::nomeFile)), ret); });
}

STDMETHODIMP ShellLink::get_NomeFile(BSTR* ret) {
    return copyOut(state_->read(&State::nomeFile), ret);
}

// The two file methods: the answer is False also when the work could not be done.
STDMETHODIMP ShellLink::LeggiCollegamento(BSTR linkFile, VARIANT_BOOL* ret) {
    if (!ret) return E_POINTER;
    *ret = VARIANT_FALSE;
    return guarded([&] {
        auto done = std::make_shared<bool>(false);
        if (SUCCEEDED(inTurn(state_, [done, file = toU16(linkFile)](State& s) { *done = s.readFrom(file); })) && *done)
            *ret = VARIANT_TRUE;
    });
}

STDMETHODIMP ShellLink::CreaCollegamento(BSTR linkFile, VARIANT_BOOL* ret) {
    if (!ret) return E_POINTER;
    *ret = VARIANT_FALSE;
    return guarded([&] {
        auto done = std::make_shared<bool>(false);
        if (SUCCEEDED(inTurn(state_, [done, file = toU16(linkFile)](State& s) { *done = s.writeTo(file); })) && *done)
            *ret = VARIANT_TRUE;
    });
}

} // namespace ondrik
