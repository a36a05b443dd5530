' Ondrik status, for administrators: what the running server holds. Lists the open
' sessions (company, user, shared, opened; never the password) and the registered
' applications (key, product, version, folder, session).
'
'     cscript //nologo ondrik-status.vbs
'
' Each user has a server of their own, which serves that user's suite applications: this
' script sees the server of the user who runs it, and what that user's applications
' opened, never another user's. Run it in the session of the user in question (on their
' desktop, or in their remote session), without elevation: a runas, an elevated prompt
' ("Run as administrator") or another account reaches a server of its own, not that
' user's. When that user has no server running, asking starts one, which holds nothing
' and ends shortly after this script; it then prints "Sessions: 0" and "Applications: 0".
Option Explicit

Dim g
On Error Resume Next
Set g = CreateObject("Ondrik.Global")
If Err.Number <> 0 Then
    WScript.Echo "Ondrik is not available: error " & Err.Number & " " & Err.Description
    WScript.Quit 1
End If
On Error GoTo 0

Function SessionText(s)
    SessionText = "K" & s.ID & "  company " & s.CodiceAzienda & "  user " & s.UserID & _
        "  shared " & s.Condivisa & "  opened " & s.Creazione
End Function

Function ApplicationText(a)
    Dim session
    Set session = a.Sessione
    ApplicationText = a.EXEName & "|" & a.hInstance & "|" & a.ThreadID & _
        "  product " & a.ProductName & "  version " & a.Major & "." & a.Minor & "." & a.Revision & _
        "  folder " & a.Path
    If session Is Nothing Then
        ApplicationText = ApplicationText & "  session none"
    Else
        ApplicationText = ApplicationText & "  session K" & session.ID
    End If
End Function

Dim item
WScript.Echo "Sessions: " & g.Sessioni.Count
For Each item In g.Sessioni
    WScript.Echo "  " & SessionText(item)
Next
WScript.Echo "Applications: " & g.Applicazioni.Count
For Each item In g.Applicazioni
    WScript.Echo "  " & ApplicationText(item)
Next
