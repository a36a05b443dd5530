' What a 64-bit client is told of Windows' folders by the 32-bit server, which sees them
' as a 32-bit process does: each answer is printed (docs/reference.md gives them), and
' checked against the 64-bit client's own view.
Dim g, fso, sh, env, own, wow
Set g = CreateObject("Ondrik.Global")
Set fso = CreateObject("Scripting.FileSystemObject")
Set sh = CreateObject("WScript.Shell")
Set env = sh.Environment("Process")
CheckEqual env("PROCESSOR_ARCHITECTURE"), "AMD64", "the client is a 64-bit process"

Sub Show(name, value)
    WScript.Echo name & ": " & value
End Sub
Show "GetSystemDirectory", g.GetSystemDirectory()
Show "GetWindowsDirectory", g.GetWindowsDirectory()
Show "GetProgramFilesDirectory", g.GetProgramFilesDirectory()
Show "GetDesktopDirectory", g.GetDesktopDirectory()
Show "GetCommonDesktopDirectory", g.GetCommonDesktopDirectory()
Show "GetTemporaryDirectory", g.GetTemporaryDirectory()
Show "the client's system folder", fso.GetSpecialFolder(1).Path
Show "the client's ProgramFiles", env("ProgramFiles")

' The program files folder is the 32-bit programs' one.
CheckEqual LCase(g.GetProgramFilesDirectory()), LCase(sh.ExpandEnvironmentStrings("%ProgramFiles(x86)%")), _
    "the program files folder is the 32-bit programs' folder"
Check LCase(g.GetProgramFilesDirectory()) <> LCase(env("ProgramFiles")), _
    "which is not the 64-bit client's own"
CheckEqual g.GetWindowsDirectory(), g.GetSystemDirectory(), "GetWindowsDirectory asks for the system folder"
' The user's folders are the same for both.
CheckEqual LCase(g.GetDesktopDirectory()), LCase(sh.SpecialFolders("Desktop")), "the desktop folder is the client's"
CheckEqual LCase(g.GetCommonDesktopDirectory()), LCase(sh.SpecialFolders("AllUsersDesktop")), _
    "the common desktop folder is the client's"
CheckEqual g.GetTemporaryDirectory(), sh.ExpandEnvironmentStrings("%TEMP%"), "the temporary folder is the client's TEMP"

' What the server makes under the system folder lands in the 32-bit system folder: the
' file system redirects it there for a 32-bit process.
Sub RemoveFolder(path)
    If fso.FolderExists(path) Then fso.DeleteFolder path, True
End Sub
own = fso.GetSpecialFolder(1).Path & "\OndrikCartella64"
wow = sh.ExpandEnvironmentStrings("%SystemRoot%\SysWOW64\OndrikCartella64")
RemoveFolder own
RemoveFolder wow
g.CreaDirectory own & "\sotto"
Check fso.FolderExists(wow & "\sotto"), "a folder the server makes under System32 is made under SysWOW64"
Check Not fso.FolderExists(own), "and not in the 64-bit client's System32"
RemoveFolder wow
Check g.IsVendrasil("Server"), "the server's own folder is found (outside the redirected folders)"
Summary
