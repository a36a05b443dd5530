' A suite program asks the server for its folders: the server lies in the suite tree at
' C:\Suite\Eseguibili\Server, so the base directory is C:\Suite.
Dim g, fso, sh, d, n, e, tmp
Set g = CreateObject("Ondrik.Global")
Set fso = CreateObject("Scripting.FileSystemObject")
Set sh = CreateObject("WScript.Shell")

Sub RemoveDati()
    If fso.FolderExists("C:\Suite\Dati") Then fso.DeleteFolder "C:\Suite\Dati", True
    If fso.FileExists("C:\Suite\Dati") Then fso.DeleteFile "C:\Suite\Dati", True
End Sub

RemoveDati
CheckEqual g.GetDirectoryBase(), "C:\Suite", "the base directory"
CheckEqual g.GetDirectoryEseguibili(), "C:\Suite\Eseguibili", "the executables folder"
CheckEqual g.GetDirectoryEseguibili("D:\Altro\Contab.exe"), "C:\Suite\Eseguibili\Contab", _
    "a program's executables folder drops the caller's folder"
Check Not fso.FolderExists("C:\Suite\Eseguibili\Contab"), "executables folders are never created"
Check g.IsVendrasil("Server"), "the server's own folder counts as an installed program"
CheckEqual g.IsVendrasil("Contab"), False, "a program without a folder is not installed"
CheckEqual CInt(g.IsVendrasil("C:\x\Server.exe")), -1, "IsVendrasil answers an automation True"

d = g.GetDirectoryDati("Contab.exe")
CheckEqual d, "C:\Suite\Dati\Contab", "a program's data folder"
Check fso.FolderExists("C:\Suite\Dati\Contab"), "the data folder exists afterwards, with its parent"
CheckEqual g.GetDirectoryDati("Archivio.tar.gz"), "C:\Suite\Dati\Archivio.tar", "only the last extension goes"
CheckEqual g.GetDirectoryDati(), "C:\Suite\Dati", "the shared data folder"
CheckEqual g.GetDirectoryDati("C:\Prog\"), "C:\Suite\Dati\", "a program with an empty name"

d = g.GetDirectoryUtenti("verdi")
CheckEqual d, "C:\Suite\Dati\Utenti\verdi", "a user's folder"
Check fso.FolderExists(d), "the user's folder exists afterwards"
d = g.GetDirectoryUtenti("gruppo\verdi.old")
CheckEqual d, "C:\Suite\Dati\Utenti\gruppo\verdi.old", "nested user folders keep their extension"
Check fso.FolderExists(d), "both levels of a nested user folder exist"
CheckEqual g.GetDirectoryUtenti(), "C:\Suite\Dati\Utenti", "the users' folder"

' An ordinary file where the data folder belongs.
RemoveDati
fso.CreateTextFile("C:\Suite\Dati", True).Close
CheckEqual g.GetDirectoryDati(), "C:\Suite\Dati", "a file in the data folder's place: the path still"
CheckEqual g.GetDirectoryUtenti("verdi"), "C:\Suite\Dati\Utenti\verdi", "and the user's path still"
Check fso.FileExists("C:\Suite\Dati"), "the file stays a file"
RemoveDati

' Path text.
CheckEqual g.GetNomeFile("C:\Dir.old\Archivio.tar.gz") & "|" & g.GetEstensioneFile("C:\Dir.old\Archivio.tar.gz"), _
    "Archivio.tar|gz", "file name and last extension"
CheckEqual g.GetNomeFile(String(40000, "x") & "\Nome.ext"), "Nome", "a separator beyond character 32767"

' A look-up that fails is reported by IsVendrasil.
On Error Resume Next
n = g.IsVendrasil("a|b")
e = Err.Number
On Error GoTo 0
CheckEqual Hex(e), "8007007B", "IsVendrasil reports a name the file system rejects"

' Windows' folders, and the temporary folder from the environment the server started with.
CheckEqual g.GetWindowsDirectory(), g.GetSystemDirectory(), "GetWindowsDirectory asks for the system folder"
Check Len(g.GetSystemDirectory()) > 0, "the system folder is known"
Check Len(g.GetDesktopDirectory()) > 0, "the desktop folder is known"
Check Len(g.GetProgramFilesDirectory()) > 0, "the program files folder is known"
tmp = sh.ExpandEnvironmentStrings("%TEMP%")
CheckEqual g.GetTemporaryDirectory(), tmp, "the temporary folder is TEMP as the server inherited it"

Summary
