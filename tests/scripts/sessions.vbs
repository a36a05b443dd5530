' One client against the session register of a fresh server.
Dim g, ss, a, b, c, s, n, first
Set g = CreateObject("Ondrik.Global")
Set ss = g.Sessioni

CheckEqual ss.Count, 0, "a fresh server has no sessions"
Check ss.Item(1) Is Nothing, "Item(1) of an empty register is Nothing"
n = 0
For Each s In ss
    n = n + 1
Next
CheckEqual n, 0, "for-each over an empty register"

Set a = ss.Apri("AZ1", False, "mario", "pw1")
Set b = ss.Apri("AZ1", False, "mario", "pw1")
Check Not (a Is b), "two non-shared sessions are two objects"
CheckEqual ss.Count, 2, "two non-shared sessions are both entered"
Check CDbl(b.ID) > CDbl(a.ID) Or b.ID < 0, "IDs grow"
CheckEqual ss.Item(1).ID, a.ID, "Item(1) is the oldest"
CheckEqual ss(ss.Count).ID, b.ID, "the default member indexes too; Item(Count) is the newest"
Check ss.Item(0) Is Nothing, "Item(0) is Nothing"
Check ss.Item(ss.Count + 1) Is Nothing, "Item(Count + 1) is Nothing"
CheckEqual ss.Item("K" & a.ID).ID, a.ID, "Item by key"
CheckEqual ss.Item("k" & a.ID).ID, a.ID, "Item by key in another case"
Check ss.Item("K" & a.ID & " ") Is Nothing, "a key that is not present"
Check ss.Item(Null) Is Nothing, "an index of another kind"
CheckEqual ss.Item(1.4).ID, a.ID, "a fractional position is rounded"

Set a = ss.Apri("SH", True, "primo", "p1")
Set b = ss.Apri("SH", True, "secondo", "p2")
Check a Is b, "a shared request gets the open shared session"
CheckEqual b.UserID, "primo", "the shared session keeps its first user"
CheckEqual b.Password, "p1", "the shared session keeps its first password"
CheckEqual ss.Count, 3, "the second shared request enters nothing"
CheckEqual a.Condivisa, True, "Condivisa is stored as passed"

Set c = ss.Apri("NS", False)
Set a = ss.Apri("NS", True)
Check Not (a Is c), "a non-shared session is never handed out"
CheckEqual c.UserID, "", "UserID left out is empty"
CheckEqual c.Password, "", "Password left out is empty"
Set b = ss.Apri("ns", True)
Check Not (a Is b), "company codes differing in case are different"
Set b = ss.Apri("NS ", True)
Check Not (a Is b), "a trailing blank makes another company code"
Set a = ss.Apri("", True)
Set b = ss.Apri("", True)
Check a Is b, "the empty company code is shared like any other"

a.UserID = ""
CheckEqual a.UserID, "", "UserID can be emptied"
first = a.Creazione
a.Password = "x"
CheckEqual a.Creazione, first, "Creazione does not change"
Check Abs(Int(CDbl(first) * 86400 + 0.5) - CDbl(first) * 86400) < 0.001, "Creazione is to the whole second"
CheckEqual a.CodiceAzienda, "", "CodiceAzienda as given"

n = 0
For Each s In ss
    n = n + 1
    If n = 1 Then CheckEqual s.ID, ss.Item(1).ID, "for-each starts with the oldest"
Next
CheckEqual n, ss.Count, "for-each visits every session"

Dim number, description, parsed, x
Set parsed = g.ParseCommand("a b", " ")
On Error Resume Next
x = parsed.Item("assente")
number = Err.Number
description = Err.Description
On Error GoTo 0
CheckEqual number, 5, "a failing unguarded member raises the runtime's error"
Check Len(description) > 0, "the error carries a description"

' A property without a put: through IDispatch DISP_E_MEMBERNOTFOUND, which VBScript shows
' as 438 (not 450), and the value stays.
first = a.ID
On Error Resume Next
a.ID = 5
number = Err.Number
Err.Clear
a.CodiceAzienda = "ALTRA"
x = Err.Number
On Error GoTo 0
CheckEqual number, 438, "writing the read-only ID is error 438"
CheckEqual x, 438, "writing the read-only CodiceAzienda is error 438"
CheckEqual a.ID, first, "ID keeps its value"
CheckEqual a.CodiceAzienda, "", "CodiceAzienda keeps its value"
Summary
