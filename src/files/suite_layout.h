// The suite's directory tree as path text: the base directory two levels above the
// server's folder, "\Eseguibili" and "\Dati" below it, "\Utenti" inside "\Dati".
// Nothing is normalised: case, dots, doubled or forward slashes pass through as given.
#pragma once

#include <string>
#include <string_view>

namespace ondrik::suiteLayout {

// The base directory for the folder that holds the server's executable: every
// component but the last two, without a closing backslash; empty when the folder lies
// less than two levels below its root ("C:\Server", "C:\").
std::u16string baseDirectory(std::u16string_view serverFolder);

// base + "\Eseguibili", then "\" + the program's file name when a program is given.
std::u16string executablesFolder(std::u16string_view base, std::u16string_view programma);

// base + "\Dati", then "\" + the program's file name when a program is given.
std::u16string dataFolder(std::u16string_view base, std::u16string_view programma);

// dataRoot + "\Utenti", then "\" + the user's name exactly as given (a backslash in it
// names nested folders) when a user is given.
std::u16string usersFolder(std::u16string_view dataRoot, std::u16string_view utente);

} // namespace ondrik::suiteLayout
