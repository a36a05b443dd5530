# One client: the session register through VBScript.
source "$(dirname "$0")/lib/run-vbs.sh"
run_vbs "$1" sessions.vbs
