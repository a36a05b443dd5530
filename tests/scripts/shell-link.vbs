' Shortcut files through Ondrik.ShellLink, checked against the shell's own objects,
' and the desktop helpers of Global as a late-bound client calls them.
Dim fso, dir, target, other, link, l, r, sh, app, folder, item, sc, g, name
Set fso = CreateObject("Scripting.FileSystemObject")
dir = fso.GetSpecialFolder(2) & "\ondrik-shell-link"
If fso.FolderExists(dir) Then fso.DeleteFolder dir, True
fso.CreateFolder dir
fso.CreateFolder dir & "\cartella"
target = dir & "\documento.txt"
other = dir & "\altro.txt"
WriteFile target, "contenuto"
WriteFile other, "altro"
link = dir & "\Gestione.lnk"

' A new object: empty values; values stored while no file is known write nothing.
Set l = CreateObject("Ondrik.ShellLink")
CheckEqual l.NomeFile, "", "a new object has no file"
CheckEqual l.Nome, "", "Nome of a new object"
Check Not l.CreaCollegamento(link), "no shortcut without a target"
Check Not fso.FileExists(link), "no file written without a target"
l.FileCollegato = dir & "\manca.txt"
CheckEqual l.FileCollegato, "", "a missing target is not taken"
l.FileCollegato = dir & "\cartella"
CheckEqual l.FileCollegato, "", "a folder is not taken as target"
l.FileCollegato = target
l.Argomenti = "/a -b ""c d"""
l.Descrizione = "Gestione magazzino"
l.DirectoryDiLavoro = dir
CheckEqual l.FileCollegato, target, "a plain file is taken as target"
CheckEqual l.NomeFile, "", "storing values sets no file"

Check Not l.CreaCollegamento(dir & "\manca\x.lnk"), "a missing folder gives False"
Check Not l.CreaCollegamento("x.lnk"), "a name without folder gives False"
CheckEqual l.NomeFile, "", "failed creations set no file"

r = l.CreaCollegamento(link)
Check r, "CreaCollegamento gives True"
CheckEqual l.NomeFile, link, "NomeFile after creation"
CheckEqual l.Nome, "Gestione", "Nome is the file name without folder and extension"

' Wine's shell reads the file back: the target through Shell.Application (the objects
' that wrap the shell's shortcut), all four values through a second ShellLink.
' Wine's NameSpace takes the folder by value only, hence CStr.
Set app = CreateObject("Shell.Application")
Set folder = app.NameSpace(CStr(dir))
Set item = folder.Items().Item("Gestione.lnk")
CheckEqual item.GetLink.Path, target, "the shell reads the target"
Set r = Nothing
Set sc = CreateObject("Ondrik.ShellLink")
Check sc.LeggiCollegamento(link), "a second object reads the shortcut"
CheckEqual sc.FileCollegato, target, "target read back"
CheckEqual sc.Argomenti, "/a -b ""c d""", "arguments read back"
CheckEqual sc.Descrizione, "Gestione magazzino", "description read back"
CheckEqual sc.DirectoryDiLavoro, dir, "working folder read back"
CheckEqual sc.NomeFile, link, "NomeFile after reading"

' Each change of a value rewrites the file at once.
l.Descrizione = "Nuova descrizione"
Check sc.LeggiCollegamento(link), "read after a change"
CheckEqual sc.Descrizione, "Nuova descrizione", "the new description is in the file"
CheckEqual sc.Argomenti, "/a -b ""c d""", "the other values stay in the file"
l.FileCollegato = other
CheckEqual l.FileCollegato, other, "a new target is taken"
CheckEqual app.NameSpace(CStr(dir)).Items().Item("Gestione.lnk").GetLink.Path, other, "the shell sees the new target"
l.FileCollegato = ""
CheckEqual l.FileCollegato, other, "a shortcut with a file keeps its target"
l.FileCollegato = dir & "\manca.txt"
CheckEqual l.FileCollegato, other, "a missing target keeps the old one"
Check sc.LeggiCollegamento(link), "read after refused targets"
CheckEqual sc.FileCollegato, other, "refused targets leave the file alone"

' Reading what is not there changes nothing.
Check Not sc.LeggiCollegamento(dir & "\manca.lnk"), "a missing shortcut gives False"
Check Not sc.LeggiCollegamento(dir & "\cartella"), "a folder is not read"
CheckEqual sc.NomeFile, link, "failed reads keep the file"
CheckEqual sc.FileCollegato, other, "failed reads keep the values"

' A shortcut written by Wine's WScript.Shell is read by ShellLink.
Set sh = CreateObject("WScript.Shell")
Set item = sh.CreateShortcut(dir & "\DaWine.lnk")
item.TargetPath = target
item.Arguments = "-x"
item.WorkingDirectory = dir & "\cartella"
item.Save
Set r = CreateObject("Ondrik.ShellLink")
Check r.LeggiCollegamento(dir & "\DaWine.lnk"), "a shortcut of WScript.Shell is read"
CheckEqual r.FileCollegato, target, "its target"
CheckEqual r.Argomenti, "-x", "its arguments"
CheckEqual r.DirectoryDiLavoro, dir & "\cartella", "its working folder"
CheckEqual r.Nome, "DaWine", "its name"

' Desktop helpers, late-bound.
Set g = CreateObject("Ondrik.Global")
name = g.GetComputerName()
' Wine's ExpandEnvironmentStrings counts the terminating character into its result.
CheckEqual name, Replace(sh.ExpandEnvironmentStrings("%COMPUTERNAME%"), Chr(0), ""), "GetComputerName is the computer's name"
CheckEqual Len(name), Len(Trim(name)), "no padding around the name"
g.Sleep 0
g.Sleep 20
g.Sleep -1
Check True, "Sleep of 0, 20 and -1 return"
g.ApriDocumento dir & "\manca.txt"
g.ApriDocumento dir & "\manca.txt", "print"
Check True, "ApriDocumento of a missing file returns without error"

Set l = Nothing
Set sc = Nothing
Set r = Nothing
fso.DeleteFolder dir, True
Summary
