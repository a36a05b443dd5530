' Many clients at once: run as "client INDEX FOLDER OPERATIONS CLIENTS" by several
' processes at the same time, each doing mixed register operations and writing down what
' it left behind. Client 1 then waits for the others (its objects keep the server and its
' registers alive) and verifies that the registers are exactly what they imply.
Class SuiteApp
    Public EXEName
    Public hInstance
    Public ThreadID
    Public Title
End Class

Dim role, g, ss, apps, fso, folder
role = WScript.Arguments(0)
folder = WScript.Arguments(2)
Set fso = CreateObject("Scripting.FileSystemObject")
' Wine's cscript ends silently on a script error: say so where it would be lost.
On Error Resume Next
Set g = CreateObject("Ondrik.Global")
Set ss = g.Sessioni
Set apps = g.Applicazioni
If Err.Number <> 0 Then WScript.Echo "could not reach the server: " & Hex(Err.Number) & " " & Err.Description
On Error GoTo 0
WriteFile folder & "\begun-" & WScript.Arguments(1), "1"
' The first client tells the others that the server is up.
If WScript.Arguments(1) = "1" Then WriteFile folder & "\started", "1"

Dim seed
Function NextRandom(limit)
    seed = seed * 16807
    seed = seed - Int(seed / 2147483647) * 2147483647
    NextRandom = Int(seed / 2147483647 * limit)
End Function

Function KeyOf(s)
    KeyOf = "K" & s.ID
End Function

Function AppKey(r)
    AppKey = r.EXEName & "|" & r.hInstance & "|" & r.ThreadID
End Function

Sub RunClient(index, operations)
    Dim kept, open, k, s, r, app, rec, n, x, key, keys, out, item, lost, strays, failures, kind
    Set kept = CreateObject("Scripting.Dictionary")
    Set open = CreateObject("Scripting.Dictionary")
    seed = 1000 + index * 7919
    lost = 0
    strays = 0
    failures = 0
    On Error Resume Next
    For k = 1 To operations
        kind = NextRandom(8)
        Select Case kind
        Case 0
            Set s = ss.Apri("C" & NextRandom(3), True, "u" & index, "p")
            If Not s.Condivisa Then strays = strays + 1
        Case 1
            Set s = ss.Apri("N" & index, False, "u" & index, "p")
            If kept.Exists(KeyOf(s)) Then
                WScript.Echo "a new session came with a key already handed out: " & KeyOf(s)
                strays = strays + 1
            Else
                kept.Add KeyOf(s), s
            End If
            If ss.Item(KeyOf(s)) Is Nothing Then lost = lost + 1
        Case 2
            Set app = New SuiteApp
            app.EXEName = "P" & index
            app.hInstance = k
            app.ThreadID = index
            app.Title = "client " & index
            Set rec = apps.Apri(app)
            If rec Is Nothing Then
                WScript.Echo "an application object was refused: " & app.EXEName & "|" & k
                lost = lost + 1
            Else
                Set rec.Sessione = ss.Apri("A" & index, False)
                open.Add AppKey(rec), rec
            End If
        Case 3
            If open.Count > 0 Then
                keys = open.Keys
                Set rec = open(keys(0))
                key = KeyOf(rec.Sessione)
                apps.Chiudi rec
                open.Remove keys(0)
                If Not (ss.Item(key) Is Nothing) Then strays = strays + 1
                If Not (apps.Item(AppKey(rec)) Is Nothing) Then strays = strays + 1
            End If
        Case 4
            n = ss.Count
            If n > 0 Then
                Set x = ss.Item(1 + NextRandom(n))
                ' Other clients may have taken sessions out between the two calls.
                If x Is Nothing Then
                    If ss.Count >= n Then lost = lost + 1
                End If
            End If
        Case 5
            If kept.Count > 0 Then
                keys = kept.Keys
                key = keys(NextRandom(kept.Count))
                If ss.Item(LCase(key)) Is Nothing Then lost = lost + 1
            End If
        Case 6
            n = 0
            For Each item In apps
                n = n + 1
            Next
        Case Else
            If open.Count > 0 Then
                keys = open.Keys
                If apps.Item(keys(NextRandom(open.Count))) Is Nothing Then lost = lost + 1
            End If
        End Select
        If Err.Number <> 0 Then
            WScript.Echo "operation " & k & " (kind " & kind & ") failed: " & Hex(Err.Number) & " " & Err.Description
            failures = failures + 1
            Err.Clear
        End If
    Next
    On Error GoTo 0
    CheckEqual failures, 0, "client " & index & ": every call succeeded"
    CheckEqual lost, 0, "client " & index & ": nothing it entered went missing"
    CheckEqual strays, 0, "client " & index & ": nothing it took out stayed"
    Set out = fso.CreateTextFile(folder & "\client-" & index & ".tmp", True)
    For Each key In kept.Keys
        out.WriteLine "S " & key
    Next
    For Each key In open.Keys
        out.WriteLine "A " & key
        out.WriteLine "S " & KeyOf(open(key).Sessione)
    Next
    out.Close
    fso.MoveFile folder & "\client-" & index & ".tmp", folder & "\client-" & index & ".txt"
