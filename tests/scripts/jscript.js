// A JScript client, as a suite tool written in JScript uses the server: sessions, its own
// application object (an object literal, and one made by a constructor), command lines,
// errors caught as exceptions, folders, shortcuts and Sleep. Wine's JScript cannot apply
// typeof to a date value (the script ends without a word): dates go through new Date().
var g = new ActiveXObject("Ondrik.Global");
var fso = new ActiveXObject("Scripting.FileSystemObject");
var ss = g.Sessioni, apps = g.Applicazioni;

// Open and share sessions.
var first = ss.Apri("JS01", true, "anna", "pw1");
var again = ss.Apri("JS01", true, "bruno", "pw2");
checkEqual(again.ID, first.ID, "a shared request gets the open shared session");
checkEqual(again.UserID, "anna", "the shared session keeps its first user");
checkEqual(first.Condivisa, true, "Condivisa comes back as a Boolean");
var own = ss.Apri("JS01", false);
check(own.ID !== first.ID, "a non-shared request makes a new session");
checkEqual(own.UserID + "|" + own.Password, "|", "the optional user and password left out are empty");
checkEqual(ss.Item("k" + own.ID).ID, own.ID, "Item by key, in another case");
check(ss.Item(0) === null, "Item(0) is null (Nothing)");
var created = new Date(first.Creazione);
check(Math.abs(created.getTime() - new Date().getTime()) < 600000, "Creazione is about now: " + created);
own.UserID = "carla";
checkEqual(ss.Item("K" + own.ID).UserID, "carla", "a property put is seen through the register");
var walked = 0;
for (var e = new Enumerator(ss); !e.atEnd(); e.moveNext()) walked++;
checkEqual(walked, ss.Count(), "an Enumerator walks every session");

// A JScript application object registers: an object literal ...
var literal = {
    Comments: "note", CompanyName: "VENDRASIL", FileDescription: "Strumento", LegalCopyright: "(c)",
    LegalTrademarks: "tm", Major: 2, Minor: "1", Revision: 9, ProductName: "Suite", Title: "Letterale",
    Path: "C:\\Suite\\Eseguibili\\Strumento", EXEName: "JsDemo", ThreadID: 88.6, hInstance: -512
};
var before = apps.Count();
var r = apps.Apri(literal);
check(r !== null, "an object literal registers");
checkEqual(apps.Count(), before + 1, "and is filed");
checkEqual([r.Comments, r.CompanyName, r.FileDescription, r.LegalCopyright, r.LegalTrademarks, r.ProductName,
            r.Title, r.Path].join("|"),
           "note|VENDRASIL|Strumento|(c)|tm|Suite|Letterale|C:\\Suite\\Eseguibili\\Strumento", "its texts");
checkEqual(r.Major + "." + r.Minor + "." + r.Revision, "2.1.9", "its version, the text converted");
checkEqual(r.hInstance + "|" + r.ThreadID, "-512|89", "its numbers, rounded as the runtime does");
checkEqual(apps.Item("jsdemo|-512|89").EXEName, "JsDemo", "filed under its key");
// ... its session attached, and closed: a session that is not shared leaves with it.
r.Sessione = own;
checkEqual(r.Sessione.ID, own.ID, "the session attached");
var sessions = ss.Count();
apps.Chiudi(r);
checkEqual(apps.Count(), before, "Chiudi takes the record out");
checkEqual(ss.Count(), sessions - 1, "and its session that is not shared");
checkEqual(r.Sessione.ID, own.ID, "the closed record keeps its session");

// ... and an object made by a constructor, with a member from its prototype.
function SuiteTool(name, instance, thread) {
    this.EXEName = name;
    this.hInstance = instance;
    this.ThreadID = thread;
}
SuiteTool.prototype.Title = "Dal prototipo";
var made = apps.Apri(new SuiteTool("JsTool", 1, 2)), other = apps.Apri(new SuiteTool("JsTool", 1, 3));
check(made !== null && other !== null, "objects made by a constructor register");
checkEqual(made.EXEName + "|" + made.Title, "JsTool|Dal prototipo", "own and inherited members are read");
made.Sessione = first;
other.Sessione = first;
apps.Chiudi(made);
check(ss.Item("K" + first.ID) !== null, "a shared session stays while another application uses it");
apps.Chiudi(other);
check(ss.Item("K" + first.ID) === null, "and leaves with the last one");

// Members that are functions, objects or Null give their field's empty value, and the
// read goes on with the next member.
var odd = apps.Apri({
    Comments: function () { return "dal metodo"; }, Title: {testo: "oggetto"}, CompanyName: null,
    Major: 40000, EXEName: "JsStrano", hInstance: 3, ThreadID: 4
});
check(odd !== null, "an object with odd members registers");
checkEqual(odd.Comments + "|" + odd.Title + "|" + odd.CompanyName + "|" + odd.Major, "|||0",
           "a function, an object, null and a number out of range leave their fields empty");
