// Checks for the JScript client scenarios, as check.vbs is for the VBScript ones: a line
// per failed check, and a closing summary line (Wine's cscript reports no script error,
// so a missing summary is a failure).
var passedCount = 0, failedCount = 0;

function check(ok, what) {
    if (ok) {
        passedCount++;
    } else {
        failedCount++;
        WScript.Echo("FAILED: " + what);
    }
}

// Strict equality: a number that comes back as text is a failure too.
function checkEqual(actual, expected, what) {
    check(actual === expected, what + " (got [" + actual + "], expected [" + expected + "])");
}

function summary() {
    WScript.Echo(passedCount + " passed, " + failedCount + " failed");
}

// Runs call and gives the error it raised as an exception: its number as the HRESULT in
// hexadecimal ("800A0005") and its description; number "" when it raised none.
function errorOf(call) {
    try {
        call();
    } catch (e) {
        return {number: (e.number >>> 0).toString(16).toUpperCase(), description: e.description};
    }
    return {number: "", description: ""};
}

// The items of a collection, walked with an Enumerator, each in brackets.
function itemsOf(collection) {
    var out = "";
    for (var e = new Enumerator(collection); !e.atEnd(); e.moveNext()) out += "[" + e.item() + "]";
    return out;
}