End Sub

Sub CheckRegisters(clients)
    Dim sessionsLeft, appsLeft, i, line, seen, s, a, shared, missing, c
    Set sessionsLeft = CreateObject("Scripting.Dictionary")
    Set appsLeft = CreateObject("Scripting.Dictionary")
    missing = 0
    For i = 1 To clients
        If fso.FileExists(folder & "\client-" & i & ".txt") Then
            ' Read whole: Wine's AtEndOfStream misses the end after the last line.
            For Each line In Split(ReadFile(folder & "\client-" & i & ".txt"), vbCrLf)
                If Left(line, 2) = "S " Then sessionsLeft.Add LCase(Mid(line, 3)), True
                If Left(line, 2) = "A " Then appsLeft.Add LCase(Mid(line, 3)), True
            Next
        Else
            missing = missing + 1
        End If
    Next
    CheckEqual missing, 0, "every client finished and wrote down its work"
    Set seen = CreateObject("Scripting.Dictionary")
    Set shared = CreateObject("Scripting.Dictionary")
    For Each s In ss
        c = LCase(KeyOf(s))
        Check Not seen.Exists(c), "no session key twice: " & c
        If Not seen.Exists(c) Then seen.Add c, True
        If s.Condivisa Then
            Check Not shared.Exists(s.CodiceAzienda), "one shared session for company " & s.CodiceAzienda
            If Not shared.Exists(s.CodiceAzienda) Then shared.Add s.CodiceAzienda, True
        Else
            Check sessionsLeft.Exists(c), "a non-shared session left behind is one a client kept: " & c
        End If
    Next
    CheckEqual shared.Count, 3, "the three shared companies"
    CheckEqual ss.Count, sessionsLeft.Count + shared.Count, "sessions counted exactly"
    For Each c In sessionsLeft.Keys
        Check Not (ss.Item(c) Is Nothing), "a kept session is still entered: " & c
    Next
    Set seen = CreateObject("Scripting.Dictionary")
    For Each a In apps
        c = LCase(AppKey(a))
        Check Not seen.Exists(c), "no application key twice: " & c
        If Not seen.Exists(c) Then seen.Add c, True
        Check appsLeft.Exists(c), "an application left registered is one a client left open: " & c
    Next
    CheckEqual apps.Count, appsLeft.Count, "applications counted exactly"
End Sub

Dim index, clients, i, started
index = CInt(WScript.Arguments(1))
clients = CInt(WScript.Arguments(4))
RunClient index, CLng(WScript.Arguments(3))
If index = 1 Then
    For i = 2 To clients
        Check WaitForFile(folder & "\client-" & i & ".txt", 600), "client " & i & " finished"
    Next
    ' A script error would end the script silently under Wine: report it instead.
    On Error Resume Next
    CheckRegisters clients
    If Err.Number <> 0 Then Check False, "checking the registers failed: " & Hex(Err.Number) & " " & Err.Description
    On Error GoTo 0
End If
Summary
