' Two clients, one inside a member that waits, the other served meanwhile.
' Run as "other CASE FOLDER": it announces itself ready, waits for the go, then makes its
' first objects and calls, and writes down that it is done; the waiter must still be
' inside its call by then. Run as "waiter CASE FOLDER MARKER PORT HOST": it announces that it is
' entering its call, makes it, and on its return finds the other's work done.
' CASE is sleep (a long Sleep), geturl (a server on PORT that answers only when the test
' lets it), risolvi (connection attempts to HOST, whose port 7400 has a full backlog), or
' killed (a Sleep of 24 days whose client is killed: the other is served all the same).
Dim role, kase, folder, fso
role = WScript.Arguments(0)
kase = WScript.Arguments(1)
folder = WScript.Arguments(2)
Set fso = CreateObject("Scripting.FileSystemObject")

Function Mark(name)
    Mark = folder & "\" & name & "-" & kase
End Function

Sub BeServed()
    Dim g, link, data, s, target
    ' The first objects of this process: an activation while the server waits.
    Set g = CreateObject("Ondrik.Global")
    Set link = CreateObject("Ondrik.ShellLink")
    CheckEqual g.GetNomeFile("C:\Suite\Contab.exe"), "Contab", kase & ": GetNomeFile"
    data = g.GetDirectoryDati("Attesa" & kase)
    Check fso.FolderExists(data), kase & ": GetDirectoryDati made " & data
    g.CreaDirectory folder & "\made-" & kase & "\inner"
    Check fso.FolderExists(folder & "\made-" & kase & "\inner"), kase & ": CreaDirectory"
    Set s = g.Sessioni.Apri("ATTESA" & kase, False, "u", "p")
    CheckEqual s.CodiceAzienda, "ATTESA" & kase, kase & ": a session made"
    g.Sleep 20
    target = folder & "\target-" & kase & ".txt"
    WriteFile target, "x"
    link.FileCollegato = target
    Check link.CreaCollegamento(folder & "\link-" & kase & ".lnk"), kase & ": CreaCollegamento"
    Check link.LeggiCollegamento(folder & "\link-" & kase & ".lnk"), kase & ": LeggiCollegamento"
    CheckEqual link.FileCollegato, target, kase & ": the shortcut's target read back"
End Sub

If role = "other" Then
    WriteFile Mark("ready"), "1"
    If WaitForFile(Mark("go"), 120) Then
        BeServed
        If kase <> "killed" Then
            Check Not fso.FileExists(Mark("after")), kase & ": the waiting client is still inside its call"
        End If
        WriteFile Mark("done"), "1"
    Else
        Check False, kase & ": the go never came"
    End If
Else
    Dim g, result
    Set g = CreateObject("Ondrik.Global")
    WriteFile Mark("begun"), "1"
    Select Case kase
    Case "sleep"
        g.Sleep 8000
    Case "geturl"
        result = g.GetURL("http://127.0.0.1:" & WScript.Arguments(4) & "/held", False)
        CheckEqual result, "rilasciato", "geturl: the answer that came after the wait"
    Case "risolvi"
        result = g.RisolviIndirizzo(WScript.Arguments(5))
        CheckEqual result, WScript.Arguments(5), "risolvi: no attempt connected: the host given back"
    Case "killed"
        g.Sleep 2147483647
        Check False, "killed: the waiter came back from 24 days"
    End Select
    ' Written down only after the call returned: the other client was served before.
    Check fso.FileExists(Mark("done")), kase & ": the other client was served during the wait"
    WriteFile Mark("after"), "1"
End If
Summary
