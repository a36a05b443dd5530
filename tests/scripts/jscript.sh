# One client: the server through JScript (sessions, its application objects, command
# lines, errors as exceptions, folders, shortcuts, Sleep).
source "$(dirname "$0")/lib/run-vbs.sh"
run_vbs "$1" jscript.js
