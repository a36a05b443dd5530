' Clients that die. Run as "victim MODE FOLDER": it registers itself and holds sessions,
' then, as MODE says, waits (holding), stalls inside the server's read of its application
' object (reading), or stalls in the middle of a for-each (enumerating), until the test
' kills it. Run as "observer PHASE FOLDER": another client that keeps working meanwhile.
' Run as "orphan - FOLDER": a client whose server the test ends under it.
Class StallingApp
    Public Comments
    Public Mode
    Public Folder
    Public Property Get Title
        Title = "vittima"
        If Mode = "reading" Then
            WriteFile Folder & "\victim-stalled", "1"
            Stall
        End If
    End Property
    Public Property Get EXEName
        EXEName = "Vittima" & Mode
    End Property
    Public Property Get hInstance
        hInstance = 7
    End Property
End Class

Function ServerGone(number)
    ServerGone = number = 462 Or number = &H800706BA Or number = &H800706BE
End Function

' Busy until killed, at most five minutes (Wine's cscript has no Sleep).
Sub Stall()
    Dim started
    started = Timer
    Do While Timer - started < 300 And Timer >= started
    Loop
End Sub

Dim role, mode, folder, g, ss, apps
role = WScript.Arguments(0)
folder = WScript.Arguments(2)
Set g = CreateObject("Ondrik.Global")
Set ss = g.Sessioni
Set apps = g.Applicazioni

If role = "orphan" Then
    ' The server dies under this client (the test ends it): each call on its objects then
    ' fails as the server being gone, through a method and a register alike. VBScript on
    ' Windows shows it as 462; Wine's passes the HRESULT on: &H800706BA (unavailable) or,
    ' when the call goes out on the connection the client had to the server, &H800706BE
    ' (the call failed), both seen here with the server's process already ended.
    Dim name, count, byMethod, byRegister
    WriteFile folder & "\orphan-ready", "1"
    Check WaitForFile(folder & "\server-killed", 120), "the test ends the server"
    On Error Resume Next
    name = g.GetComputerName()
    byMethod = Err.Number
    Err.Clear
    count = ss.Count
    byRegister = Err.Number
    On Error GoTo 0
    Check ServerGone(byMethod), "a method of a dead server: 462, &H800706BA or &H800706BE, not " & Hex(byMethod)
    Check ServerGone(byRegister), "a register of a dead server: 462, &H800706BA or &H800706BE, not " & Hex(byRegister)
ElseIf role = "victim" Then
    Dim app, rec, s, item
    mode = WScript.Arguments(1)
    Set app = New StallingApp
    app.Mode = "holding"
    app.Folder = folder
    Set rec = apps.Apri(app)
    Set rec.Sessione = ss.Apri("VITTIMA", False, "v", "p")
    ss.Apri "VITTIMA", True, "v", "p"
    If mode = "reading" Then
        app.Mode = "reading"
        apps.Apri app
    ElseIf mode = "enumerating" Then
        For Each item In ss
            WriteFile folder & "\victim-stalled", "1"
            Stall
        Next
    Else
        WriteFile folder & "\victim-stalled", "1"
        Stall
    End If
    WScript.Echo "the victim was not killed"
Else
    Dim phase, mine, n, k
    phase = WScript.Arguments(1)
    If phase = "before" Then
        Set mine = ss.Apri("OSSERVATORE", True, "o", "p")
        WriteFile folder & "\observer-session", CStr(mine.ID)
        CheckEqual mine.CodiceAzienda, "OSSERVATORE", "the observer opens its session"
    Else
        ' After the victim died: the server still serves, and nothing of ours is lost.
        Set mine = ss.Item("K" & ReadFile(folder & "\observer-session"))
        Check Not (mine Is Nothing), "the observer's session is still entered"
        Set s = ss.Apri("OSSERVATORE", True)
        CheckEqual CStr(s.ID), ReadFile(folder & "\observer-session"), "and still handed out as the shared one"
        n = 0
        For Each s In ss
            n = n + 1
        Next
        CheckEqual n, ss.Count, "for-each still walks the whole register"
        For k = 1 To 20
            ss.Apri "DOPO", False
        Next
        Check ss.Count >= 21, "new sessions can be opened (" & ss.Count & ")"
        Check apps.Item("Vittimareading|7|0") Is Nothing, "a registration whose reading was cut off is not filed"
        ' The victim's own entries stay: Wine never releases what a dead client held.
        WScript.Echo "victim's entries left: applications " & apps.Count & ", sessions " & ss.Count
    End If
End If
Summary
