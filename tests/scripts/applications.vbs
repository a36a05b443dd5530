' The application register with VBScript application objects: the server reads each
' object by calling back into this process.
Class PartialApp
    Public EXEName
    Public Major
    Public hInstance
End Class

Function NewApp(name, instance, thread)
    Set NewApp = New FullApp
    NewApp.EXEName = name
    NewApp.hInstance = instance
    NewApp.ThreadID = thread
    NewApp.Title = "Titolo " & name
    NewApp.Major = 2
    NewApp.Minor = 1
    NewApp.Revision = 9
End Function

Dim g, apps, ss, a, b, c, r, p, n, shared, lone

Set g = CreateObject("Ondrik.Global")
Set apps = g.Applicazioni
Set ss = g.Sessioni
CheckEqual apps.Count, 0, "a fresh server has no applications"

Set r = apps.Apri(NewApp("Demo", 512, 88))
CheckEqual r.EXEName, "Demo", "EXEName read from the client's object"
CheckEqual r.Title, "Titolo Demo", "Title read"
CheckEqual r.Major & "." & r.Minor & "." & r.Revision, "2.1.9", "version numbers read"
CheckEqual apps.Item("demo|512|88").EXEName, "Demo", "filed under its key, found in any case"
CheckEqual r.LinkTopic, "", "LinkTopic starts empty"
Check r.Sessione Is Nothing, "Sessione starts as Nothing"

Set p = New PartialApp
p.EXEName = "Parziale"
p.Major = "7"
p.hInstance = -4
Set b = apps.Apri(p)
CheckEqual b.Major, 7, "a Major given as text is converted"
CheckEqual b.Title, "", "a missing member leaves its field empty"
CheckEqual b.ThreadID, 0, "a missing number stays 0"
Check Not (apps.Item("Parziale|-4|0") Is Nothing), "a negative hInstance goes into the key"
p.Major = 40000
p.hInstance = 5
Set c = apps.Apri(p)
CheckEqual c.Major, 0, "a Major out of range is left at 0"

Check apps.Apri(42) Is Nothing, "a value that is not an object registers nothing"
p.EXEName = ""
Check apps.Apri(p) Is Nothing, "an empty EXEName registers nothing"
n = apps.Count
Set a = apps.Apri(NewApp("Demo", 512, 88))
Check Not (a Is r), "a duplicate key returns a new record"
CheckEqual apps.Count, n, "which is not filed"
Check apps.Item("Demo|512|88") Is r, "the key keeps the first record"
Check apps.Item(0) Is Nothing, "Item(0) is Nothing"
Check apps.Item(apps.Count + 1) Is Nothing, "Item(Count + 1) is Nothing"

' Sessions at closing: a shared session leaves the register with its last application.
Set shared = ss.Apri("SH", True, "u", "p")
Set a = apps.Apri(NewApp("Uno", 1, 1))
Set b = apps.Apri(NewApp("Due", 2, 2))
Set a.Sessione = shared
Set b.Sessione = shared
n = ss.Count
apps.Chiudi a
CheckEqual ss.Count, n, "the shared session stays while another application uses it"
Check a.Sessione Is shared, "Chiudi leaves the record's session alone"
apps.Chiudi b
CheckEqual ss.Count, n - 1, "the last application takes the shared session out"
apps.Chiudi b
CheckEqual ss.Count, n - 1, "closing twice changes nothing"

Set lone = ss.Apri("SOLO", False)
Set a = apps.Apri(NewApp("Tre", 3, 3))
Set b = apps.Apri(NewApp("Quattro", 4, 4))
Set a.Sessione = lone
Set b.Sessione = lone
n = ss.Count
apps.Chiudi a
CheckEqual ss.Count, n - 1, "a non-shared session leaves at once, even if others use it"

Set a = apps.Apri(NewApp("Cinque", 5, 5))
a.ThreadID = 6
n = apps.Count
apps.Chiudi a
CheckEqual apps.Count, n, "a record whose ThreadID changed is not found by Chiudi"
apps.Chiudi Nothing
CheckEqual apps.Count, n, "Chiudi of Nothing does nothing"

n = 0
For Each a In apps
    n = n + 1
Next
CheckEqual n, apps.Count, "for-each visits every record"

' Members of other kinds: a function without arguments is called; one that wants
' arguments, one that raises and one that returns an object leave their fields empty,
' and the read goes on.
Class OddApp
    Public hInstance
    Public ThreadID
    Public Function EXEName()
        EXEName = "Strano"
    End Function
    Public Function Title(x)
        Title = "mai"
    End Function
    Public Property Get Comments()
        Err.Raise 5
    End Property
    Public Property Get CompanyName()
        Set CompanyName = New FullApp
    End Property
End Class
Set p = New OddApp
p.hInstance = 7
p.ThreadID = 8
Set r = apps.Apri(p)
Check Not (r Is Nothing), "an object whose EXEName is a function registers"
CheckEqual r.EXEName, "Strano", "a function without arguments is called"
CheckEqual r.Title & "|" & r.Comments & "|" & r.CompanyName, "||", _
    "members that want arguments, raise or return an object leave their fields empty"
CheckEqual r.hInstance & "|" & r.ThreadID, "7|8", "the members after them are read"
apps.Chiudi r
Summary
