' GetURL from VBScript: a String or a Byte array, and the headers in a variable passed
' by reference. The loopback server's port comes as the first argument.
Dim g, base, body, h, data
base = "http://127.0.0.1:" & WScript.Arguments(0)
Set g = CreateObject("Ondrik.Global")
body = g.GetURL(base & "/text", False)
CheckEqual body, "Ciao dal server di prova", "text comes back as a String"
CheckEqual VarType(body), 8, "of type String"
h = ""
body = g.GetURL(base & "/text", False, h)
Check InStr(h, "X-Ondrik-Test: si") > 0, "an empty Header variable receives the headers"
h = "NoHeader"
body = g.GetURL(base & "/text", False, h)
CheckEqual h, "NoHeader", "NoHeader asks for no headers"
data = g.GetURL(base & "/bytes", True)
CheckEqual VarType(data), 8209, "bytes come back as a Byte array"
h = ""
body = g.GetURL(base & "/missing", False, h)
Check InStr(h, "404") > 0, "a missing page reports its status in the headers"
Check IsEmpty(g.GetURL("http://127.0.0.1:1/", False)), "a refused connection gives Empty"
CheckEqual g.RisolviIndirizzo("127.0.0.9"), "127.0.0.9", "an address nobody answers comes back as given"
Summary
