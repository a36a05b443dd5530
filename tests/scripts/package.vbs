' The server installed from the package, as a client sees it. One mode per call:
'   installed BASE STATUS  the server answers from the suite base BASE, and the status
'                          script STATUS lists what this client opened (never a password)
'   products CODE VERSION  the installed products of the upgrade code CODE: one, of
'                          VERSION (none when VERSION is "none")
'   removed                Ondrik.Global can no longer be created (error 429)

Sub CheckInstalled(base, statusScript)
    Dim g, session, app, record, shell, command, listing
    Set g = CreateObject("Ondrik.Global")
    CheckEqual g.GetDirectoryBase(), base, "suite base of the installed server"
    Set session = g.Sessioni.Apri("AZ77", True, "anna.bianchi", "Segreto-77")
    Set app = New FullApp
    app.EXEName = "Magazzino" : app.hInstance = 65536 : app.ThreadID = 777
    app.ProductName = "Suite Test" : app.Major = 3 : app.Minor = 1 : app.Revision = 4
    app.Path = base & "\Eseguibili\Magazzino"
    Set record = g.Applicazioni.Apri(app)
    Set record.Sessione = session

    ' The status script in a process of its own, by cscript's full path (cmd, run from
    ' here, does not always find it by name).
    Set shell = CreateObject("WScript.Shell")
    command = "cmd /c " & CreateObject("Scripting.FileSystemObject").GetSpecialFolder(1) & "\cscript.exe //nologo """
    shell.Run command & statusScript & """ > C:\tests\status.txt 2>&1", 0, True
    listing = ReadFile("C:\tests\status.txt")
    WScript.Echo listing
    Check InStr(listing, "K" & session.ID & "  company AZ77  user anna.bianchi  shared " & session.Condivisa & _
        "  opened " & session.Creazione) > 0, "status lists the session"
    Check InStr(listing, "Magazzino|65536|777  product Suite Test  version 3.1.4  folder " & app.Path & _
        "  session K" & session.ID) > 0, "status lists the application"
    Check InStr(listing, "Segreto-77") = 0, "status never shows the password"
    g.Applicazioni.Chiudi record
End Sub

Sub CheckProducts(code, version)
    Dim installer, product, count
    Set installer = CreateObject("WindowsInstaller.Installer")
    count = 0
    For Each product In installer.RelatedProducts(code)
        count = count + 1
        CheckEqual installer.ProductInfo(product, "VersionString"), version, "installed version"
    Next
    If version = "none" Then
        CheckEqual count, 0, "installed products"
    Else
        CheckEqual count, 1, "installed products"
    End If
End Sub

Sub CheckRemoved()
    Dim g
    On Error Resume Next
    Set g = CreateObject("Ondrik.Global")
    CheckEqual Err.Number, 429, "creating Ondrik.Global after removal"
End Sub

Select Case WScript.Arguments(0)
    Case "installed"
        CheckInstalled WScript.Arguments(1), WScript.Arguments(2)
    Case "products"
        CheckProducts WScript.Arguments(1), WScript.Arguments(2)
    Case "removed"
        CheckRemoved
End Select
Summary
