' A late-bound client: shortcut files of Ondrik.ShellLink read by Wine's own shell and
' the other way round, and the desktop helpers of Global.
Dim fso, dir, target, other, link, l, r, sh, app, item, g, name
Set fso = CreateObject("Scripting.FileSystemObject")
dir = fso.GetSpecialFolder(2) & "\ondrik-shell-link"
If fso.FolderExists(dir) Then fso.DeleteFolder dir, True
fso.CreateFolder dir
target = dir & "\documento.txt"
other = dir & "\altro.txt"
WriteFile target, "contenuto"
WriteFile other, "altro"
link = dir & "\Gestione.lnk"

Set l = CreateObject("Ondrik.ShellLink")
Check Not l.CreaCollegamento(link), "no shortcut without a target"
Check Not fso.FileExists(link), "no file written without a target"
l.FileCollegato = dir & "\manca.txt"
CheckEqual l.FileCollegato, "", "a missing target is not taken"
l.FileCollegato = target
l.Argomenti = "/a -b ""c d"""
l.Descrizione = "Gestione magazzino"
l.DirectoryDiLavoro = dir
CheckEqual l.NomeFile, "", "storing values sets no file"
Check Not l.CreaCollegamento(dir & "\manca\x.lnk"), "a missing folder gives False"
Check l.CreaCollegamento(link), "CreaCollegamento gives True"
CheckEqual l.NomeFile, link, "NomeFile after creation"
CheckEqual l.Nome, "Gestione", "Nome is the file name without folder and extension"

' Wine's shell automation objects read the target (they read nothing else); a second
' ShellLink reads all four values. Wine's NameSpace takes the folder by value only.
Set app = CreateObject("Shell.Application")
CheckEqual app.NameSpace(CStr(dir)).Items().Item("Gestione.lnk").GetLink.Path, target, "the shell reads the target"
Set r = CreateObject("Ondrik.ShellLink")
Check r.LeggiCollegamento(link), "a second object reads the shortcut"
CheckEqual r.FileCollegato, target, "target read back"
CheckEqual r.Argomenti, "/a -b ""c d""", "arguments read back"
CheckEqual r.Descrizione, "Gestione magazzino", "description read back"
CheckEqual r.DirectoryDiLavoro, dir, "working folder read back"

' Each change of a value rewrites the file at once; refused targets leave it alone.
l.Descrizione = "Nuova descrizione"
l.FileCollegato = other
l.FileCollegato = ""
CheckEqual l.FileCollegato, other, "a shortcut with a file keeps its target"
CheckEqual app.NameSpace(CStr(dir)).Items().Item("Gestione.lnk").GetLink.Path, other, "the shell sees the new target"
Check r.LeggiCollegamento(link), "read after the changes"
CheckEqual r.Descrizione, "Nuova descrizione", "the new description is in the file"
CheckEqual r.Argomenti, "/a -b ""c d""", "the other values stay in the file"
Check Not r.LeggiCollegamento(dir & "\manca.lnk"), "a missing shortcut gives False"
CheckEqual r.NomeFile, link, "a failed read keeps the file"

' A shortcut written by Wine's WScript.Shell is read by ShellLink.
Set sh = CreateObject("WScript.Shell")
Set item = sh.CreateShortcut(dir & "\DaWine.lnk")
item.TargetPath = target
item.Arguments = "-x"
item.WorkingDirectory = fso.GetSpecialFolder(2)
item.Save
Check r.LeggiCollegamento(dir & "\DaWine.lnk"), "a shortcut of WScript.Shell is read"
CheckEqual r.FileCollegato, target, "its target"
CheckEqual r.Argomenti, "-x", "its arguments"
CheckEqual r.DirectoryDiLavoro, fso.GetSpecialFolder(2), "its working folder"
CheckEqual r.Nome, "DaWine", "its name"

' Desktop helpers, late-bound.
Set g = CreateObject("Ondrik.Global")
name = g.GetComputerName()
' Wine's ExpandEnvironmentStrings counts the terminating character into its result.
CheckEqual name, Replace(sh.ExpandEnvironmentStrings("%COMPUTERNAME%"), Chr(0), ""), "GetComputerName is the computer's name"
g.Sleep 0
g.Sleep 20
g.Sleep -1
Check True, "Sleep of 0, 20 and -1 return"
g.ApriDocumento dir & "\manca.txt"
g.ApriDocumento dir & "\manca.txt", "print"
Check True, "ApriDocumento of a missing file returns without error"

Set l = Nothing
Set r = Nothing
fso.DeleteFolder dir, True
Summary
