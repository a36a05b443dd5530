#!/usr/bin/env bash
# Writes the seed inputs of every fuzz target below DIR (DIR/<target>/...), from the
# readable forms here. Text inputs are UTF-16LE; U+0001 separates fields, U+0002 stands
# for a switch without a text form. Usage: fuzz/seeds.sh DIR
set -euo pipefail
dir=$1

text() { # target name text
    mkdir -p "$dir/$1"
    printf '%s' "$3" | iconv -f UTF-8 -t UTF-16LE >"$dir/$1/$2"
}
bytes() { # target name printf-format
    mkdir -p "$dir/$1"
    printf "$3" >"$dir/$1/$2"
}

# The command line: line, delimiter, then the switches.
text parse_command rows $'/u mario /D archivio\x01 \x01/U\x01/D\x01/A'
text parse_command repeat $'/U a /D b /U c\x01 \x01/U\x01/D\x01/A'
text parse_command comma $'/U, x,y\x01,\x01/U'
text parse_command spaces $'/U  a  b\x01 \x01/U'
text parse_command no-text $'-x 1 -y 2\x01 \x01\x02\x01-x\x01-Y'
text parse_command cases $'/À è /à é\x01 \x01/À\x01/à'
text parse_command fold $'Ÿ x ĸ y\x01 \x01Ÿ\x01ĸ'

# File names: the rows of the rules and their edges.
for p in 'C:\Dir\Contab.exe' 'Contab.exe' 'Archivio.tar.gz' 'C:\Dir.old\Leggimi' '.profile' 'file.' \
    'C:\Dir\' 'C:/Dir/Contab.exe' 'C:Contab.exe' '\\srv\share\a.b.c' 'a.b.c' '..\' 'Città\Perché.è'; do
    text path_names "$(printf '%s' "$p" | md5sum | cut -c1-8)" "$p"
done

# Folders: path, program, user.
text folder_plan suite $'C:\\Suite\\Eseguibili\\Server\x01Contab.exe\x01rossi'
text folder_plan closing $'C:\\Suite\\Eseguibili\\Server\\\x01C:\\Prog\\\x01a\\b'
text folder_plan unc $'\\\\srv\\share\\Suite\\Eseguibili\\Server\x01Archivio.tar.gz\x01rossi.old'
text folder_plan shallow $'C:\\Server\x01.ini'
text folder_plan root $'C:\\'
text folder_plan doubled $'C:\\\\A\\\\B\\'
text folder_plan bare 'Nuova'
text folder_plan relative $'A\\B\x01\x01\\\\'

# The keyed list: operation programs (FuzzedDataProvider reads them from the end).
bytes keyed_list grow '\x00\x01\x02\x03\x00\x05\x01\x02\x10\x20\x30\x09\x09\x02\xff\xff\x04\x05\x06\x07\x08\x09'
bytes keyed_list churn '\x02\xff\x02\x40\x04\x80\x03\x01\x05\x00\x06\x01\x07\x02\x08\x03\x09\x00\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x00\x01'
bytes keyed_list keys '\x00\x01\x01\x03\x00\x01\x02\x03\x05\x06\x07\x01\x01\x01\x00\x01\x02\x00\x01\x03\x09\x00\x00\x01\x01\x02\x02\x03'

# Record keys: three 32-bit values, then the executable name.
bytes record_keys zero '\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00C\x00o\x00n\x00t\x00a\x00b\x00'
bytes record_keys extremes '\x00\x00\x00\x80\xff\xff\xff\x7f\xff\xff\xff\xffa\x00|\x00b\x00'
bytes record_keys tens '\x00\xca\x9a\x3b\xc0\x35\x9a\xc4\x0f\x27\x00\x00|\x00|\x00'
bytes record_keys bars '\x01\x00\x00\x00\x02\x00\x00\x00\x03\x00\x00\x00|\x00'

# The books: sessions of a company shared and not, records filed in them, then closed.
bytes books share '\x00\x01\x01\x01\x00\x02\x01\x01\x01\x00\x00\x01\x01\x00\x04\x00\x00\x01\x01\x01\x01\x04\x00\x01\x00\x01\x01\x01'
bytes books churn '\x00\x00\x00\x00\x00\x00\x01\x01\x01\x01\x01\x00\x03\x00\x02\x02\x00\x01\x04\x00\x02\x00\x01\x00\x01\x04\x01\x01\x01\x01\x01\x01'
