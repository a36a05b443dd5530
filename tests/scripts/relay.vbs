' One client of the relay (relay.sh): arguments ROUND FOLDER LAST. It tells the client
' before it that it is starting, creates Ondrik.Global (as the one before lets go), checks
' that the object works, and holds it, the server's only client, until the next one starts.
Dim round, dir, last, g, name
round = CInt(WScript.Arguments(0))
dir = WScript.Arguments(1)
last = CInt(WScript.Arguments(2))
If round > 0 Then WriteFile dir & "\starting-" & round, ""
On Error Resume Next
Set g = CreateObject("Ondrik.Global")
CheckEqual Err.Number, 0, "round " & round & ": Ondrik.Global created"
Err.Clear
name = g.GetComputerName()
CheckEqual Err.Number, 0, "round " & round & ": the object works"
On Error GoTo 0
Check Len(name) > 0, "round " & round & ": the computer's name"
WriteFile dir & "\holding-" & round, ""
If round < last Then Check WaitForFile(dir & "\starting-" & (round + 1), 300), "round " & round & ": the next client started"
Set g = Nothing
Summary
