' The tick source crowded: run as "client INDEX FOLDER SESSIONS APPS CLIENTS" by several
' processes at once. Each opens SESSIONS unshared sessions as fast as it can and holds
' them, registers APPS applications, each with a session of its own, and closes every
' second one. Once all are done, each checks that every session it holds is the one
' entered under its key, and every application it left open the one filed under its key;
' client 1 then checks that no ID came twice and that the registers hold exactly what
' the clients left.
Dim g, ss, apps, fso, folder, index, clients
index = CInt(WScript.Arguments(1))
folder = WScript.Arguments(2)
clients = CInt(WScript.Arguments(5))
Set fso = CreateObject("Scripting.FileSystemObject")
' Wine's cscript ends silently on a script error: say so where it would be lost.
On Error Resume Next
Set g = CreateObject("Ondrik.Global")
Set ss = g.Sessioni
Set apps = g.Applicazioni
If Err.Number <> 0 Then WScript.Echo "could not reach the server: " & Hex(Err.Number) & " " & Err.Description
On Error GoTo 0
WriteFile folder & "\begun-" & index, "1"
If index = 1 Then WriteFile folder & "\started", "1"

Function KeyOf(s)
    KeyOf = "K" & s.ID
End Function

Function AppKey(r)
    AppKey = r.EXEName & "|" & r.hInstance & "|" & r.ThreadID
End Function

' Under On Error Resume Next: whether the last call failed, said with what it was.
Function Failed(what)
    Failed = Err.Number <> 0
    If Failed Then
        WScript.Echo what & " failed: " & Hex(Err.Number) & " " & Err.Source & " " & Err.Description
        failures = failures + 1
        Err.Clear
    End If
End Function

' Text keys throughout: this runtime's Dictionary confuses some integer keys.
Dim held, open, k, s, app, rec, failures, twice, line, key
Set held = CreateObject("Scripting.Dictionary")
Set open = CreateObject("Scripting.Dictionary")
failures = 0
twice = 0
On Error Resume Next
For k = 1 To CLng(WScript.Arguments(3))
    Set s = Nothing
    Set s = ss.Apri("T" & index, False, "u" & index, "p")
    If Failed("session " & k) Then
    ElseIf held.Exists(KeyOf(s)) Then
        twice = twice + 1
    Else
        held.Add KeyOf(s), s
    End If
Next
For k = 1 To CLng(WScript.Arguments(4))
    Set app = New FullApp
    app.EXEName = "T" & index
    app.hInstance = k
    app.ThreadID = index
    Set rec = apps.Apri(app)
    If Not Failed("application " & k) Then
        Set rec.Sessione = ss.Apri("TA" & index, False)
        If Failed("the session of application " & k) Then
        ElseIf k Mod 2 = 0 Then
            apps.Chiudi rec
            Failed "closing application " & k
        ElseIf held.Exists(KeyOf(rec.Sessione)) Then
            twice = twice + 1
        Else
            open.Add AppKey(rec), rec
            held.Add KeyOf(rec.Sessione), rec.Sessione
        End If
    End If
Next
On Error GoTo 0
CheckEqual failures, 0, "client " & index & ": every call succeeded"
CheckEqual twice, 0, "client " & index & ": no ID came twice to this client"
Dim out
Set out = fso.CreateTextFile(folder & "\client-" & index & ".tmp", True)
For Each key In held.Keys
    out.WriteLine "S " & key
Next
For Each key In open.Keys
    out.WriteLine "A " & key
Next
out.Close
fso.MoveFile folder & "\client-" & index & ".tmp", folder & "\client-" & index & ".txt"

' Everybody's sessions made, everybody's applications closed: then this client's look.
Dim i, missing
For i = 1 To clients
    Check WaitForFile(folder & "\client-" & i & ".txt", 900), "client " & i & " finished its work"
Next
missing = 0
For Each key In held.Keys
    If Not (ss.Item(key) Is held(key)) Then
        missing = missing + 1
        If missing <= 5 Then WScript.Echo "a held session is not the one entered under its key: " & key
    End If
Next
CheckEqual missing, 0, "client " & index & ": every held session entered under its key"
missing = 0
For Each key In open.Keys
    If Not (apps.Item(key) Is open(key)) Then missing = missing + 1
Next
CheckEqual missing, 0, "client " & index & ": every open application filed under its key"
WriteFile folder & "\checked-" & index, "1"

If index = 1 Then
    Dim ids, appKeys, strays
    Set ids = CreateObject("Scripting.Dictionary")
    Set appKeys = CreateObject("Scripting.Dictionary")
    twice = 0
    For i = 1 To clients
        Check WaitForFile(folder & "\checked-" & i, 900), "client " & i & " checked its own"
        ' Read whole: Wine's AtEndOfStream misses the end after the last line.
        For Each line In Split(ReadFile(folder & "\client-" & i & ".txt"), vbCrLf)
            key = LCase(Mid(line, 3))
            If Left(line, 2) = "S " Then
                If ids.Exists(key) Then twice = twice + 1 Else ids.Add key, True
            ElseIf Left(line, 2) = "A " Then
                appKeys.Add key, True
            End If
        Next
    Next
    CheckEqual twice, 0, "no session ID handed out to two clients"
    CheckEqual ss.Count, ids.Count, "sessions counted exactly"
    CheckEqual apps.Count, appKeys.Count, "applications counted exactly"
    strays = 0
    For Each s In ss
        If Not ids.Exists(LCase(KeyOf(s))) Then strays = strays + 1
    Next
    For Each rec In apps
        If Not appKeys.Exists(LCase(AppKey(rec))) Then strays = strays + 1
    Next
    CheckEqual strays, 0, "the registers hold nothing the clients did not leave"
    WScript.Echo ids.Count & " sessions held, " & appKeys.Count & " applications open, by " & clients & " clients"
End If
Summary
