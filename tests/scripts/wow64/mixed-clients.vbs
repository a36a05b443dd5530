' A 32-bit and a 64-bit client at once on the one i686 server: they share a company's
' session, each sees the other's application, and each closes the other's record. Run as
' "c32" (the 32-bit client, which begins) or "c64", with a folder for the hand-shake files.
Dim role, dir, bits, g, ss, apps, s, mine, other, n

Function ProcessBits()
    ' A 64-bit process sees AMD64; a 32-bit one on 64-bit Windows sees x86, and the
    ' machine's kind in PROCESSOR_ARCHITEW6432.
    If CreateObject("WScript.Shell").Environment("Process")("PROCESSOR_ARCHITECTURE") = "AMD64" Then
        ProcessBits = 64
    Else
        ProcessBits = 32
    End If
End Function

Function NewApp(name, instance)
    Set NewApp = New FullApp
    NewApp.EXEName = name
    NewApp.hInstance = instance
    NewApp.ThreadID = 7
    NewApp.Title = "Client a " & ProcessBits() & " bit"
    NewApp.Major = ProcessBits()
End Function

role = WScript.Arguments(0)
dir = WScript.Arguments(1)
bits = Mid(role, 2)
CheckEqual CStr(ProcessBits()), bits, "the " & role & " client is a " & bits & "-bit process"
Set g = CreateObject("Ondrik.Global")
Set ss = g.Sessioni
Set apps = g.Applicazioni
Set s = ss.Apri("MISTA", True, "utente" & bits, "pw")
Set mine = apps.Apri(NewApp("Client" & bits, CLng(bits)))
Set mine.Sessione = s

If role = "c32" Then
    CheckEqual ss.Count, 1, "the 32-bit client meets a fresh server"
    WriteFile dir & "\c32-ready", CStr(s.ID)
    Check WaitForFile(dir & "\c64-done", 120), "the 64-bit client ran"
    ' The 64-bit client closed this client's record; its own is there, in the shared session.
    Check apps.Item("Client32|32|7") Is Nothing, "the 64-bit client closed this client's record"
    Set other = apps.Item("Client64|64|7")
    Check Not (other Is Nothing), "the 64-bit client's application is seen here"
    If Not (other Is Nothing) Then
        CheckEqual other.Title, "Client a 64 bit", "read from the 64-bit client's own object"
        CheckEqual other.Major, 64, "with its numbers"
        Check other.Sessione Is s, "working in the session this client opened"
        CheckEqual ss.Item(1).UserID, "utente32", "the session keeps its first user"
        apps.Chiudi other
        Check apps.Item("Client64|64|7") Is Nothing, "this client closes the 64-bit client's record"
        CheckEqual ss.Count, 0, "with the last application, the shared session leaves the register"
    End If
Else
    Check WaitForFile(dir & "\c32-ready", 120), "the 32-bit client ran"
    CheckEqual CStr(s.ID), ReadFile(dir & "\c32-ready"), "the 32-bit client's shared session is handed out here"
    CheckEqual s.UserID, "utente32", "with the 32-bit client's user"
    CheckEqual ss.Count, 1, "one session for both"
    CheckEqual apps.Count, 2, "both applications are registered"
    Set other = apps.Item("Client32|32|7")
    Check Not (other Is Nothing), "the 32-bit client's application is seen here"
    If Not (other Is Nothing) Then
        CheckEqual other.Title, "Client a 32 bit", "read from the 32-bit client's own object"
        Check other.Sessione Is s, "working in the same session"
        n = 0
        For Each other In apps
            n = n + 1
        Next
        CheckEqual n, 2, "for-each walks both records"
        apps.Chiudi apps.Item("Client32|32|7")
        CheckEqual apps.Count, 1, "this client closes the 32-bit client's record"
        CheckEqual ss.Count, 1, "the shared session stays for this client's application"
    End If
    WriteFile dir & "\c64-done", "1"
End If
Summary
