# One client: shortcut files written and read by Ondrik.ShellLink and by Wine's own shell.
source "$(dirname "$0")/lib/run-vbs.sh"
run_vbs "$1" shell-link.vbs
