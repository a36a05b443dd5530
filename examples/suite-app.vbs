' A suite application's sequence against Ondrik, as the suite's programs run it:
' open a session, register the application, attach the session, ask for the suite's
' folders (the data and user folders are created when missing), read its switches from
' its command line, close. Words given to the script make its command line (switches
' written with "-", since cscript takes words beginning with "/" as its own options);
' without any, a sample line is parsed.

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

' The application's switches, as the suite's programs read them at start.
Function ShowCommandLine(g, line)
    Dim parsed, item, i, switches, value, found
    switches = Array("-U", "-D", "-A", "/U", "/D", "/A", "-porta")
    WScript.Echo "Command line: " & line
    Set parsed = g.ParseCommand(line, " ", "-U", "-D", "-A", "/U", "/D", "/A", "-porta")
    Set ShowCommandLine = parsed
    If parsed Is Nothing Then
        WScript.Echo "  (empty: nothing to read)"
        Exit Function
    End If
    i = 0
    For Each item In parsed
        i = i + 1
        WScript.Echo "  item " & i & ": [" & item & "]"
    Next
    For Each value In switches
        On Error Resume Next
        item = parsed(value)
        found = (Err.Number = 0)
        On Error GoTo 0
        If found Then WScript.Echo "  switch " & value & " = [" & item & "]"
    Next
End Function

Dim line, k
line = "contab.exe"
For k = 0 To WScript.Arguments.Count - 1
    line = line & " " & WScript.Arguments(k)
Next
If WScript.Arguments.Count = 0 Then line = "contab.exe ditta01 -u mario.rossi /D archivio 2024 -a"
Dim options
Set options = ShowCommandLine(g, line)

g.Applicazioni.Chiudi record
WScript.Echo "Closed the application"
ShowRegisters g, "At the end"

'  With -porta PORT, the port of a web server on this machine, the example downloads its
' front page with the response headers.
Dim port, page, headers
port = ""
If Not options Is Nothing Then
    On Error Resume Next
    port = options("-porta")
    On Error GoTo 0
End If
If port <> "" And port <> "-porta" Then
    headers = ""
    page = g.GetURL("http://127.0.0.1:" & port & "/", False, headers)
    If IsEmpty(page) Then
        WScript.Echo "Nothing could be downloaded from port " & port
    Else
        Dim lines
        lines = Split(headers, vbCrLf)
        WScript.Echo "Downloaded " & Len(page) & " characters from port " & port & "; the response began: " & lines(0)
    End If
End If
