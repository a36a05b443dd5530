# One client: the application register with VBScript application objects.
source "$(dirname "$0")/lib/run-vbs.sh"
run_vbs "$1" applications.vbs