apps.Chiudi(odd);
check(apps.Apri({Title: "senza nome"}) === null, "an object without EXEName registers nothing");
check(apps.Apri(42) === null, "a value that is not an object registers nothing");
checkEqual(apps.Count(), before, "nothing was left filed");

// ParseCommand: the switches as separate arguments, the result walked with an Enumerator.
var c = g.ParseCommand("contab.exe ditta01 -u mario rossi /D archivio -a", " ", "-U", "/D", "-A");
checkEqual(itemsOf(c), "[contab.exe][ditta01][mario rossi][archivio][-A]", "the items in order");
checkEqual(c.Item("-U"), "mario rossi", "a switch's words, joined by a space");
checkEqual(c.Item(1), "contab.exe", "the first word by position");
checkEqual(c.Count(), 5, "Count");
checkEqual(itemsOf(g.ParseCommand("a  b", " ")), "[a][][b]", "no switches: every word, the empty one included");
check(g.ParseCommand("", " ", "-U") === null, "an empty line gives null (Nothing)");

// Errors come as exceptions that carry the runtime's numbers and texts.
var err = errorOf(function () { c.Item("-x"); });
checkEqual(err.number, "800A0005", "a missing key");
checkEqual(err.description, "Invalid procedure call or argument", "its description");
checkEqual(errorOf(function () { c.Add("di nuovo", "-u"); }).number, "800A01C9", "a key already present");
checkEqual(errorOf(function () { c.Remove(99); }).number, "800A0005", "Remove of a position that is not there");
checkEqual(errorOf(function () { g.IsVendrasil("a|b"); }).number, "8007007B", "a name the file system rejects");
checkEqual(errorOf(function () { g.Sleep("adesso"); }).number, "80020005", "a text where a number is wanted");
checkEqual(errorOf(function () { g.GetNomeFile(); }).number, "8002000E", "a required argument left out");
checkEqual(c.Count(), 5, "the failed calls changed nothing");

// Folders.
checkEqual(g.GetDirectoryBase(), "C:\\Suite", "the base directory");
checkEqual(g.GetDirectoryDati("Strumento.js"), "C:\\Suite\\Dati\\Strumento", "a program's data folder");
check(fso.FolderExists("C:\\Suite\\Dati\\Strumento"), "which exists afterwards");
checkEqual(g.GetDirectoryUtenti("anna"), "C:\\Suite\\Dati\\Utenti\\anna", "a user's folder");
checkEqual(g.GetDirectoryEseguibili(), "C:\\Suite\\Eseguibili", "the executables folder");
checkEqual(g.IsVendrasil("Server"), true, "the server's own program is installed");
checkEqual(g.GetNomeFile("C:\\Dir.old\\Archivio.tar.gz") + "|" + g.GetEstensioneFile("Archivio.tar.gz"),
           "Archivio.tar|gz", "file name and last extension");
checkEqual(g.GetWindowsDirectory(), g.GetSystemDirectory(), "GetWindowsDirectory asks for the system folder");
var dir = fso.GetSpecialFolder(2) + "\\ondrik-jscript";
if (fso.FolderExists(dir)) fso.DeleteFolder(dir, true);
g.CreaDirectory(dir + "\\a\\b");
check(fso.FolderExists(dir + "\\a\\b"), "CreaDirectory makes every missing folder");

// Shortcuts.
var target = dir + "\\documento.txt", link = dir + "\\Gestione.lnk";
fso.CreateTextFile(target, true).Close();
var l = new ActiveXObject("Ondrik.ShellLink");
l.FileCollegato = dir + "\\manca.txt";
checkEqual(l.FileCollegato, "", "a missing target is not taken");
l.FileCollegato = target;
l.Argomenti = "-x";
l.Descrizione = "Gestione";
checkEqual(l.CreaCollegamento(link), true, "CreaCollegamento gives true");
checkEqual(l.Nome, "Gestione", "Nome");
var back = new ActiveXObject("Ondrik.ShellLink");
checkEqual(back.LeggiCollegamento(link), true, "a second object reads the shortcut");
checkEqual(back.FileCollegato + "|" + back.Argomenti + "|" + back.Descrizione, target + "|-x|Gestione",
           "the values read back");
checkEqual(back.LeggiCollegamento(dir + "\\manca.lnk"), false, "a missing shortcut gives false");

// Sleep waits the time asked; a negative time, not at all.
var started = new Date().getTime();
g.Sleep(400);
check(new Date().getTime() - started >= 350, "Sleep(400) waited (less a margin for the clocks' steps)");
g.Sleep(-1); // at once: a script that waited for ever would end without its summary
fso.DeleteFolder(dir, true);

summary();
