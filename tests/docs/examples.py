#!/usr/bin/env python3
"""The examples of docs/reference.md. An example is a block fenced as vbscript, javascript
or cpp; the block fenced as text that follows it (after a line "Output:") is what it prints.
Syntax lines are fenced as vb and c++, and are no examples. tests/docs/reference_test.py
checks that every example has its output.

  examples.py extract REFERENCE OUTDIR LANGUAGE...
      writes each example of the languages given as OUTDIR/NNN-Section.EXT, and its output
      as OUTDIR/NNN-Section.expected; a file whose text is unchanged is left as it is (so
      that a build does not remake it), and files of examples that are gone are removed
"""
import os
import re
import sys

EXTENSIONS = {"vbscript": "vbs", "javascript": "js", "cpp": "cpp"}
FENCE = re.compile(r"^```(\S*)\s*$")


def blocks(text):
    """(language, first line number, body, section) for every fenced block, in order."""
    section = "Intro"
    lines = text.split("\n")
    i = 0
    while i < len(lines):
        heading = re.match(r"^#{2,3} (.+?)\s*$", lines[i])
        if heading:
            section = heading.group(1)
        fence = FENCE.match(lines[i])
        if fence:
            start = i
            i += 1
            body = []
            while i < len(lines) and lines[i] != "```":
                body.append(lines[i])
                i += 1
            yield fence.group(1), start + 1, "\n".join(body) + "\n", section, i
        i += 1


def examples(text):
    """(number, section, language, line, code, expected or None) for every example."""
    found = list(blocks(text))
    lines = text.split("\n")
    out = []
    for k, (language, line, body, section, end) in enumerate(found):
        if language not in EXTENSIONS:
            continue
        expected = None
        following = found[k + 1] if k + 1 < len(found) else None
        between = lines[end + 1:following[1] - 1] if following else []
        if following and following[0] == "text" and [l for l in between if l.strip()] == ["Output:"]:
            expected = following[2]
        out.append((len(out) + 1, section, language, line, body, expected))
    return out


def name_of(number, section):
    return "%03d-%s" % (number, re.sub(r"[^\w.]+", "_", section))


def write_if_changed(path, text):
    try:
        with open(path, encoding="utf-8", newline="") as f:
            if f.read() == text:
                return
    except FileNotFoundError:
        pass
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write(text)


def main(argv):
    with open(argv[2], encoding="utf-8") as f:
        text = f.read()
    found = examples(text)
    if argv[1] != "extract":
        raise SystemExit(__doc__)
    outdir, languages = argv[3], argv[4:]
    os.makedirs(outdir, exist_ok=True)
    keep = set()
    for number, section, language, _, code, expected in found:
        if language not in languages:
            continue
        name = name_of(number, section)
        if language == "vbscript":
            code = code.replace("\n", "\r\n")  # the script host wants Windows lines
        for file, content in ((name + "." + EXTENSIONS[language], code), (name + ".expected", expected or "")):
            write_if_changed(os.path.join(outdir, file), content)
            keep.add(file)
    for file in os.listdir(outdir):
        if file not in keep and re.match(r"^\d{3}-", file):
            os.remove(os.path.join(outdir, file))
    return 0


if __name__ == "__main__":
    raise SystemExit(main(sys.argv))
