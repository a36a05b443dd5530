# Makes the C/C++ header for clients (IN, as widl wrote it) into OUT. widl turns an
# optional BSTR parameter's default into a C++ default argument, BSTR Command = L"open":
# a string literal is no BSTR (it has no length prefix, and marshalling reads one) and
# converting it to one is ill-formed C++ (an error under -Werror and under strict
# conformance modes). The default argument goes; the type library keeps the default for
# the clients that bind late, and an early-bound client passes a BSTR of its own.
file(READ "${IN}" text)
string(REGEX REPLACE "(BSTR [A-Za-z_][A-Za-z0-9_]*) = L\"[^\"]*\"" "\\1" text "${text}")
file(WRITE "${OUT}" "${text}")
