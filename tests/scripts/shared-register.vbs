' Two client processes share one register. Run as "first" or "second" with a folder
' for the hand-shake files.
Dim role, dir, g, ss, s, other
role = WScript.Arguments(0)
If WScript.Arguments.Count > 1 Then dir = WScript.Arguments(1)
Set g = CreateObject("Ondrik.Global")
Set ss = g.Sessioni
If role = "first" Then
    CheckEqual ss.Count, 0, "the first client meets a fresh server"
    Set s = ss.Apri("CONDIVISA", True, "primo", "pw")
    WriteFile dir & "\first-ready", CStr(s.ID)
    Check WaitForFile(dir & "\second-done", 60), "the second client ran"
    CheckEqual s.UserID, "cambiato", "the second client's change is seen here"
    CheckEqual ss.Count, 2, "the second client's session is counted here"
ElseIf role = "second" Then
    Check WaitForFile(dir & "\first-ready", 60), "the first client ran"
    other = ReadFile(dir & "\first-ready")
    CheckEqual ss.Count, 1, "the first client's session is counted here"
    Set s = ss.Apri("CONDIVISA", True, "secondo", "x")
    CheckEqual CStr(s.ID), other, "the shared session of the other client is handed out"
    CheckEqual s.UserID, "primo", "with its first user"
    s.UserID = "cambiato"
    ss.Apri "ALTRA", False
    WriteFile dir & "\second-done", "1"
Else
    CheckEqual ss.Count, 0, "once every client has gone, the next one starts a fresh server"
End If
Summary
