' A suite application's sequence against Ondrik, as the suite's programs run it:
' open a session, register the application, attach the session, ask for the suite's
' folders (the data and user folders are created when missing), close.

' The application object a suite program hands to the server; the server reads its
' version data by name.
Class SuiteApp
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

Sub ShowRegisters(g, heading)
    Dim s, a
    WScript.Echo heading
    WScript.Echo "  sessions: " & g.Sessioni.Count
    For Each s In g.Sessioni
        WScript.Echo "    K" & s.ID & "  company " & s.CodiceAzienda & ", user " & s.UserID & _
            ", shared " & s.Condivisa & ", opened " & s.Creazione
    Next
    WScript.Echo "  applications: " & g.Applicazioni.Count
    For Each a In g.Applicazioni
        WScript.Echo "    " & a.EXEName & "|" & a.hInstance & "|" & a.ThreadID & "  " & a.Title & " " & _
            a.Major & "." & a.Minor & "." & a.Revision
    Next
End Sub

Dim g, session, app, record
Set g = CreateObject("Ondrik.Global")
ShowRegisters g, "At start"

Set session = g.Sessioni.Apri("AZ01", True, "mario.rossi", "segreta")
WScript.Echo "Opened the shared session of company AZ01: K" & session.ID

Set app = New SuiteApp
app.EXEName = "Contab"
app.Title = "Contabilita"
app.ProductName = "Suite"
app.CompanyName = "VENDRASIL"
app.Major = 2 : app.Minor = 0 : app.Revision = 7
app.Path = "C:\Suite\Eseguibili\Contab"
app.hInstance = 4194304
app.ThreadID = 1234
Set record = g.Applicazioni.Apri(app)
Set record.Sessione = session
WScript.Echo "Registered as " & record.EXEName & "|" & record.hInstance & "|" & record.ThreadID & _
    ", working in session K" & record.Sessione.ID
ShowRegisters g, "While running"

WScript.Echo "Folders of the suite"
WScript.Echo "  base:        " & g.GetDirectoryBase()
WScript.Echo "  executables: " & g.GetDirectoryEseguibili(app.EXEName) & _
    "  (installed: " & g.IsVendrasil(app.EXEName) & ")"
WScript.Echo "  data:        " & g.GetDirectoryDati(app.EXEName)
WScript.Echo "  user:        " & g.GetDirectoryUtenti(session.UserID)
WScript.Echo "  temporary:   " & g.GetTemporaryDirectory()

g.Applicazioni.Chiudi record
WScript.Echo "Closed the application"
ShowRegisters g, "At the end"
