' Checks for the client scenarios: a line per failed check, and a closing summary
' line (Wine's cscript reports no script error, so a missing summary is a failure).
Dim passedCount, failedCount
passedCount = 0
failedCount = 0

Sub Check(ok, what)
    If ok Then
        passedCount = passedCount + 1
    Else
        failedCount = failedCount + 1
        WScript.Echo "FAILED: " & what
    End If
End Sub

Sub CheckEqual(actual, expected, what)
    Check actual = expected, what & " (got [" & actual & "], expected [" & expected & "])"
End Sub

Sub Summary()
    WScript.Echo passedCount & " passed, " & failedCount & " failed"
End Sub

' Waits, without WScript.Sleep (Wine lacks it), until a file exists; False after limit seconds.
Function WaitForFile(path, limit)
    Dim fso, started
    Set fso = CreateObject("Scripting.FileSystemObject")
    started = Timer
    Do While Not fso.FileExists(path)
        If Timer - started > limit Or Timer < started Then
            WaitForFile = False
            Exit Function
        End If
    Loop
    WaitForFile = True
End Function

Sub WriteFile(path, text)
    Dim fso, f
    Set fso = CreateObject("Scripting.FileSystemObject")
    Set f = fso.CreateTextFile(path & ".tmp", True)
    f.Write text
    f.Close
    fso.MoveFile path & ".tmp", path
End Sub

' Reads a whole file. One that another client's WriteFile has just moved into place may still
' be open for a moment in that client: MoveFile renames through a handle of its own, closed
' only after the rename, and the script host opens a file for reading with no sharing. Such
' an open fails with a sharing violation (which Wine's scripting runtime reports as E_FAIL)
' and is tried again, for 10 s at most, after which its error is raised.
Function ReadFile(path)
    Dim fso, started
    Set fso = CreateObject("Scripting.FileSystemObject")
    started = Timer
    Do Until CanOpen(fso, path)
        If Timer - started > 10 Or Timer < started Then Exit Do
    Loop
    ReadFile = fso.OpenTextFile(path, 1).ReadAll
End Function

Function CanOpen(fso, path)
    On Error Resume Next
    fso.OpenTextFile(path, 1).Close
    CanOpen = Err.Number = 0
End Function

' A client's application object with every property that Applicazioni.Apri reads.
Class FullApp
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
