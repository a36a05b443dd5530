' The server's memory over a long run, one kind of work at a time: the driver
' (bench/server-memory.sh) reads the server's private bytes at each mark this client sets.
' Arguments: ROUNDS STRETCHES KIND... (idle, sessions, record, putref, parse, folders, shortcut).
Class App
    Public Comments
    Public CompanyName
    Public FileDescription
    Public LegalCopyright
    Public LegalTrademarks
    Public Major
    Public Minor
    Public Revision
    Public ProductName
    Public Title
    Public Path
    Public EXEName
    Public ThreadID
    Public hInstance
End Class

Dim fso, g, apps, ss, sl, app1, app2, markFile, linkFile, rounds, stretches, k, s, i, kind, x
Set fso = CreateObject("Scripting.FileSystemObject")
markFile = "C:\bench\mark.txt"
linkFile = "C:\bench\Gestione.lnk"
rounds = CLng(WScript.Arguments(0))
stretches = CLng(WScript.Arguments(1))

Set g = CreateObject("Ondrik.Global")
Set apps = g.Applicazioni
Set ss = g.Sessioni
Set sl = CreateObject("Ondrik.ShellLink")
Set app1 = NewApp("Contab.exe", 4194304, 100)
Set app2 = NewApp("Magazzino.exe", 4194304, 200)

Function NewApp(name, instance, thread)
    Set NewApp = New App
    NewApp.Comments = "Prova di memoria"
    NewApp.CompanyName = "VENDRASIL"
    NewApp.FileDescription = name
    NewApp.LegalCopyright = "(c) VENDRASIL"
    NewApp.LegalTrademarks = ""
    NewApp.Major = 2
    NewApp.Minor = 1
    NewApp.Revision = 9
    NewApp.ProductName = "Gestione"
    NewApp.Title = "Titolo " & name
    NewApp.Path = "C:\Suite\Eseguibili\Contab"
    NewApp.EXEName = name
    NewApp.ThreadID = thread
    NewApp.hInstance = instance
End Function

Sub Work(kind)
    Dim a, b, s1, s2, c, item, r
    Select Case kind
    Case "idle"
        x = apps.Count
    Case "sessions"
        Set s1 = ss.Apri("AZ1", True, "mario", "segreto")
        Set s2 = ss.Apri("AZ2", False, "luigi", "segreto")
        Set a = apps.Apri(app1)
        Set b = apps.Apri(app2)
        Set a.Sessione = s1
        Set b.Sessione = s2
        apps.Chiudi a
        apps.Chiudi b
    Case "putref"
        ' One record that the client uses once, its session cleared by reference, the step
        ' of "sessions" that "record" lacks: the client asks the record for IDispatchEx,
        ' so the server makes a stub of it for the record (see bench/bench_stub_heap.cpp).
        Set a = apps.Apri(app1)
        Set a.Sessione = Nothing
        apps.Chiudi a
    Case "record"
        Set a = apps.Apri(app1)
        apps.Chiudi a
    Case "parse"
        Set c = g.ParseCommand("Contab.exe -U mario -P segreto -D archivio", " ", "-U", "-P", "-D")
        For Each item In c
            x = item
        Next
    Case "folders"
        x = g.GetDirectoryBase()
        x = g.GetDirectoryEseguibili("Contab.exe")
        x = g.GetDirectoryDati("Contab.exe")
        x = g.GetDirectoryUtenti("mario")
    Case "shortcut"
        sl.FileCollegato = "C:\bench\server-memory.vbs"
        sl.Argomenti = "-U mario"
        sl.Descrizione = "Gestione"
        x = sl.CreaCollegamento(linkFile)
        Set r = CreateObject("Ondrik.ShellLink")
        x = r.LeggiCollegamento(linkFile)
    End Select
End Sub

' Tells the driver where the run stands and waits until it has read the server.
Sub Mark(text)
    Dim f
    Set f = fso.CreateTextFile(markFile & ".new", True)
    f.WriteLine text & " " & apps.Count & " " & ss.Count
    f.Close
    fso.MoveFile markFile & ".new", markFile
    Do While fso.FileExists(markFile)
        g.Sleep 20
    Loop
End Sub

For k = 2 To WScript.Arguments.Count - 1
    kind = WScript.Arguments(k)
    For i = 1 To rounds \ 10 : Work kind : Next ' warm-up: caches, pools, the first heap growth
    For s = 0 To stretches
        If s > 0 Then
            For i = 1 To rounds : Work kind : Next
        End If
        Mark kind & " " & s
    Next
Next
Mark "end 0"
WScript.Echo "done"
