' One VBScript property read (Sessioni.Count) on Ondrik and on the do-nothing server.
Dim g, real, baseline, i, x, t0, tReal, tBase, n
n = 500
Set g = CreateObject("Ondrik.Global")
Set real = g.Sessioni
Set baseline = CreateObject("OndrikBench.Null")
For i = 1 To 50 : x = real.Count : x = baseline.Count : Next
t0 = Timer
For i = 1 To n : x = real.Count : Next
tReal = Timer - t0
t0 = Timer
For i = 1 To n : x = baseline.Count : Next
tBase = Timer - t0
WScript.Echo "VBScript read                " & FormatNumber(tReal * 1000000 / n, 1) & "   " & _
    FormatNumber(tBase * 1000000 / n, 1) & "   ratio " & FormatNumber(tReal / tBase, 2)
