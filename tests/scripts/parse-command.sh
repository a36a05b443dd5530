# One client: command lines parsed into collections through VBScript.
source "$(dirname "$0")/lib/run-vbs.sh"
run_vbs "$1" parse-command.vbs
