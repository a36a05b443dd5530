' A client parsing command lines: switches in any case, values read by position and by
' key, for-each, the delimiter cases, and the Collection that comes back.
Dim g, c, item, seen, n, errNumber, errText, v

Function ReadAll(coll)
    Dim x, out
    out = ""
    For Each x In coll
        out = out & "[" & x & "]"
    Next
    ReadAll = out
End Function

Set g = CreateObject("Ondrik.Global")

' Several switches, given in another case on the line.
Set c = g.ParseCommand("contab.exe ditta1 -U mario rossi -d archivio -A", " ", "-u", "-D", "-a", "-x")
Check InStr(TypeName(c), "Collection") > 0, "the result is a Collection: " & TypeName(c)
CheckEqual c.Count, 5, "two words and three switches"
CheckEqual c(1), "contab.exe", "the first word by position"
CheckEqual c.Item(2), "ditta1", "the second word by position"
CheckEqual c(3), "mario rossi", "the first switch's words joined by a space"
CheckEqual c("-u"), "mario rossi", "by key as written in the list"
CheckEqual c("-U"), "mario rossi", "by key in another case"
CheckEqual c.Item("-D"), "archivio", "the second switch"
CheckEqual c("-a"), "-a", "a switch without a value holds its own name as written in the list"
CheckEqual ReadAll(c), "[contab.exe][ditta1][mario rossi][archivio][-a]", "for-each in order"

' A switch that is not on the line is not in the collection.
On Error Resume Next
v = c("-x")
errNumber = Err.Number
errText = Err.Description
On Error GoTo 0
CheckEqual errNumber, 5, "a missing key fails with error 5"
CheckEqual errText, "Invalid procedure call or argument", "its description"

' A repeated switch collects every value and moves to the end.
Set c = g.ParseCommand("/U a /D b /U c", " ", "/U", "/D", "/A")
CheckEqual ReadAll(c), "[b][a c]", "the repeated switch's item moves behind the others"
CheckEqual c("/u"), "a c", "both values of the repeated switch"

' The delimiter cases.
Set c = g.ParseCommand("a  b", " ")
CheckEqual ReadAll(c), "[a][][b]", "two delimiters in a row give an empty word"
Set c = g.ParseCommand("/U  a  b", " ", "/U")
CheckEqual ReadAll(c), "[a b]", "empty words leave a value unchanged"
Set c = g.ParseCommand("/U, x,y", ",", "/U")
CheckEqual ReadAll(c), "[x y]", "the first value is trimmed once a second joins it"
Set c = g.ParseCommand("/U, x", ",", "/U")
CheckEqual ReadAll(c), "[ x]", "the first value stays untrimmed"
Set c = g.ParseCommand("/U::a b::c", "::", "/U")
CheckEqual ReadAll(c), "[a b c]", "a delimiter of two characters"
Set c = g.ParseCommand("/U a", "", "/U")
CheckEqual ReadAll(c), "[/U a]", "an empty delimiter leaves the line whole"
Set c = g.ParseCommand("""a b"" c", " ")
CheckEqual c.Count, 3, "quotes have no meaning"
CheckEqual c(1), """a", "the quote stays in the word"
Set c = g.ParseCommand("x" & vbTab & "y", vbTab)
CheckEqual ReadAll(c), "[x][y]", "a tab as the delimiter"

' An empty command line gives Nothing.
Set c = g.ParseCommand("", " ", "/U")
Check c Is Nothing, "an empty line gives Nothing"

' Switches from variables and of other types.
Dim flagUser, flagNumber
flagUser = "/USER"
flagNumber = 7
Set c = g.ParseCommand("x /user u 7 n", " ", flagUser, flagNumber)
CheckEqual ReadAll(c), "[x][u][n]", "switches held in variables, one a number"
CheckEqual c("7"), "n", "a number switch is keyed by its text"

' The collection is an ordinary Collection for the client.
Set c = g.ParseCommand("a b", " ")
c.Add "z", "ultimo"
c.Add "primo", "Primo", 1
c.Add "dopo", , , "ULTIMO"
CheckEqual ReadAll(c), "[primo][a][b][z][dopo]", "Add at the end, before and after"
c.Remove 2
c.Remove "primo"
CheckEqual ReadAll(c), "[b][z][dopo]", "Remove by position and by key"
On Error Resume Next
c.Add "again", "Ultimo"
errNumber = Err.Number
errText = Err.Description
On Error GoTo 0
CheckEqual errNumber, 457, "a key already present fails with error 457"
CheckEqual errText, "This key is already associated with an element of this collection", "its description"
On Error Resume Next
c.Remove 9
errNumber = Err.Number
On Error GoTo 0
CheckEqual errNumber, 5, "Remove of a position that is not there"
CheckEqual c.Count, 3, "the failed calls changed nothing"

Summary
